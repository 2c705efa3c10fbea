// Dialog templates as data: the geometry, captions and styles of every
// control of a dialog, in dialog units, exactly as the dialog was laid out.
//
// The tables are plain C++ (no Qt) so that anything can read them; one
// builder (src/ui/DialogBuilder) turns a table into widgets.
#pragma once

#include <cstdint>
#include <span>

//! What a control is; the builder picks the widget class from this.
enum class ControlKind : uint8_t {
    PushButton,
    DefPushButton,    //!< the button that Enter presses
    PushLikeCheck,    //!< a push button that stays pressed while checked
    CheckBox,
    RadioButton,
    ListBox,
    Edit,
    Static,           //!< a text label
    Bitmap,           //!< a picture; `image` names the bitmap resource
    GroupBox,         //!< a titled frame around the controls inside its rectangle
};

//! Style flags of a control (any combination).
enum ControlStyle : uint32_t {
    kStyleNone = 0,
    kStyleNotify = 1u << 0,       //!< list box: reports the user's selections
    kStyleSort = 1u << 1,         //!< list box: added lines are kept sorted
    kStyleVScroll = 1u << 2,      //!< vertical scroll bar when needed
    kStyleHScroll = 1u << 3,      //!< horizontal scroll bar when needed
    kStyleReadOnly = 1u << 4,     //!< edit: the user cannot type into it
    kStyleAutoCheck = 1u << 5,    //!< check box / radio: a click changes its own state
    kStyleCentre = 1u << 6,       //!< static: text centred in its rectangle
    kStyleGroup = 1u << 7,        //!< starts a new group: automatic radio buttons clear
                                  //!< only the others of their own group
};

//! One control: rectangle in dialog units, caption as shown.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* caption;
    int x, y, w, h;
    uint32_t style;
    int image = 0;   //!< bitmap resource id for ControlKind::Bitmap; w = h = 0 sizes to the picture
    //! The name screen readers and UI automation know the control by, for a
    //! control that neither has a caption nor stands beside or below a label
    //! (null: the builder derives it from the layout, see CDialogBuilder).
    const char* accessibleName = nullptr;
    //! What the control is for, where neither its caption nor its label
    //! says it (a readout, a button that does nothing); shown as its tooltip
    //! and told to screen readers. Null for none.
    const char* description = nullptr;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int w, h;                 //!< client area in dialog units
    const char* fontFace;     //!< as laid out; see CDialogBuilder for the face used here
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

//! The dialog template with resource id `id`, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

//! Resource ids of every dialog template, ascending.
std::span<const int> DialogTemplateIds();
