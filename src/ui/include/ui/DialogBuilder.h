// Builds a dialog's widgets from its template (res/DialogTemplate.h).
//
// Every control is created at its template rectangle, converted from dialog
// units with the dialog font's base units, and carries its numeric id as
// objectName ("1005"). The dialog gets the template's caption, the dialog
// font, and a fixed client size.
//
// The dialog font. The templates ask for "MS Sans Serif" 8 pt, which Linux
// does not have. It is used when installed; otherwise the font is "DejaVu
// Sans" 8 pt (package fonts-dejavu-core), whose base units at 96 dpi are
// 7 x 13 pixels against 6 x 13 for MS Sans Serif: the same line height, and
// a dialog about 17 % wider that keeps every caption inside its control.
//
// Fitting the screen. A dialog is built for the room it has on its screen
// (SetRoom). When its template does not fit there, it is drawn smaller:
// the dialog units and the font shrink together (DialogBaseUnits::scale),
// down to three quarters of the laid-out size, so every control keeps its
// place and its caption. A dialog that does not fit even then keeps that
// scale and scrolls: its controls sit on a page of the template's size in a
// scroll area, and the window opens as large as the room allows.
//
// Accessibility. Every control gets an accessible name (AccessibleName), so
// that screen readers and UI automation can find and drive it, and the
// keyboard focus moves through the controls in template order. A control
// whose caption its rectangle cuts shows the whole caption as its tooltip;
// a template's description of a control becomes its tooltip and accessible
// description.
// Window thread only.
#pragma once

#include "res/DialogTemplate.h"
#include "ui/DialogUnits.h"

#include <QFont>
#include <QHash>
#include <QRect>
#include <QSize>

#include <functional>

class QScrollArea;
class QWidget;

class CDialogBuilder {
public:
    //! Creates the widget of one control; the builder places it afterwards.
    using Factory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

    //! The font a dialog built from `dialog` uses.
    static QFont DialogFont(const DialogTemplate& dialog);

    //! Average character width and character height of `font`, in pixels.
    static DialogBaseUnits BaseUnits(const QFont& font);

    //! The least scale (thousandths) a dialog shrinks to before it scrolls.
    static constexpr int kMinimumScale = 750;

    //! Creates control `id` with `factory` instead of the widget its kind calls for.
    void SetFactory(int id, Factory factory);

    //! The client area the next Build() must fit; an empty size fits anything.
    void SetRoom(QSize room) { m_room = room; }

    //! Builds every control of `dialog` onto `window`, at the largest scale
    //! that fits the room (see above). Returns the controls by id.
    QHash<int, QWidget*> Build(QWidget* window, const DialogTemplate& dialog);

    //! Base units and scale of the last Build().
    DialogBaseUnits Units() const { return m_units; }

    //! The scroll area of the last Build(), or nullptr when the dialog fitted.
    QScrollArea* ScrollArea() const { return m_scrollArea; }

    //! Pixel rectangle of a template rectangle under the last Build()'s units.
    QRect ToPixels(const ControlTemplate& control) const;

    //! The name a control is known by, from the template alone:
    //!  - the template's own accessibleName when it gives one;
    //!  - a label's text;
    //!  - a caption that no other control of the dialog carries;
    //!  - otherwise its column heading, its row label and its caption, as
    //!    many as there are: "Zone 3 Midi Output Channel", "Zone 1 Mute",
    //!    "Zone 2 Transpose Up", "Midi Message Window".
    //! A row label is the nearest label on the control's line (centres
    //! within two dialog units), to its left or else to its right. A column
    //! heading is the nearest label above that overlaps the control
    //! horizontally, unless that label is the row label of another line.
    static QString AccessibleName(const DialogTemplate& dialog, const ControlTemplate& control);

    //! The full caption when `control` cuts it, else an empty text.
    static QString CutCaption(const QWidget* control);

private:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) const;
    //! The scale at which `dialog` fits the room, not below kMinimumScale.
    int FittingScale(const DialogTemplate& dialog, DialogBaseUnits units) const;
    //! Puts a page of `size` in a scroll area that fills `window`; returns the page.
    QWidget* ScrollingPage(QWidget* window, QSize size);

    QHash<int, Factory> m_factories;
    DialogBaseUnits m_units;
    QSize m_room;
    QScrollArea* m_scrollArea = nullptr;
};

//! The client area a top-level window has on the screen it opens on (its
//! owner's, else the primary screen): the screen's free area less a window
//! frame.
QSize ScreenRoom(const QWidget* window);

//! Resource path of bitmap or icon `id` (":/zm_config/bitmap142.png").
QString ResourceImagePath(int id);
