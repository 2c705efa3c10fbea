// Dialogs built from their templates: every control of the main window and
// the About box exists under its id, of its kind, with its caption, at its
// place. The expected controls are written out here from the dialog as it
// was laid out, not taken from the tables under test. For every template,
// the layout's properties: nothing overlaps, every caption fits.
#include "ui/AboutDlg.h"
#include "res/resource.h"
#include "sim/SystemMidiPlatform.h"
#include "ui/DialogBuilder.h"
#include "ui/ListBox.h"
#include "ui/MessageWindowView.h"
#include "ui/Zm_configDlg.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <span>
#include <tuple>
#include <vector>

namespace {

enum class Kind { Button, DefaultButton, PushLike, Check, Radio, List, MessageList, Edit, ReadOnly, Label, Picture };

struct Expected {
    int id;
    Kind kind;
    const char* caption;
    int x, y, w, h;   // w = h = 0: only the position is given
};

// Four controls of one zone row: same kind, caption and size, columns at xs.
using Four = std::array<int, 4>;

void Row(std::vector<Expected>& out, const ZoneIds& ids, Kind kind, const char* caption, const Four& xs,
         const Four& ys, int w, int h)
{
    for (size_t zone = 0; zone < 4; ++zone)
        out.push_back({ids[zone], kind, caption, xs[zone], ys[zone], w, h});
}

std::vector<Expected> MainWindowAsLaidOut()
{
    std::vector<Expected> e = {
        {IDOK, Kind::Button, "OK", 618, 1, 50, 14},   // Enter presses no button in this window
        {IDCANCEL, Kind::Button, "Cancel", 618, 23, 50, 14},
        {IDC_MIDI_IN_LIST, Kind::List, "", 4, 14, 118, 36},
        {IDC_MIDI_OUT_LIST, Kind::List, "", 156, 14, 118, 36},
        {IDC_MIDI_THRU_LIST, Kind::List, "", 290, 14, 118, 36},
        {IDC_MESSAGE_WINDOW, Kind::MessageList, "", 300, 97, 368, 201},
        {IDC_CLEAR_MESSAGES, Kind::Button, "Clear Message Window", 318, 75, 92, 18},
        {IDC_COPY_MESSAGES, Kind::Button, "Copy Message Window", 570, 52, 80, 14},
        {IDC_REVISION_REQUEST, Kind::Button, "Revision Request", 318, 55, 92, 18},
        {IDC_SYNCHRONIZE, Kind::Button, "Synchronize Data", 417, 9, 67, 39},
        {IDC_KEYBOARD_CONFIG, Kind::Button, "Keyboard Config", 496, 9, 61, 39},
        {IDC_AOT_SETUP, Kind::Button, "AOT setup", 564, 8, 50, 39},
        {IDC_IDENTIFICATION, Kind::ReadOnly, "", 4, 51, 230, 12},
        {IDC_NUMBER_KEYS, Kind::ReadOnly, "", 440, 68, 40, 12},
        {IDC_LOW_NOTE_KEY2, Kind::ReadOnly, "", 485, 68, 40, 12},
        {IDC_READOUT_3, Kind::ReadOnly, "", 532, 68, 40, 12},
        {IDC_READOUT_4, Kind::ReadOnly, "", 582, 68, 40, 12},
        {IDC_READOUT_5, Kind::ReadOnly, "", 628, 68, 40, 12},
        {IDC_INQUIRE_XTABLE, Kind::Button, "Inquire Xtable", 4, 261, 78, 10},
        {IDC_PARAMETER_LIST, Kind::List, "", 94, 261, 93, 12},
        {IDC_XTABLE_DATA, Kind::Edit, "", 94, 271, 40, 12},
        {IDC_SEND_XTABLE, Kind::Button, "Send Xtable Data", 4, 273, 78, 10},
        {IDC_EEPROM_DUMP, Kind::Button, "EEPROM DUMP", 4, 288, 78, 10},
        {IDC_SCAN_DUMP, Kind::Button, "Scan Dump", 89, 288, 78, 10},
        {IDC_SMART_DUMP, Kind::Button, "Smart eeprom Dump", 173, 288, 80, 10},
        {IDC_SCANNER_122, Kind::Check, "122 Scanner", 193, 276, 57, 10},
        {IDC_SHOW_KEYS, Kind::Radio, "Keys", 258, 267, 0, 0},
        {IDC_SHOW_XOPTO, Kind::Radio, "Xopto", 257, 278, 0, 0},
        {IDC_SHOW_MISC, Kind::Radio, "Misc", 257, 288, 0, 0},
        // Labels with a given place
        {IDC_LABEL_MIDI_IN, Kind::Label, "Midi Input Port (click to activate)", 4, 1, 0, 0},
        {IDC_LABEL_MIDI_OUT, Kind::Label, "Midi Out Port (click to activate)", 157, 1, 0, 0},
        {IDC_LABEL_MIDI_THRU, Kind::Label, "Midi Thru/Out Port (click to activate)", 291, 1, 0, 0},
        {IDC_LABEL_MESSAGE_WINDOW, Kind::Label, "Midi Message Window", 429, 89, 0, 0},
        {IDC_LABEL_XTABLE_DATA, Kind::Label, "Xtable Data", 143, 274, 0, 0},
        {kZoneHeader[0], Kind::Label, "Zone 1", 119, 65, 0, 0},
        {kZoneHeader[1], Kind::Label, "Zone 2", 166, 65, 0, 0},
        {kZoneHeader[2], Kind::Label, "Zone 3", 216, 65, 0, 0},
        {kZoneHeader[3], Kind::Label, "Zone 4", 262, 65, 0, 0},
    };
    const Four col = {111, 158, 208, 254};
    const Four narrow = {127, 174, 224, 270};
    const Four touchX = {112, 158, 208, 254};
    auto at = [](int y) { return Four{y, y, y, y}; };
    Row(e, kZoneKeyRange, Kind::ReadOnly, "", col, at(75), 40, 12);
    Row(e, kZoneLowestNote, Kind::ReadOnly, "", col, at(90), 40, 12);
    Row(e, kZoneChannelList, Kind::List, "", col, at(105), 40, 11);
    Row(e, kZoneAttackOff, Kind::Button, "Off", col, {122, 121, 121, 122}, 15, 11);
    Row(e, kZoneAttackList, Kind::List, "", narrow, at(121), 24, 11);
    Row(e, kZoneCurveList, Kind::List, "", col, at(136), 40, 11);
    Row(e, kZoneReleaseOff, Kind::Button, "Off", col, {150, 150, 150, 149}, 15, 11);
    Row(e, kZoneReleaseList, Kind::List, "", narrow, at(150), 24, 11);
    Row(e, kZoneAftertouchList, Kind::List, "", touchX, at(165), 40, 11);
    Row(e, kZoneMute, Kind::PushLike, "Mute", col, at(179), 40, 12);
    Row(e, kZoneSetZone, Kind::PushLike, "Set Zone", col, at(195), 40, 12);
    return e;
}

// Controls whose place the template chooses: caption and row only.
struct Placed {
    int id;
    Kind kind;
    const char* caption;
    int y;
};

std::vector<Placed> PlacedHere()
{
    std::vector<Placed> p = {
        {IDC_LABEL_KEY_RANGE, Kind::Label, "Key Range (sensor#'s)", 75},
        {IDC_LABEL_LOWEST_NOTE, Kind::Label, "Lowest Note Number", 90},
        {IDC_LABEL_OUTPUT_CHANNEL, Kind::Label, "Midi Output Channel", 105},
        {IDC_LABEL_ATTACK_VELOCITY, Kind::Label, "Attack Velocity", 121},
        {IDC_LABEL_CURVE_TYPE, Kind::Label, "Attack Velocity Curve Type", 136},
        {IDC_LABEL_RELEASE_VELOCITY, Kind::Label, "Relase Velocity", 150},
        {IDC_LABEL_AFTER_TOUCH, Kind::Label, "After Touch Type", 165},
        {IDC_LABEL_TRANSPOSE, Kind::Label, "Transpose", 209},
        {IDC_LABEL_TRANSPOSE_OCTAVE, Kind::Label, "Transpose", 226},
        {IDC_LABEL_DEBUG, Kind::Label, "Debug stuff", 241},
    };
    const char* debugA[4] = {"Ens", "Up", "Up", "Up"};
    const char* debugB[4] = {"map1", "map2", "map3", "map4"};
    for (size_t z = 0; z < 4; ++z) {
        p.push_back({kZoneUp[z], Kind::Button, "Up", 209});
        p.push_back({kZoneDown[z], Kind::Button, "Down", 209});
        p.push_back({kZonePlus12[z], Kind::Button, "+12", 226});
        p.push_back({kZoneMinus12[z], Kind::Button, "-12", 226});
        p.push_back({kZoneDebugA[z], Kind::Button, debugA[z], 241});
        p.push_back({kZoneDebugB[z], Kind::Button, debugB[z], 241});
    }
    return p;
}

// Dialog units as defined: average width of the alphabet / 52, rounded;
// x = units * width / 4 and y = units * height / 8, rounded, edge by edge.
struct Units {
    double cx, cy;
    explicit Units(const QFont& font)
    {
        const QFontMetrics metrics(font);
        cx = std::lround(metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0);
        cy = metrics.height();
    }
    int X(int u) const { return static_cast<int>(std::lround(u * cx / 4.0)); }
    int Y(int u) const { return static_cast<int>(std::lround(u * cy / 8.0)); }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y)); }
};

QWidget* Find(QWidget* dialog, int id)
{
    return dialog->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

//! `w` is a `Control` with the caption `text`.
template <typename Control>
void ExpectCaption(QWidget* w, const QString& text)
{
    auto* control = qobject_cast<Control*>(w);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->text(), text);
}

void ExpectKind(QWidget* w, Kind kind, const char* caption, int id)
{
    SCOPED_TRACE(id);
    const QString text = QString::fromLatin1(caption);
    switch (kind) {
    case Kind::Button:
    case Kind::DefaultButton:
    case Kind::PushLike: {
        auto* button = qobject_cast<QPushButton*>(w);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->isDefault(), kind == Kind::DefaultButton);
        EXPECT_EQ(button->isCheckable(), kind == Kind::PushLike);
        break;
    }
    case Kind::Check:
        ExpectCaption<QCheckBox>(w, text);
        break;
    case Kind::Radio:
        ExpectCaption<QRadioButton>(w, text);
        break;
    case Kind::List:
        EXPECT_NE(qobject_cast<CListBox*>(w), nullptr);
        break;
    case Kind::MessageList:
        EXPECT_NE(qobject_cast<CMessageWindowView*>(w), nullptr);
        break;
    case Kind::Edit:
    case Kind::ReadOnly:
        ASSERT_NE(qobject_cast<QLineEdit*>(w), nullptr);
        EXPECT_EQ(qobject_cast<QLineEdit*>(w)->isReadOnly(), kind == Kind::ReadOnly);
        break;
    case Kind::Label:
        ExpectCaption<QLabel>(w, text);
        break;
    case Kind::Picture:
        break;
    }
}

} // namespace

TEST(MainWindowTemplate, EveryControlAtItsPlaceWithItsCaption)
{
    CZm_configDlg dialog{nullptr, CreateMidiPlatform()};
    const Units units(dialog.font());
    EXPECT_EQ(dialog.windowTitle(), "zm_config");
    EXPECT_EQ(dialog.size(), QSize(units.X(676), units.Y(305)));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed size";

    for (const Expected& e : MainWindowAsLaidOut()) {
        QWidget* w = Find(&dialog, e.id);
        ASSERT_NE(w, nullptr) << e.id;
        ExpectKind(w, e.kind, e.caption, e.id);
        const QRect expected = units.Rect(e.x, e.y, e.w, e.h);
        if (e.w == 0)
            EXPECT_EQ(w->pos(), expected.topLeft()) << e.id;
        else
            EXPECT_EQ(w->geometry(), expected) << e.id;
    }
    for (const Placed& p : PlacedHere()) {
        QWidget* w = Find(&dialog, p.id);
        ASSERT_NE(w, nullptr) << p.id;
        ExpectKind(w, p.kind, p.caption, p.id);
        // In its row: starts within two units of the row's top.
        EXPECT_LE(std::abs(w->y() - units.Y(p.y)), units.Y(2) + 1) << p.id;
    }
}

TEST(MainWindowTemplate, StateButtonsDoNotCheckThemselves)
{
    CZm_configDlg dialog{nullptr, CreateMidiPlatform()};
    dialog.show();
    for (int id : {kZoneMute[0], kZoneSetZone[3], int(IDC_SCANNER_122), int(IDC_SHOW_XOPTO), int(IDC_SHOW_MISC)}) {
        auto* button = qobject_cast<QAbstractButton*>(Find(&dialog, id));
        ASSERT_NE(button, nullptr) << id;
        const bool before = button->isChecked();
        button->disconnect(&dialog);   // the widget alone, without the handler that sets it
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(button->isChecked(), before) << id;
        dialog.SetCheck(id, !before);   // only the program changes what it shows
        EXPECT_EQ(button->isChecked(), !before) << id;
    }
    // The report switches are not a group: all of them can be clear.
    for (int id : {IDC_SHOW_KEYS, IDC_SHOW_XOPTO, IDC_SHOW_MISC})
        dialog.SetCheck(id, false);
    for (int id : {IDC_SHOW_KEYS, IDC_SHOW_XOPTO, IDC_SHOW_MISC})
        EXPECT_FALSE(qobject_cast<QAbstractButton*>(Find(&dialog, id))->isChecked()) << id;
}

TEST(AboutBoxTemplate, CaptionTextBitmapAndOk)
{
    CAboutDlg about;
    const Units units(about.font());
    EXPECT_EQ(about.windowTitle(), "About zm_config");
    EXPECT_EQ(about.size(), QSize(units.X(235), units.Y(55)));

    auto* text = qobject_cast<QLabel*>(Find(&about, IDC_ABOUT_VERSION));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), "zm_config Version 1.0");
    EXPECT_EQ(text->geometry(), units.Rect(40, 10, 119, 8));

    auto* ok = qobject_cast<QPushButton*>(Find(&about, IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), units.Rect(178, 7, 50, 14));

    auto* picture = qobject_cast<QLabel*>(Find(&about, IDC_ABOUT_BITMAP));
    ASSERT_NE(picture, nullptr);
    const QPixmap bitmap(ResourceImagePath(IDB_ABOUT_BITMAP));
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(picture->pos(), QPoint(units.X(7), units.Y(7)));
    EXPECT_EQ(picture->pixmap().toImage(), bitmap.toImage());
    EXPECT_EQ(picture->size(), bitmap.size());
}

// Every template, built as the program builds it: each id once, every
// control inside the dialog, no two controls overlapping (a control inside a
// group box lies wholly within its frame, below its title), and every
// caption fully visible.
TEST(EveryTemplate, NothingOverlapsAndEveryCaptionFits)
{
    // The main window's original geometry overlaps here and nowhere else:
    // the parameter value edit runs 1 unit into the parameter list above it.
    const std::set<std::pair<int, int>> kLaidOutOverlaps = {{IDC_XTABLE_DATA, IDC_PARAMETER_LIST}};   // lower id first

    for (int templateId : DialogTemplateIds()) {
        SCOPED_TRACE(templateId);
        const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
        ASSERT_NE(dialogTemplate, nullptr);
        QDialog dialog;
        CDialogBuilder builder;
        const QHash<int, QWidget*> controls = builder.Build(&dialog, *dialogTemplate);
        ASSERT_EQ(static_cast<size_t>(controls.size()), dialogTemplate->controls.size()) << "an id twice";

        std::vector<QWidget*> all;
        for (const ControlTemplate& control : dialogTemplate->controls)
            all.push_back(controls.value(control.id));
        for (QWidget* w : all) {
            const std::string id = w->objectName().toStdString();
            EXPECT_TRUE(dialog.rect().contains(w->geometry())) << id << " leaves the dialog";

            const QFontMetrics metrics(w->font());
            if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
                EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << id;
                EXPECT_LE(metrics.height(), label->height()) << id;
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                EXPECT_LE(metrics.horizontalAdvance(button->text()), button->width() - 4) << id;
            } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
                EXPECT_LE(w->sizeHint().width(), w->width()) << id;
            } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
                EXPECT_LE(metrics.horizontalAdvance(group->title()) + 2 * metrics.averageCharWidth(), group->width())
                    << id;
            }
        }

        for (size_t i = 0; i < all.size(); ++i) {
            for (size_t j = i + 1; j < all.size(); ++j) {
                QWidget* a = all[i];
                QWidget* b = all[j];
                if (!a->geometry().intersects(b->geometry()))
                    continue;
                auto* group = qobject_cast<QGroupBox*>(a) ? a : qobject_cast<QGroupBox*>(b);
                QWidget* inside = group == a ? b : a;
                if (group && !qobject_cast<QGroupBox*>(inside)) {
                    QRect frame = group->geometry();
                    frame.setTop(frame.top() + QFontMetrics(group->font()).height());
                    EXPECT_TRUE(frame.contains(inside->geometry()))
                        << inside->objectName().toStdString() << " crosses the frame of group "
                        << group->objectName().toStdString();
                    continue;
                }
                const int idA = a->objectName().toInt();
                const int idB = b->objectName().toInt();
                EXPECT_TRUE(kLaidOutOverlaps.count({std::min(idA, idB), std::max(idA, idB)}) == 1)
                    << idA << " overlaps " << idB;
            }
        }
    }
}

TEST(MainWindowTemplate, EveryControlHasAnAccessibleNameAndFocusFollowsTheTemplate)
{
    CZm_configDlg dialog{nullptr, CreateMidiPlatform()};
    const DialogTemplate& layout = *FindDialogTemplate(IDD_ZM_CONFIG_DIALOG);
    std::map<QString, int> controlNames;
    std::vector<int> focusable;
    for (const ControlTemplate& control : layout.controls) {
        QWidget* w = Find(&dialog, control.id);
        ASSERT_NE(w, nullptr) << control.id;
        // What a screen reader or UI automation is told.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(accessible, nullptr) << control.id;
        const QString name = accessible->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << control.id;
        if (control.kind != ControlKind::Static) {
            const auto [it, unique] = controlNames.emplace(name, control.id);
            EXPECT_TRUE(unique) << name.toStdString() << ": " << control.id << " and " << it->second;
        }
        if (w->focusPolicy() & Qt::TabFocus)
            focusable.push_back(control.id);
    }
    const std::pair<int, const char*> names[] = {
        {kZoneChannelList[2], "Zone 3 Midi Output Channel"},
        {kZoneKeyRange[0], "Zone 1 Key Range (sensor#'s)"},
        {kZoneAttackOff[3], "Zone 4 Attack Velocity Off"},
        {kZoneAttackList[3], "Zone 4 Attack Velocity"},
        {kZoneAftertouchList[0], "Zone 1 After Touch Type"},
        {kZoneMute[0], "Zone 1 Mute"},
        {kZoneUp[1], "Zone 2 Transpose Up"},
        {kZonePlus12[1], "Zone 2 Transpose +12"},
        {kZoneDebugA[1], "Zone 2 Debug stuff Up"},
        {IDC_MIDI_IN_LIST, "Midi Input Port (click to activate)"},
        {IDC_MIDI_THRU_LIST, "Midi Thru/Out Port (click to activate)"},
        {IDC_MESSAGE_WINDOW, "Midi Message Window"},
        {IDC_XTABLE_DATA, "Xtable Data"},
        {IDC_SYNCHRONIZE, "Synchronize Data"},
        {IDC_NUMBER_KEYS, "Number of Keys"},
    };
    for (const auto& [id, name] : names)
        EXPECT_EQ(Find(&dialog, id)->accessibleName(), name) << id;

    // Tab walks the controls in template order, and comes round again.
    std::vector<int> walked;
    QWidget* w = Find(&dialog, focusable.front());
    do {
        if (!w->objectName().isEmpty() && (w->focusPolicy() & Qt::TabFocus))
            walked.push_back(w->objectName().toInt());
        w = w->nextInFocusChain();
    } while (w != Find(&dialog, focusable.front()) && walked.size() <= focusable.size());
    EXPECT_EQ(walked, focusable);
}

TEST(DialogTemplates, TheNamingRuleGivesEveryControlOfEveryDialogAName)
{
    for (int id : {int(IDD_ABOUTBOX), int(IDD_ZM_CONFIG_DIALOG), int(IDD_KEYBOARD_CONFIG), int(IDD_AOT_SETUP)}) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        if (dialog == nullptr)
            continue;
        for (const ControlTemplate& control : dialog->controls)
            EXPECT_FALSE(CDialogBuilder::AccessibleName(*dialog, control).isEmpty())
                << "dialog " << id << ", control " << control.id;
    }
}

// Radio buttons and check boxes take a click anywhere in their rectangle,
// as push buttons do, in every template.
TEST(EveryTemplate, ChecksAndRadiosTakeClicksInTheirWholeRectangle)
{
    int tried = 0;
    for (int templateId : DialogTemplateIds()) {
        QDialog dialog;
        CDialogBuilder builder;
        for (QWidget* control : builder.Build(&dialog, *FindDialogTemplate(templateId))) {
            auto* button = qobject_cast<QAbstractButton*>(control);
            if (!qobject_cast<QCheckBox*>(control) && !qobject_cast<QRadioButton*>(control))
                continue;
            ++tried;
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - 2, button->height() / 2));
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() / 2, 1));
            EXPECT_EQ(clicked.count(), 2) << templateId << " " << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(tried, 4 + 6 + 8) << "main window, Keyboard Configurator, Automatic Stream Controls";
}

// A caption that its rectangle cuts becomes the tooltip, and so does a
// template's description of the control.
TEST(DialogBuilder, TooltipsForCutCaptionsAndDescriptions)
{
    const QString caption = "Copy Message Window";
    const std::tuple<ControlKind, int, const char*, QString> cases[] = {
        {ControlKind::PushButton, 80, nullptr, ""},       {ControlKind::PushButton, 30, nullptr, caption},
        {ControlKind::CheckBox, 100, nullptr, ""},        {ControlKind::RadioButton, 40, nullptr, caption},
        {ControlKind::Static, 100, nullptr, ""},          {ControlKind::Static, 40, nullptr, caption},
        {ControlKind::GroupBox, 40, nullptr, caption},    {ControlKind::PushButton, 80, "Inert", "Inert"},
        {ControlKind::PushButton, 30, "Inert", caption + "\nInert"},
    };
    for (const auto& [kind, width, description, tooltip] : cases) {
        const ControlTemplate control = {1000, kind, "Copy Message Window", 4, 4, width, 14, kStyleNone, 0,
                                         nullptr, description};
        QDialog dialog;
        CDialogBuilder builder;
        QWidget* w = builder.Build(&dialog, {1, "test", 200, 40, "MS Sans Serif", 8, std::span(&control, 1)}).value(1000);
        EXPECT_EQ(w->toolTip(), tooltip) << int(kind) << " " << width;
    }
}
