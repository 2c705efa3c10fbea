// The Keyboard Configurator and the Automatic Stream Controls opened from
// the main window, driven offscreen by control id: what they open with, that
// the user's actions reach the box, and how each window goes. (The exact
// frames of every action: tests/editors/test_secondary_dialogs.cpp.) Last,
// a layout written to the simulated box and read back by Synchronize Data.
#include "FakeMidiPlatform.h"
#include "WaitFor.h"
#include "editors/AotSetup.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/AotSetupDlg.h"
#include "ui/KeyboardConfigDlg.h"
#include "ui/ListBox.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

template <typename T = QWidget>
T* Get(CTemplateDialog* dialog, int id)
{
    return qobject_cast<T*>(dialog->Control(id));
}

void Click(CTemplateDialog* dialog, int id)
{
    // Near the right edge, well beyond the caption of a radio button.
    QWidget* control = Get(dialog, id);
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(control->width() - 3, control->height() / 2));
}

bool Checked(CTemplateDialog* dialog, int id)
{
    return Get<QAbstractButton>(dialog, id)->isChecked();
}

// Every way out of a secondary window.
const std::vector<std::function<void(CTemplateDialog*)>> kWaysOut = {
    [](CTemplateDialog* w) { Click(w, IDOK); },
    [](CTemplateDialog* w) { Click(w, IDCANCEL); },
    [](CTemplateDialog* w) { QTest::keyClick(w, Qt::Key_Return); },
    [](CTemplateDialog* w) { QTest::keyClick(w, Qt::Key_Escape); },
    [](CTemplateDialog* w) { w->close(); },
};

class SecondaryDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dlg.OnInitDialog();
        dlg.show();
        dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    }

    //! How many frames left since the last call, once at least `count` have.
    size_t Sent(size_t count)
    {
        WaitFor([&] { return platform->liveOutputs.at(0)->Sent().size() >= taken + count; }, 2000);
        QTest::qWait(20);   // and no more
        const size_t now = platform->liveOutputs.at(0)->Sent().size();
        return now - std::exchange(taken, now);
    }
    std::vector<uint8_t> Last() { return platform->liveOutputs.at(0)->Sent().back(); }

    CFakeMidiPlatform* platform = new CFakeMidiPlatform({"In A"}, {"Out A"});
    CZm_configDlg dlg{nullptr, std::unique_ptr<IMidiPlatform>(platform)};
    size_t taken = 0;
};

} // namespace

TEST_F(SecondaryDialogsTest, KeyboardConfiguratorOpensAfreshFromTheHeldValues)
{
    dlg.Held().XtableValues[21] = 3;
    dlg.Held().XtableValues[23] = 16;
    dlg.Held().XtableValues[27] = 210;   // milliseconds
    Click(&dlg, IDC_KEYBOARD_CONFIG);
    EXPECT_EQ(Sent(7), 7u) << "the seven inquiries";
    QPointer<CKeyboardConfigDlg> first = dlg.KeyboardConfigWindow();
    ASSERT_TRUE(first && first->isVisible());
    EXPECT_EQ(first->windowTitle(), "Keyboard Configurator");
    auto list = [&](int id) { return Get<CListBox>(first, id); };
    EXPECT_EQ(list(1031)->currentItem()->text(), "3 normal");
    EXPECT_EQ(list(1032)->SelectedLine(), -1);
    EXPECT_EQ(list(1030)->currentItem()->text(), "200 mSec Default");

    // "Custom Config" is a group of its own.
    for (int id : {1028, 1036, 1025})
        Click(first, id);
    EXPECT_EQ(Sent(12), 12u);
    EXPECT_TRUE(Checked(first, 1025) && !Checked(first, 1028) && Checked(first, 1036));
    first->SetCheck(1036, false);   // the program may clear a checked button
    EXPECT_FALSE(Checked(first, 1036));

    QTest::keyClick(list(1030), Qt::Key_Down);   // every step sends
    QTest::keyClick(list(1030), Qt::Key_Down);
    EXPECT_EQ(Sent(2), 2u);
    EXPECT_EQ(Last(), (std::vector<uint8_t>{0xF0, 0x09, 0x43, 0x1B, 0x00, 0x7A, 0x01, 0xF7}));   // 250 ms

    Click(&dlg, IDC_KEYBOARD_CONFIG);
    EXPECT_EQ(Sent(7), 7u);
    EXPECT_TRUE(first.isNull()) << "the open window went";
    ASSERT_TRUE(dlg.KeyboardConfigWindow());
    EXPECT_FALSE(Checked(dlg.KeyboardConfigWindow(), 1025));
    EXPECT_EQ(Get<CListBox>(dlg.KeyboardConfigWindow(), 1030)->SelectedLine(), 8);

    for (size_t way = 0; way < kWaysOut.size(); ++way) {
        Click(&dlg, IDC_KEYBOARD_CONFIG);
        EXPECT_EQ(Sent(7), 7u);
        QPointer<CKeyboardConfigDlg> window = dlg.KeyboardConfigWindow();
        kWaysOut[way](window);
        EXPECT_TRUE(WaitFor([&] { return window.isNull() && (dlg.KeyboardConfigWindow() == nullptr); })) << way;
        EXPECT_EQ(Sent(0), 0u) << way;
    }
}

TEST_F(SecondaryDialogsTest, AotSetupMarksTheHeldOptionsAndTakesOnlyAValidDelay)
{
    dlg.Held().HeldAotBooleans = 0x81;
    dlg.Held().HeldAotDelay = 255;
    Click(&dlg, IDC_AOT_SETUP);
    EXPECT_EQ(Sent(1), 1u) << "inquiry of parameter 30";
    QPointer<CAotSetupDlg> first = dlg.AotSetupWindow();
    ASSERT_TRUE(first && first->isVisible());
    EXPECT_EQ(first->windowTitle(), "Allen Organ Automatic Stream Controls");
    for (int id : {1048, 1049, 1050, 1051, 1052, 1053, 1054, 1056})
        EXPECT_EQ(Checked(first, id), id == 1048 || id == 1056) << id;
    auto* edit = Get<QLineEdit>(first, IDC_AOT_DELAY);
    EXPECT_EQ(edit->text(), "255");

    Click(first, 1056);
    EXPECT_EQ(Sent(1), 1u);
    EXPECT_EQ(Last(), (std::vector<uint8_t>{0xF0, 0x09, 0x43, 0x1E, 0x00, 0x01, 0x00, 0xF7}));
    EXPECT_FALSE(Checked(first, 1056));

    edit->setText("300");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(Get<QLabel>(first, IDC_AOT_DELAY_PROBLEM)->text().toStdString(), kAotDelayProblem);
    EXPECT_EQ(Sent(0), 0u);
    edit->setText("17");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Sent(1), 1u);
    EXPECT_EQ(Last(), (std::vector<uint8_t>{0xF0, 0x09, 0x43, 0x1F, 0x00, 0x11, 0x00, 0xF7}));
    EXPECT_TRUE(!first->isVisible() && !first.isNull()) << "hidden, not destroyed";

    for (size_t way = 0; way < kWaysOut.size(); ++way) {
        Click(&dlg, IDC_AOT_SETUP);
        EXPECT_EQ(Sent(1), 1u);
        EXPECT_TRUE(first.isNull()) << "the old window went, shown or hidden";
        first = dlg.AotSetupWindow();
        EXPECT_EQ(first->AotOptions(), 0x81) << "from the held byte again";
        EXPECT_EQ(Get<QLineEdit>(first, IDC_AOT_DELAY)->text(), "255");
        kWaysOut[way](first);
        EXPECT_TRUE(!first.isNull() && !first->isVisible()) << way;
        EXPECT_EQ(Sent(0), 0u) << way;
    }
}

TEST_F(SecondaryDialogsTest, AotOkSendsNoDelayTheUserDidNotChange)
{
    dlg.Held().HeldAotDelay = 20;
    Click(&dlg, IDC_AOT_SETUP);
    EXPECT_EQ(Sent(1), 1u);
    // The box reports a new delay (parameter 31 = 130) while the window is open.
    const std::vector<uint8_t> report = {0xF0, 0x09, 0x43, 0x1F, 0x00, 0x02, 0x01, 0xF7};
    ASSERT_TRUE(dlg.Editors().Rings().sysex.Write(report.data(), report.size()));
    ASSERT_TRUE(WaitFor([&] { return dlg.Held().HeldAotDelay == 130; }));
    EXPECT_EQ(Get<QLineEdit>(dlg.AotSetupWindow(), IDC_AOT_DELAY)->text(), "20") << "not refreshed while open";

    Click(dlg.AotSetupWindow(), IDOK);
    EXPECT_FALSE(dlg.AotSetupWindow()->isVisible());
    EXPECT_EQ(Sent(0), 0u) << "the box's newer value stays";
}

TEST_F(SecondaryDialogsTest, AotOptionsFollowTheBoxSoAClickKeepsTheOthers)
{
    // Opened before any Synchronize Data: nothing is held yet. The box then
    // answers the window's inquiry with options 0 and 2 on.
    Click(&dlg, IDC_AOT_SETUP);
    EXPECT_EQ(Sent(1), 1u);
    const std::vector<uint8_t> report = {0xF0, 0x09, 0x43, 0x1E, 0x00, 0x05, 0x00, 0xF7};
    ASSERT_TRUE(dlg.Editors().Rings().sysex.Write(report.data(), report.size()));
    ASSERT_TRUE(WaitFor([&] { return dlg.Held().HeldAotBooleans == 5; }));
    QPointer<CAotSetupDlg> window = dlg.AotSetupWindow();
    for (int id : {1048, 1049, 1050, 1051, 1052, 1053, 1054, 1056})
        EXPECT_EQ(Checked(window, id), id == 1048 || id == 1050) << id;

    Click(window, 1049);
    EXPECT_EQ(Sent(1), 1u);
    EXPECT_EQ(Last(), (std::vector<uint8_t>{0xF0, 0x09, 0x43, 0x1E, 0x00, 0x07, 0x00, 0xF7})) << "not 02: 0 and 2 stay on";
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
    Click(dlg.KeyboardConfigWindow(), IDC_PRESET_DUAL_MANUAL);
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
