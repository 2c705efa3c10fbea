// The window's box entries end to end: "Find ZM1 box" among a MIDI through
// port and a synthesiser, with the box answering at MIDI wire speed, its
// progress window and its result; "Read back after each change" redrawing
// a zone column from the box, and kept for the next start.
#include "DeviceRow.h"
#include "WaitFor.h"
#include "res/resource.h"
#include "ui/BoxActions.h"
#include "ui/ListBox.h"
#include "ui/MessageWindowModel.h"
#include "ui/Zm_configDlg.h"

#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CZm_configDlg> StartDialog(const QString& settings)
{
    auto dlg = std::make_unique<CZm_configDlg>(nullptr, MakeDeviceRow({{"Midi Through", DeviceKind::Echo},
                                                                       {"Synth", DeviceKind::Silent},
                                                                       {"ZM1 Simulator", DeviceKind::Box}},
                                                                      SimTiming::WireSpeed));
    dlg->SetSettingsFile(settings);
    dlg->OnInitDialog();
    dlg->show();
    return dlg;
}

std::string LastLine(CZm_configDlg& dlg)
{
    dlg.MessageWindow().Flush();
    const CMessageLog& log = dlg.MessageWindow().Log();
    return log.Count() ? std::string(log.Line(log.Count() - 1)) : std::string();
}

int Selected(CZm_configDlg& dlg, int id)
{
    return qobject_cast<CListBox*>(dlg.Control(id))->SelectedLine();
}

} // namespace

TEST(BoxActions, FindShowsWhichDeviceItTriesAndOpensThePairThatAnswers)
{
    QTemporaryDir dir;
    auto dlg = StartDialog(dir.filePath("zm_config.conf"));
    CBoxActions& actions = *dlg->BoxActions();
    actions.FindAction()->trigger();
    ASSERT_TRUE(actions.Finding());

    // Two silent outputs first: long enough for the progress window.
    ASSERT_TRUE(WaitFor([&] { return actions.ProgressWindow() && actions.ProgressWindow()->isVisible(); }));
    EXPECT_TRUE(actions.ProgressWindow()->labelText().startsWith("Trying \"")) << actions.ProgressWindow()->labelText().toStdString();
    QMenu menu;
    actions.AddTo(menu);
    EXPECT_FALSE(actions.FindAction()->isEnabled()) << "one search at a time";

    ASSERT_TRUE(WaitFor([&] { return !actions.Finding(); }));
    EXPECT_EQ(LastLine(*dlg), "ZM1 box found: input \"ZM1 Simulator\", output \"ZM1 Simulator\"");
    EXPECT_EQ(Selected(*dlg, IDC_MIDI_IN_LIST), 2);
    EXPECT_EQ(Selected(*dlg, IDC_MIDI_OUT_LIST), 2);
    EXPECT_TRUE(WaitFor([&] { return actions.ProgressWindow() == nullptr; }));
}

TEST(BoxActions, ReadBackRedrawsTheZoneAndIsKeptForTheNextStart)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("zm_config/zm_config.conf");
    auto pickAttack = [](CZm_configDlg& dlg, int line) {
        auto* list = qobject_cast<CListBox*>(dlg.Control(kZoneAttackList[1]));
        list->SelectLine(line);
        emit list->UserSelChange(line);
    };
    auto keyRange = [](CZm_configDlg& dlg) {
        return qobject_cast<QLineEdit*>(dlg.Control(kZoneKeyRange[1]))->text().toStdString();
    };
    {
        auto first = StartDialog(settings);
        first->Editors().PortLists().ChoosePair(2, 2);
        EXPECT_FALSE(first->BoxActions()->ReadBackAction()->isChecked()) << "off until the user turns it on";
        pickAttack(*first, 20);
        QTest::qWait(300);
        EXPECT_EQ(keyRange(*first), "") << "off: the column waits for Synchronize Data";

        first->BoxActions()->ReadBackAction()->trigger();
        pickAttack(*first, 21);
        EXPECT_TRUE(WaitFor([&] { return keyRange(*first) == "  0     87"; }));
        EXPECT_EQ(qobject_cast<CListBox*>(first->Control(kZoneAttackList[1]))->SelectedLine(), 21);
    }
    auto second = StartDialog(settings);
    EXPECT_TRUE(second->BoxActions()->ReadBackAction()->isChecked());
    EXPECT_TRUE(second->Editors().ReadBack().Enabled());
}
