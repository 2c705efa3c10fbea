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
// Accessibility. Every control gets an accessible name (AccessibleName), so
// that screen readers and UI automation can find and drive it, and the
// keyboard focus moves through the controls in template order.
// Window thread only.
#pragma once

#include "res/DialogTemplate.h"
#include "ui/DialogUnits.h"

#include <QFont>
#include <QHash>
#include <QRect>

#include <functional>

class QWidget;

class CDialogBuilder {
public:
    //! Creates the widget of one control; the builder places it afterwards.
    using Factory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

    //! The font a dialog built from `dialog` uses.
    static QFont DialogFont(const DialogTemplate& dialog);

    //! Average character width and character height of `font`, in pixels.
    static DialogBaseUnits BaseUnits(const QFont& font);

    //! Creates control `id` with `factory` instead of the widget its kind calls for.
    void SetFactory(int id, Factory factory);

    //! Builds every control of `dialog` onto `window`. Returns the controls by id.
    QHash<int, QWidget*> Build(QWidget* window, const DialogTemplate& dialog);

    //! Base units of the last Build().
    DialogBaseUnits Units() const { return m_units; }

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

private:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) const;

    QHash<int, Factory> m_factories;
    DialogBaseUnits m_units;
};

//! Resource path of bitmap or icon `id` (":/zm_config/bitmap142.png").
QString ResourceImagePath(int id);
