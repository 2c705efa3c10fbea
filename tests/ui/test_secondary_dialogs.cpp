// The Keyboard Configurator and the Automatic Stream Controls opened from
// the main window, driven offscreen by control id: what they open with, the
// frames that leave for the box, and how each window goes. Last, a layout
// written to the simulated box and read back by Synchronize Data.
#include "FakeMidiPlatform.h"
#include "WaitFor.h"
#include "editors/AotOptions.h"
#include "editors/AotSetup.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/AotSetupDlg.h"
#include "ui/KeyboardConfigDlg.h"
#include "ui/ListBox.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

void Click(QWidget* window, int id)
{
    auto* dialog = qobject_cast<CTemplateDialog*>(window);
    QWidget* control = dialog->Control(id);
    ASSERT_NE(control, nullptr) << id;
    // Near the left edge: a radio button takes clicks on its mark and caption only.
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, control->height() / 2));
}

template <typename T>
T* Get(CTemplateDialog* dialog, int id)
{
    return qobject_cast<T*>(dialog->Control(id));
}

class SecondaryDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dlg.OnInitDialog();
        dlg.show();
        dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    }

    //! The frames sent since the last call, once `count` of them have left.
    std::vector<std::string> Take(size_t count)
    {
        std::vector<std::vector<uint8_t>> sent;
        EXPECT_TRUE(WaitFor([&] {
            sent = platform->liveOutputs.at(0)->Sent();
            return sent.size() >= taken + count;
        })) << "waiting for " << count << " frames";
        QTest::qWait(20);   // and nothing more
        sent = platform->liveOutputs.at(0)->Sent();
        std::vector<std::string> out;
        for (size_t i = taken; i < sent.size(); ++i) {
            std::string text;
            char hex[4];
            for (uint8_t b : sent[i]) {
                std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", b);
                text += hex;
            }
            out.push_back(text);
        }
        taken = sent.size();
        return out;
    }

    CKeyboardConfigDlg* OpenConfigurator()
    {
        Click(&dlg, IDC_KEYBOARD_CONFIG);
        EXPECT_THAT(Take(7), ElementsAre("F0 09 44 06 00 F7", "F0 09 44 0C 00 F7", "F0 09 44 15 00 F7",
                                         "F0 09 44 17 00 F7", "F0 09 44 19 00 F7", "F0 09 44 1A 00 F7",
                                         "F0 09 44 1B 00 F7"));
        EXPECT_TRUE(dlg.m_pKeyboardConfigDlg && dlg.m_pKeyboardConfigDlg->isVisible());
        return dlg.m_pKeyboardConfigDlg;
    }

    CAotSetupDlg* OpenAotSetup()
    {
        Click(&dlg, IDC_AOT_SETUP);
        EXPECT_THAT(Take(1), ElementsAre("F0 09 44 1E 00 F7"));
        EXPECT_TRUE(dlg.m_pAotSetupDlg && dlg.m_pAotSetupDlg->isVisible());
        return dlg.m_pAotSetupDlg;
    }

    // Ways out of a secondary window, other than its own buttons.
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> kWaysOut = {
        {"OK", [](QWidget* w) { Click(w, IDOK); }},
        {"Cancel", [](QWidget* w) { Click(w, IDCANCEL); }},
        {"Enter", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }},
        {"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"close box", [](QWidget* w) { w->close(); }},
    };

    CFakeMidiPlatform* platform = new CFakeMidiPlatform({"In A"}, {"Out A"});
    CZm_configDlg dlg{nullptr, std::unique_ptr<IMidiPlatform>(platform)};
    size_t taken = 0;
};

} // namespace

TEST_F(SecondaryDialogsTest, KeyboardConfiguratorShowsTheHeldValuesAndSendsEachAction)
{
    dlg.Held().XtableValues = {};
    dlg.Held().XtableValues[21] = 3;
    dlg.Held().XtableValues[23] = 16;
    dlg.Held().XtableValues[25] = 2;
    dlg.Held().XtableValues[26] = 19;
    dlg.Held().XtableValues[27] = 210;   // milliseconds
    QPointer<CKeyboardConfigDlg> first = OpenConfigurator();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), "Keyboard Configurator");
    auto list = [&](int id) { return Get<CListBox>(first, id); };
    auto radio = [&](int id) { return Get<QAbstractButton>(first, id); };
    EXPECT_EQ(list(1031)->SelectedLine(), 3);
    EXPECT_EQ(list(1031)->currentItem()->text(), "3 normal");
    EXPECT_EQ(list(1032)->SelectedLine(), -1);
    EXPECT_EQ(list(1037)->SelectedLine(), 2);
    EXPECT_EQ(list(1038)->SelectedLine(), 19);
    EXPECT_EQ(list(1030)->SelectedLine(), 8);

    // Each layout sends its four zones; "Custom Config" is a group of its own.
    Click(first, 1028);
    EXPECT_THAT(Take(4), ElementsAre("F0 09 5A 08 00 00 08 00 3C 24 00 0E 00 00 00 F7",
                                     "F0 09 5A 08 01 00 08 3D 79 24 01 0E 00 00 00 F7",
                                     "F0 09 5A 08 02 00 08 00 3C 24 02 0E 00 00 00 F7",
                                     "F0 09 5A 08 03 00 08 3D 79 24 03 0E 00 00 00 F7"));
    Click(first, 1036);
    EXPECT_EQ(Take(4).size(), 4u);
    EXPECT_TRUE(radio(1028)->isChecked() && radio(1036)->isChecked());
    Click(first, 1025);
    EXPECT_EQ(Take(4).size(), 4u);
    EXPECT_TRUE(radio(1025)->isChecked() && !radio(1028)->isChecked() && radio(1036)->isChecked());
    first->SetCheck(1025, false);   // the program may clear a group's checked button
    EXPECT_FALSE(radio(1025)->isChecked());

    // A click, then every arrow-key step, sends one request.
    QTest::mouseClick(list(1031)->viewport(), Qt::LeftButton, {}, list(1031)->visualItemRect(list(1031)->item(3)).center());
    EXPECT_THAT(Take(1), ElementsAre("F0 09 43 15 00 03 00 F7"));
    QTest::keyClick(list(1030), Qt::Key_Down);
    QTest::keyClick(list(1030), Qt::Key_Down);
    EXPECT_THAT(Take(2), ElementsAre("F0 09 43 1B 00 61 01 F7", "F0 09 43 1B 00 7A 01 F7"));   // 225, 250 ms

    Click(first, IDC_RESTORE_DEFAULTS);
    EXPECT_THAT(Take(5), ElementsAre("F0 09 43 15 00 03 00 F7", "F0 09 43 17 00 08 00 F7", "F0 09 43 19 00 0A 00 F7",
                                     "F0 09 43 1A 00 0A 00 F7", "F0 09 43 1B 00 10 03 F7"));
    EXPECT_EQ(list(1032)->currentItem()->text(), "8 normal");
    EXPECT_EQ(list(1030)->currentItem()->text(), "  400 mSec");
    Click(first, IDC_EDIT_KEY_MAP);
    EXPECT_THAT(Take(0), IsEmpty());

    // Another click replaces the open window with a fresh one.
    QPointer<CKeyboardConfigDlg> second = OpenConfigurator();
    EXPECT_TRUE(first.isNull());
    ASSERT_TRUE(second);
    for (int id : {1025, 1026, 1027, 1028, 1029, 1036})
        EXPECT_FALSE(Get<QAbstractButton>(second, id)->isChecked()) << id;
    EXPECT_EQ(Get<CListBox>(second, 1030)->SelectedLine(), 8) << "the held values, not what the last window showed";

    for (const auto& [way, leave] : kWaysOut) {
        QPointer<CKeyboardConfigDlg> window = OpenConfigurator();
        leave(window);
        EXPECT_TRUE(WaitFor([&] { return window.isNull() && dlg.m_pKeyboardConfigDlg.isNull(); })) << way;
        EXPECT_THAT(Take(0), IsEmpty()) << way;
    }
}

TEST_F(SecondaryDialogsTest, AotSetupTogglesOptionsAndSendsAValidDelayOnOk)
{
    dlg.Held().HeldAotBooleans = 0x81;
    dlg.Held().HeldAotDelay = 255;
    QPointer<CAotSetupDlg> first = OpenAotSetup();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), "Allen Organ Automatic Stream Controls");
    for (const AotOption& option : kAotOptions)
        EXPECT_EQ(Get<QAbstractButton>(first, option.id)->isChecked(), option.id == 1048 || option.id == 1056)
            << option.id;
    auto* edit = Get<QLineEdit>(first, IDC_AOT_DELAY);
    EXPECT_EQ(edit->text(), "255");

    Click(first, 1056);
    EXPECT_THAT(Take(1), ElementsAre("F0 09 43 1E 00 01 00 F7"));
    EXPECT_FALSE(Get<QAbstractButton>(first, 1056)->isChecked());
    Click(first, 1056);
    EXPECT_THAT(Take(1), ElementsAre("F0 09 43 1E 00 01 01 F7"));
    EXPECT_TRUE(Get<QAbstractButton>(first, 1056)->isChecked());

    // A delay the box cannot hold: the window stays, says why, sends nothing.
    edit->setText("300");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(first->isVisible());
    auto* problem = Get<QLabel>(first, IDC_AOT_DELAY_PROBLEM);
    EXPECT_EQ(problem->text().toStdString(), kAotDelayProblem);
    EXPECT_LE(QFontMetrics(problem->font()).horizontalAdvance(problem->text()), problem->width());
    EXPECT_THAT(Take(0), IsEmpty());
    edit->setText("17");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_THAT(Take(1), ElementsAre("F0 09 43 1F 00 11 00 F7"));
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(first.isNull()) << "hidden, not destroyed";

    // The next click builds a fresh window from the held values.
    QPointer<CAotSetupDlg> second = OpenAotSetup();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(Get<QLineEdit>(second, IDC_AOT_DELAY)->text(), "255");
    EXPECT_EQ(second->AotOptions(), 0x81);

    for (const auto& [way, leave] : kWaysOut) {
        QPointer<CAotSetupDlg> window = OpenAotSetup();
        Get<QLineEdit>(window, IDC_AOT_DELAY)->setText("255");   // as held: OK sends nothing
        leave(window);
        EXPECT_FALSE(window->isVisible()) << way;
        EXPECT_FALSE(window.isNull()) << way;
        EXPECT_THAT(Take(0), IsEmpty()) << way;
    }
}

TEST(SecondaryDialogsOnTheBox, ALayoutShowsInTheZonesOnceSynchronized)
{
    CZm_configDlg dlg{nullptr, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant)};
    dlg.OnInitDialog();
    dlg.show();
    dlg.Editors().OnListSelChange(IDC_MIDI_IN_LIST, 0);
    dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    auto text = [&](int id) { return Get<QLineEdit>(&dlg, id)->text(); };

    Click(&dlg, IDC_SYNCHRONIZE);
    ASSERT_TRUE(WaitFor([&] { return text(kZoneKeyRange[3]) == "  0     87"; }));   // the box's piano

    Click(&dlg, IDC_KEYBOARD_CONFIG);
    ASSERT_TRUE(dlg.m_pKeyboardConfigDlg);
    Click(dlg.m_pKeyboardConfigDlg, IDC_PRESET_DUAL_MANUAL);
    QTest::qWait(300);
    EXPECT_EQ(text(kZoneKeyRange[1]), "  0     87") << "the zones change only when read back";

    Click(&dlg, IDC_SYNCHRONIZE);
    ASSERT_TRUE(WaitFor([&] { return text(kZoneKeyRange[3]) == " 61    121"; }));
    EXPECT_EQ(text(kZoneKeyRange[0]), "  0   60");
    EXPECT_EQ(text(kZoneKeyRange[1]), " 61    121");
    EXPECT_EQ(text(kZoneKeyRange[2]), "  0     60");
    for (int id : kZoneLowestNote)
        EXPECT_EQ(text(id), " 36") << id;
}
