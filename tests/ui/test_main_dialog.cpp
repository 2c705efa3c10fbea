// The main window: initial contents, the message window's buttons, the
// timer, the control interface, the About box and the teardown on every way
// out, with and without an automation client.
#include "FakeMidiPlatform.h"
#include "RecordingSender.h"
#include "WaitFor.h"
#include "app/AutomationModule.h"
#include "app/Zm_configDlgAutoProxy.h"
#include "res/resource.h"
#include "sim/SystemMidiPlatform.h"
#include "ui/AboutDlg.h"
#include "ui/KeyboardView.h"
#include "ui/ListBox.h"
#include "ui/MessageWindowModel.h"
#include "ui/MessageWindowView.h"
#include "ui/PortActions.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// The help lines exactly as the user is to read them.
const std::vector<std::string> kExpectedHelp = {
    "This application must comunicate with the ZM1 box it is controlling",
    "",
    "1> Connect a MIDI cable from your computers MIDI out to the ZM control box MIDI in",
    "2> Connect a MIDI cable from your computers MIDI in to the ZM control box MIDI out",
    "3> Select the proper MIDI In channel in the MIDI in window by clicking the appropriate device",
    "4> Select the proper MIDI Out channel in the MIDI out window by clicking the appropriate device",
    "",
    "5> If you want to listen to your pianos midi stream on an external MIDI synth",
    "      Connect a MIDI cable from your computers secondary MIDI out to the ZM synths MIDI in",
    "      Select the proper MIDI Out channel in the MIDI thru/out window by clicking the appropriate device",
    "",
    "Once the conections are set then issue the sychronize data command. This will cause the computer",
    "to querey the controller box about its status. The status will the be displayed on the",
    "screen to the left",
    "",
    "Remember that to activate a paramater in a window you must click on the value. The active value will",
    "be highlighted and transmitted to the scanner for acitvation",
    "this version to be used with version 2.03 or later firmware",
};

// Each teardown closes the output and the thru/out port whether or not they
// are open; with neither open, each close adds its failure line.
const std::vector<std::string> kOneTeardown = {"midiOutClose failed THIS may be BAD",
                                               "MidiThruOutClose failed THIS may be BAD"};
const std::vector<std::string> kTwoTeardowns = {kOneTeardown[0], kOneTeardown[1], kOneTeardown[0], kOneTeardown[1]};

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override { dlg.OnInitDialog(); }

    //! Message-window lines appended since the last call.
    std::vector<std::string> TakeLines()
    {
        std::vector<std::string> lines = MessageLines();
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(taken, lines.size())));
        taken += lines.size();
        return lines;
    }

    template <typename T = QWidget>
    T* Get(int id)
    {
        auto* w = qobject_cast<T*>(dlg.Control(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    QString Text(int id) { return Get<QLineEdit>(id)->text(); }
    QStringList Lines(int id) { return Get<CListBox>(id)->Lines(); }
    std::vector<std::string> MessageLines()
    {
        const CMessageLog& log = dlg.MessageWindow().Log();
        std::vector<std::string> lines;
        for (size_t i = 0; i < log.Count(); ++i)
            lines.emplace_back(log.Line(i));
        return lines;
    }
    void Click(int id) { QTest::mouseClick(Get(id), Qt::LeftButton); }
    void ClickLine(int id, int row)   // most lists are one line high: scroll first
    {
        auto* list = Get<CListBox>(id);
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    // Runs `action` once the modal run has started.
    void Soon(std::function<void()> action) { QTimer::singleShot(0, &dlg, std::move(action)); }

    // The dialog owns the platform; the test keeps an eye on it.
    CFakeMidiPlatform* platform = new CFakeMidiPlatform({"In A", "In B"}, {"Out A", "Out B", "Out C"});
    CZm_configDlg dlg{nullptr, std::unique_ptr<IMidiPlatform>(platform)};
    size_t taken = kExpectedHelp.size();
};

QStringList Expected(int count, const std::function<QString(int)>& text)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(text(i));
    return lines;
}

} // namespace

TEST_F(MainDialogTest, StartsWithTheHelpTheReadoutsAndNothingElse)
{
    EXPECT_EQ(MessageLines(), kExpectedHelp);
    EXPECT_EQ(Text(IDC_NUMBER_KEYS), "88");
    EXPECT_EQ(Text(IDC_LOW_NOTE_KEY2), "36");
    for (int id : {IDC_XTABLE_DATA, IDC_IDENTIFICATION, IDC_READOUT_3, IDC_READOUT_4, IDC_READOUT_5})
        EXPECT_EQ(Text(id), "") << id;
    for (size_t zone = 0; zone < 4; ++zone) {
        EXPECT_EQ(Text(kZoneKeyRange[zone]), "") << zone;
        EXPECT_EQ(Text(kZoneLowestNote[zone]), "") << zone;
    }
    EXPECT_TRUE(Get<QAbstractButton>(IDC_SHOW_KEYS)->isChecked());
    EXPECT_FALSE(Get<QAbstractButton>(IDC_SHOW_XOPTO)->isChecked());
    EXPECT_FALSE(Get<QAbstractButton>(IDC_SHOW_MISC)->isChecked());
    EXPECT_FALSE(Get<QAbstractButton>(IDC_SCANNER_122)->isChecked()) << "laid out for 88 keys";
    EXPECT_EQ(dlg.Editors().Options().ScannerKeyCount, 88);
    for (size_t zone = 0; zone < 4; ++zone) {
        EXPECT_FALSE(Get<QAbstractButton>(kZoneMute[zone])->isChecked());
        EXPECT_FALSE(Get<QAbstractButton>(kZoneSetZone[zone])->isChecked());
    }
    EXPECT_FALSE(dlg.windowIcon().isNull());
    EXPECT_NE(dlg.TimerId(), 0);
    EXPECT_EQ(dlg.AutoProxy(), nullptr);
}

TEST_F(MainDialogTest, ZoneAndParameterListsHoldTheirEntriesWithNothingSelected)
{
    const QStringList channels = Expected(16, [](int i) { return (i < 9 ? " " : "") + QString::number(i + 1); });
    const QStringList curves = {"Nrm Exp", "Displ 1s", "Displ 0s", "Linear", "Lin Int", "Rev Int", "Thresh", "RevThrs"};
    const QStringList touch = {"None", "Poly Key", "Channel", "Second T", "Map None", "Map Poly", "Map Chan", "Map 2nd"};
    QStringList release = Expected(64, [](int i) { return (i < 10 ? "  " : " ") + QString::number(i); });
    release[0] = "off";
    QStringList attack = release;
    attack[14] = "14 Normal";

    for (size_t zone = 0; zone < 4; ++zone) {
        SCOPED_TRACE(zone);
        EXPECT_EQ(Lines(kZoneChannelList[zone]), channels);
        EXPECT_EQ(Lines(kZoneAttackList[zone]), attack);
        EXPECT_EQ(Lines(kZoneReleaseList[zone]), release);
        EXPECT_EQ(Lines(kZoneCurveList[zone]), curves);
        EXPECT_EQ(Lines(kZoneAftertouchList[zone]), touch);
    }
    const QStringList parameters = Lines(IDC_PARAMETER_LIST);
    ASSERT_EQ(parameters.size(), 32);
    EXPECT_EQ(parameters[0], "ZmFunc_StationName");
    EXPECT_EQ(parameters[6], "ZmFunc_ZoneMutBits");
    EXPECT_EQ(parameters[12], "ZmFunc_NumberKeys ");
    EXPECT_EQ(parameters[31], "ZmFunc_Aot_t_delay ");

    for (CListBox* list : dlg.findChildren<CListBox*>())
        EXPECT_EQ(list->SelectedLine(), -1) << list->objectName().toStdString();
    EXPECT_FALSE(dlg.MessageWindowView().currentIndex().isValid());
}

TEST_F(MainDialogTest, CopyPutsTheExactBytesOnTheClipboard)
{
    dlg.AppendLine("F0 09 43 \xB0\xFF"s);
    Click(IDC_COPY_MESSAGES);

    QByteArray expected;
    char line[256];
    std::vector<std::string> lines = kExpectedHelp;
    lines.push_back("F0 09 43 \xB0\xFF"s);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int n = std::snprintf(line, sizeof line, "item%4d: %s\r\n", static_cast<int>(i), lines[i].c_str());
        expected.append(line, n);
    }
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(clip, nullptr);
    ASSERT_TRUE(clip->hasFormat("text/plain"));
    EXPECT_EQ(clip->data("text/plain"), expected);
    EXPECT_TRUE(clip->data("text/plain").endsWith("\xB0\xFF\r\n")) << "high bytes stay single bytes";

    Click(IDC_CLEAR_MESSAGES);
    Click(IDC_COPY_MESSAGES);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain"), QByteArray());
}

TEST_F(MainDialogTest, EachTickRunsTheDecoderThenKeepsItsNewLinesInView)
{
    dlg.show();
    // 120 replies reach the capture rings as the driver would put them there.
    SysExByteRing& ring = dlg.Editors().Rings().sysex;
    for (int i = 0; i < 120; ++i) {
        const std::string text = "reply " + std::to_string(i);
        std::vector<uint8_t> frame = {0xF0, 0x09, 0x11};
        frame.insert(frame.end(), text.begin(), text.end());
        frame.push_back(0xF7);
        ASSERT_TRUE(ring.Write(frame.data(), frame.size()));
    }
    ASSERT_TRUE(WaitFor([&] { return dlg.MessageWindow().StoredCount() == kExpectedHelp.size() + 120; }));
    QTest::qWait(150);   // one more tick, after the last lines
    EXPECT_EQ(MessageLines().back(), "reply 119");

    CMessageWindowView& view = dlg.MessageWindowView();
    const int last = dlg.MessageWindow().rowCount() - 1;
    EXPECT_EQ(last, static_cast<int>(dlg.MessageWindow().StoredCount()) - 1);
    EXPECT_EQ(view.TopRow() + view.VisibleRows() - 1, last);

    view.verticalScrollBar()->setValue(0);   // the user scrolls up; nothing new arrives
    QTest::qWait(250);
    EXPECT_EQ(view.TopRow(), 0);
}

TEST_F(MainDialogTest, ClearEmptiesTheWindowAndTheNextLineScrollsIntoView)
{
    dlg.show();
    for (int i = 0; i < 100; ++i)
        dlg.AppendLine("old");
    dlg.ScrollToLast();
    Click(IDC_CLEAR_MESSAGES);
    EXPECT_EQ(dlg.MessageWindow().rowCount(), 0);
    EXPECT_EQ(dlg.MessageWindow().StoredCount(), 0u);
    dlg.ScrollToLast();
    dlg.AppendLine("new");
    dlg.ScrollToLast();
    EXPECT_EQ(dlg.MessageWindow().rowCount(), 1);
    EXPECT_EQ(dlg.MessageWindowView().TopRow(), 0);
}

TEST_F(MainDialogTest, ControlInterfaceReachesTheWidgets)
{
    dlg.SetControlText(IDC_NUMBER_KEYS, "122");
    dlg.SetControlText(IDC_IDENTIFICATION, "ZM1 \xE9"s);
    EXPECT_EQ(Text(IDC_NUMBER_KEYS), "122");
    EXPECT_EQ(dlg.ControlText(IDC_IDENTIFICATION), "ZM1 \xE9"s);
    EXPECT_EQ(dlg.ControlText(12345), "");

    dlg.SelectListLine(kZoneAttackList[1], 14);
    EXPECT_EQ(Get<CListBox>(kZoneAttackList[1])->SelectedLine(), 14);
    dlg.SelectListLine(kZoneAttackList[1], -1);
    EXPECT_EQ(Get<CListBox>(kZoneAttackList[1])->SelectedLine(), -1);
    dlg.SelectListLine(IDC_MIDI_IN_LIST, 1);
    EXPECT_TRUE(platform->Calls().empty()) << "selections by the program run no handler";

    dlg.InsertListLine(IDC_MIDI_IN_LIST, 0, "In Z");
    EXPECT_EQ(Lines(IDC_MIDI_IN_LIST), (QStringList{"In Z", "In A", "In B"}));
    dlg.SetCheck(kZoneMute[2], true);
    EXPECT_TRUE(Get<QAbstractButton>(kZoneMute[2])->isChecked());

    // Unknown ids and unfit controls are ignored, never a crash.
    dlg.SetControlText(9999, "x");
    dlg.SelectListLine(IDC_NUMBER_KEYS, 1);
    dlg.InsertListLine(9999, 0, "x");
    dlg.SetCheck(IDC_NUMBER_KEYS, true);
    dlg.InsertListLine(IDC_MESSAGE_WINDOW, 0, "through the list interface");
    EXPECT_EQ(MessageLines().back(), "through the list interface");
}

TEST_F(MainDialogTest, UserClicksReachThePortLists)
{
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ClickLine(IDC_MIDI_THRU_LIST, 1);
    ClickLine(IDC_MIDI_THRU_LIST, 1);   // the open thru/out device again: thru off
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 2);
    EXPECT_EQ(platform->Calls(), (std::vector<std::string>{"open out1", "close out1", "open in0", "start in0", "open out2"}));

    Click(IDC_KEYBOARD_CONFIG);
    EXPECT_EQ(platform->Calls().size(), 5u) << "no teardown from other buttons";
}

TEST_F(MainDialogTest, EditorClicksSendTheirFramesTheProgramsSelectionsNothing)
{
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    Get<CListBox>(IDC_MIDI_OUT_LIST)->SelectLine(0);
    dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    ClickLine(kZoneAttackList[1], 0);
    Get(IDC_XTABLE_DATA)->setFocus();
    Click(kZoneMute[2]);
    EXPECT_EQ(QApplication::focusWidget(), &dlg) << "Mute gives the focus back to the dialog";
    ClickLine(IDC_PARAMETER_LIST, 12);
    QTest::keyClicks(Get(IDC_XTABLE_DATA), "123456");
    Click(IDC_SEND_XTABLE);
    // An "Off" button, a decoder redraw and the bound-text transfer select
    // lines without a list's handler.
    Click(kZoneAttackOff[2]);
    const std::vector<uint8_t> zoneReply = Hex("F0 09 5A 09 02 00 08 15 6C 15 01 0E 00 02 01 F7");
    dlg.Editors().Rings().sysex.Write(zoneReply.data(), zoneReply.size());
    dlg.Editors().Tick();
    dlg.TransferBoundTexts();
    EXPECT_EQ(Get<CListBox>(kZoneChannelList[2])->SelectedLine(), 1);

    ASSERT_TRUE(dlg.Editors().Ports().Transmitter().WaitUntilSent(std::chrono::seconds(2)));
    std::vector<std::string> sent;
    for (const auto& frame : platform->liveOutputs.at(0)->Sent())
        sent.push_back(HexText(frame));
    EXPECT_EQ(sent, (std::vector<std::string>{"F0 09 5A 08 01 04 01 00 F7", "F0 09 43 06 00 04 00 F7",
                                              "F0 09 43 0C 00 39 60 F7"}));   // 12345: five characters
}

TEST_F(MainDialogTest, OkAndCancelTearDownOnceAndEndWithTheirResult)
{
    Get<QLineEdit>(IDC_XTABLE_DATA)->setText("42");
    Soon([&] { Click(IDOK); });
    EXPECT_EQ(dlg.DoModal(), int(IDOK));
    EXPECT_EQ(TakeLines(), kOneTeardown);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.BoundTexts().XtableData, "42") << "OK reads the bound texts back";

    Soon([&] { Click(IDCANCEL); });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    EXPECT_EQ(TakeLines(), kOneTeardown);
}

// Enter and Escape end nothing, wherever the focus is; Enter in "Xtable
// Data" does what "Send Xtable Data" does: the same frame or refusal line.
TEST_F(MainDialogTest, EnterAndEscapeKeepTheWindowAndEnterInXtableDataSendsIt)
{
    dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    dlg.Editors().OnListSelChange(IDC_PARAMETER_LIST, 12);
    TakeLines();
    auto* edit = Get<QLineEdit>(IDC_XTABLE_DATA);
    std::vector<std::string> results;   // per step: the new frame, then the new lines
    size_t framesSeen = 0;
    auto result = [&] {
        EXPECT_TRUE(dlg.Editors().Ports().Transmitter().WaitUntilSent(std::chrono::seconds(2)));
        const auto frames = platform->liveOutputs.at(0)->Sent();
        std::string out = frames.size() > std::exchange(framesSeen, frames.size()) ? HexText(frames.back()) : "";
        for (const std::string& line : TakeLines())
            out += line;
        results.push_back(out);
    };
    Soon([&] {
        for (const char* text : {"42", "abc"}) {
            edit->setText(text);
            Click(IDC_SEND_XTABLE);
            result();
            QTest::keyClick(edit, Qt::Key_Return);
            result();
        }
        QTest::keyClick(edit, Qt::Key_Escape);
        for (int id : {int(IDOK), int(IDCANCEL), int(IDC_PARAMETER_LIST)})   // Enter on OK too
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(Get(id), key);
        result();
        results.push_back(dlg.isVisible() ? "open" : "closed");
        Click(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    const std::string refusal = "Send Xtable Data: \"abc\" is not a whole number from 0 to 16383, nothing sent";
    EXPECT_EQ(results, (std::vector<std::string>{"F0 09 43 0C 00 2A 00 F7", "F0 09 43 0C 00 2A 00 F7", refusal,
                                                 refusal, "", "open"}));
}

TEST_F(MainDialogTest, CtrlKOpensTheKeyboardViewEvenFromTheXtableDataEdit)
{
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(Get(IDC_XTABLE_DATA), Qt::Key_K, Qt::ControlModifier);   // an edit's own Ctrl+K gives way
    auto* view = dlg.findChild<CKeyboardViewWindow*>();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
}

TEST_F(MainDialogTest, AListLineCutByItsListShowsItsWholeTextAsTooltip)
{
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* list = Get<CListBox>(kZoneAttackList[2]);
    const std::pair<int, QString> lines[] = {{0, ""}, {13, ""}, {14, "14 Normal"}};   // no tooltip until the last
    for (const auto& [row, tooltip] : lines) {
        list->scrollToItem(list->item(row));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), tooltip) << row;
    }
}

TEST_F(MainDialogTest, TheCloseBoxTearsDownThenTurnsIntoCancel)
{
    Soon([&] { dlg.close(); });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    EXPECT_EQ(TakeLines(), kTwoTeardowns);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MainDialogTest, AboutBoxFromTheSystemCommandTheMenuAndF1)
{
    std::vector<QString> captions;
    auto closeAboutSoon = [&] {
        QTimer::singleShot(50, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            captions.push_back(about ? about->windowTitle() : QString());
            if (about)
                QTest::mouseClick(about->findChild<QWidget*>(QString::number(IDOK)), Qt::LeftButton);
        });
    };
    closeAboutSoon();
    dlg.OnSysCommand(IDM_ABOUTBOX | 0x7);   // the low four bits do not matter

    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    closeAboutSoon();
    QTest::keyClick(&dlg, Qt::Key_F1);

    // The context menu offers the entry under its text, after the port entries.
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts.append(action->text());
        EXPECT_EQ(texts, (QStringList{"Rescan MIDI ports", "Reopen these ports at start", "", "Find ZM1 box",
                                      "Read back after each change", "", QString::fromUtf8("Save setup\u2026"),
                                      QString::fromUtf8("Load setup\u2026"), QString::fromUtf8("Compare with box\u2026"),
                                      "", "Save message window...", "Pause", "Hide short messages", "",
                                      "Keyboard View", "&About zm_config..."}));
        EXPECT_EQ(menu->actions().at(14)->shortcut(), QKeySequence("Ctrl+K"));
        EXPECT_TRUE(menu->actions().at(14)->isShortcutVisibleInContextMenu());
        for (int checkItem : {1, 4, 11, 12}) {
            EXPECT_TRUE(menu->actions().at(checkItem)->isCheckable());
            EXPECT_FALSE(menu->actions().at(checkItem)->isChecked()) << "off until the user turns it on";
        }
        closeAboutSoon();
        menu->actions().constLast()->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dlg.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&dlg, &event);
    ASSERT_TRUE(WaitFor([&] { return captions.size() == 3; }));
    EXPECT_EQ(captions, (std::vector<QString>(3, "About zm_config")));

    dlg.OnSysCommand(0xF060);   // any other system command: no About box
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainDialogTest, AGoneDeviceIsReportedOnceByTheTimerAndARescanFromTheMenuReopensIt)
{
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ClickLine(IDC_MIDI_IN_LIST, 1);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    TakeLines();

    platform->gone = {"In B"};
    ASSERT_TRUE(WaitFor([&] { return MessageLines().size() > taken; }));
    QTest::qWait(1000);   // two more looks at the devices: nothing more to say
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"Midi Input Port closed: In B is gone"});
    EXPECT_EQ(Get<CListBox>(IDC_MIDI_IN_LIST)->SelectedLine(), 1) << "the choice stays in view";

    platform->gone.clear();
    platform->nextListing = {{"In B", "In A"}, {"Out A", "Out B", "Out C"}};
    dlg.PortActions()->RescanAction()->trigger();
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"MIDI ports listed again: 2 input(s), 3 output(s)", "In B"}));
    EXPECT_EQ(Lines(IDC_MIDI_IN_LIST), (QStringList{"In B", "In A"}));
    EXPECT_EQ(Get<CListBox>(IDC_MIDI_IN_LIST)->SelectedLine(), 0);
    EXPECT_EQ(Get<CListBox>(IDC_MIDI_OUT_LIST)->SelectedLine(), 0);
    EXPECT_NE(platform->liveInput, nullptr);
}

TEST(RememberedPorts, ReopenedAtTheNextStartAfterTheHelpLinesWithTheLinesOfAClick)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("zm_config/zm_config.conf");
    auto start = [&](std::vector<std::string> outputs, CFakeMidiPlatform*& platform) {
        platform = new CFakeMidiPlatform({"In A", "In B"}, std::move(outputs));
        auto dlg = std::make_unique<CZm_configDlg>(nullptr, std::unique_ptr<IMidiPlatform>(platform));
        dlg->SetSettingsFile(settings);
        dlg->OnInitDialog();
        return dlg;
    };
    auto linesAfterHelp = [](CZm_configDlg& dlg) {
        std::vector<std::string> lines;
        for (size_t i = kExpectedHelp.size(); i < dlg.MessageWindow().Log().Count(); ++i)
            lines.emplace_back(dlg.MessageWindow().Log().Line(i));
        return lines;
    };
    auto select = [](CZm_configDlg& dlg, int id, int row) {
        auto* list = qobject_cast<CListBox*>(dlg.Control(id));
        list->SelectLine(row);
        emit list->UserSelChange(row);
    };

    CFakeMidiPlatform* platform = nullptr;
    {
        auto first = start({"Out A", "Out B", "Out C"}, platform);
        select(*first, IDC_MIDI_IN_LIST, 1);
        select(*first, IDC_MIDI_OUT_LIST, 2);
        first->PortActions()->ReopenAction()->trigger();   // on: the choice is kept from now on
        select(*first, IDC_MIDI_OUT_LIST, 1);
        select(*first, IDC_MIDI_THRU_LIST, 0);
        first->OpenKeyboardView().resize(700, 400);   // kept in the same file
    }
    {
        // "Out B" is not there this time.
        auto second = start({"Out A", "Out C"}, platform);
        EXPECT_TRUE(second->PortActions()->ReopenAction()->isChecked());
        EXPECT_EQ(linesAfterHelp(*second), (std::vector<std::string>{
                      "In B", "Midi Out Port not reopened: Out B is not there", "MidiThruOutOpen           No error."}));
        EXPECT_EQ(qobject_cast<CListBox*>(second->Control(IDC_MIDI_IN_LIST))->SelectedLine(), 1);
        EXPECT_EQ(qobject_cast<CListBox*>(second->Control(IDC_MIDI_OUT_LIST))->SelectedLine(), -1);
        EXPECT_EQ(qobject_cast<CListBox*>(second->Control(IDC_MIDI_THRU_LIST))->SelectedLine(), 0);
        EXPECT_TRUE(QSettings(settings, QSettings::IniFormat).contains("KeyboardView/geometry"));
        EXPECT_LT(second->OpenKeyboardView().width(), 800) << "the 700 x 400 of the last run, not the first-run size";
        second->PortActions()->ReopenAction()->trigger();   // off again
    }
    auto third = start({"Out A", "Out B", "Out C"}, platform);
    EXPECT_FALSE(third->PortActions()->ReopenAction()->isChecked());
    EXPECT_EQ(linesAfterHelp(*third), std::vector<std::string>{});
    EXPECT_EQ(platform->Calls(), std::vector<std::string>{}) << "nothing opened";
}

// An automation client holds the object: every way out only hides the
// dialog; the client's release ends an automation-started program.
class HeldByClientTest : public MainDialogTest {
protected:
    void SetUp() override
    {
        MainDialogTest::SetUp();
        module.SetMainWindow(&dlg);
        module.SetQuitAction([this] { ++quits; });
    }
    void TearDown() override { delete proxy; }

    CAutomationModule module;
    CZm_configDlgAutoProxy* proxy = nullptr;
    int quits = 0;
};

TEST_F(HeldByClientTest, ClosingOnlyHidesAndTheReleaseEndsTheRun)
{
    module.SetUserControl(false);
    proxy = new CZm_configDlgAutoProxy(module);
    ASSERT_EQ(dlg.AutoProxy(), proxy);
    EXPECT_EQ(proxy->m_pDialog, &dlg);

    bool stillRunning = false;
    Soon([&] {
        Click(IDOK);
        Click(IDCANCEL);
        dlg.close();
        stillRunning = !dlg.isVisible();
        delete proxy;
        proxy = nullptr;
    });
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(stillRunning);
    // Three hides, then the ports closed once more when the window went.
    EXPECT_EQ(TakeLines().size(), 4 * kOneTeardown.size());
    EXPECT_EQ(dlg.AutoProxy(), nullptr);
    EXPECT_EQ(module.LiveObjects(), 0);
    EXPECT_TRUE(module.UserControl());
    EXPECT_EQ(quits, 0);
}

TEST_F(HeldByClientTest, StartedByTheUserTheReleaseLeavesTheDialogToTheUser)
{
    proxy = new CZm_configDlgAutoProxy(module);
    Soon([&] {
        Click(IDOK);            // hides: the client holds the object
        delete proxy;
        proxy = nullptr;
        dlg.show();             // still running; now the user can end it
        Click(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    EXPECT_EQ(TakeLines(), kTwoTeardowns);
}

TEST_F(HeldByClientTest, AReleaseWhileTheAboutBoxIsOpenLeavesTheUserInControl)
{
    module.SetUserControl(false);
    proxy = new CZm_configDlgAutoProxy(module);
    Soon([&] {
        QTimer::singleShot(50, [&] {
            delete proxy;   // the main window is blocked: it is not destroyed
            proxy = nullptr;
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            about->accept();
            QTimer::singleShot(0, [&] { Click(IDCANCEL); });
        });
        dlg.OnSysCommand(IDM_ABOUTBOX);
    });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    EXPECT_TRUE(module.UserControl());
}

TEST(MainDialogLifetime, NeitherTheDialogNorTheProxyOutlivesTheOther)
{
    CAutomationModule module;
    int quits = 0;
    module.SetQuitAction([&] { ++quits; });
    module.SetUserControl(false);
    CZm_configDlgAutoProxy* proxy = nullptr;
    {
        CZm_configDlg dlg{nullptr, CreateMidiPlatform()};
        module.SetMainWindow(&dlg);
        proxy = new CZm_configDlgAutoProxy(module);
        module.SetMainWindow(nullptr);
    }
    EXPECT_EQ(proxy->m_pDialog, nullptr);
    delete proxy;   // no main window left: a quit is posted instead
    EXPECT_EQ(quits, 1);
}
