// The main window against the built-in simulated box, end to end: the port
// lists, clicks that open ports with their lines, requests leaving on the
// output and the box's replies coming back through the capture rings and
// the decoder on the window's own timer into the controls.
#include "FakeMidiPlatform.h"
#include "WaitFor.h"
#include "midi/CombinedMidiPlatform.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/ListBox.h"
#include "ui/MessageWindowModel.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class DialogMidiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dlg.OnInitDialog();
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }

    CListBox* List(int id) { return qobject_cast<CListBox*>(dlg.Control(id)); }
    void ClickLine(int id, int row)
    {
        CListBox* list = List(id);
        list->scrollToItem(list->item(row));   // most lists are one line high
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    void Click(int id) { QTest::mouseClick(dlg.Control(id), Qt::LeftButton); }
    QString Text(int id) { return qobject_cast<QLineEdit*>(dlg.Control(id))->text(); }
    QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(dlg.Control(id)); }

    //! Message-window lines from `from` on.
    std::vector<std::string> LinesFrom(size_t from)
    {
        dlg.MessageWindow().Flush();
        const CMessageLog& log = dlg.MessageWindow().Log();
        std::vector<std::string> lines;
        for (size_t i = from; i < log.Count(); ++i)
            lines.emplace_back(log.Line(i));
        return lines;
    }
    size_t LineCount() { return dlg.MessageWindow().Log().Count(); }
    bool HasLine(size_t from, const std::string& line)
    {
        const auto lines = LinesFrom(from);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // The simulated box answers at once: the tests need not wait for the wire.
    CZm_configDlg dlg{nullptr, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant)};
};

} // namespace

TEST_F(DialogMidiTest, PortListsShowTheDevicesAndClicksOpenThemWithTheirLines)
{
    for (int id : {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST, IDC_MIDI_THRU_LIST})
        EXPECT_EQ(List(id)->Lines(), QStringList{"ZM1 Simulator"}) << id;

    size_t mark = LineCount();
    ClickLine(IDC_MIDI_IN_LIST, 0);
    EXPECT_EQ(LinesFrom(mark), std::vector<std::string>{"ZM1 Simulator"});
    ClickLine(IDC_MIDI_IN_LIST, 0);   // the open input again: nothing
    EXPECT_EQ(LineCount(), mark + 1);

    mark = LineCount();
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    EXPECT_EQ(LinesFrom(mark), (std::vector<std::string>{"0", "midiOutOpen           No error.", "ZM1 Simulator"}));

    mark = LineCount();
    ClickLine(IDC_MIDI_THRU_LIST, 0);   // the device serves as output already
    EXPECT_EQ(LinesFrom(mark), std::vector<std::string>{"Midi port # 0 Already in use as output"});
    EXPECT_EQ(List(IDC_MIDI_THRU_LIST)->currentRow(), 0) << "back on the thru index";
}

TEST_F(DialogMidiTest, SynchronizeDataShowsWhatTheBoxHolds)
{
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    const size_t mark = LineCount();

    Click(IDC_SYNCHRONIZE);
    // The last of the fifteen replies is the delay of the automatic stream.
    ASSERT_TRUE(WaitFor([&] { return HasLine(mark, "43  parameter#: 031 value 000 ZmFunc_Aot_t_delay"); }));
    EXPECT_TRUE(HasLine(mark, "GetZone1  lo_key 000 hi_key 087 lo_note 021 midi_chan   0 atk_vel  14 "
                              "rel_vel   0  atk_type   0  aftrtch_type   0 "));
    // The box's "Piano" layout: keys 0-87 from note 21, channels 1-4, "14 Normal".
    for (size_t zone = 0; zone < 4; ++zone) {
        SCOPED_TRACE(zone);
        EXPECT_EQ(Text(kZoneKeyRange[zone]), zone == 0 ? "  0   87" : "  0     87");
        EXPECT_EQ(Text(kZoneLowestNote[zone]), " 21");
        EXPECT_EQ(List(kZoneChannelList[zone])->SelectedLine(), static_cast<int>(zone));
        EXPECT_EQ(List(kZoneAttackList[zone])->SelectedLine(), 14);
        EXPECT_FALSE(Button(kZoneMute[zone])->isChecked()) << "every zone sounds";
    }
    EXPECT_EQ(Text(IDC_NUMBER_KEYS), " 88");
    EXPECT_EQ(Text(IDC_IDENTIFICATION), "ZM1 Station 1");
    EXPECT_EQ(dlg.Held().XtableValues[27], 200);  // the aftertouch delay

    // The revision request fills the identification box again.
    Click(IDC_REVISION_REQUEST);
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_IDENTIFICATION).startsWith("ZM1 key scanner software 2.03"); }));
}

// Writes show after the next Synchronize Data; Mute, Set Zone and the
// readouts follow what the box reports.
TEST_F(DialogMidiTest, TheBoxShowsWhatTheEditorsWrote)
{
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    Click(IDC_SYNCHRONIZE);
    ASSERT_TRUE(WaitFor([&] { return Text(kZoneLowestNote[0]) == " 21"; }));
    Click(kZoneUp[0]);
    Click(kZonePlus12[0]);
    ClickLine(kZoneCurveList[1], 5);
    List(kZoneCurveList[1])->SelectLine(0);
    EXPECT_EQ(Text(kZoneLowestNote[0]), " 21") << "the edit waits for the box";
    Click(IDC_SYNCHRONIZE);
    EXPECT_TRUE(WaitFor([&] { return Text(kZoneLowestNote[0]) == " 34" && List(kZoneCurveList[1])->SelectedLine() == 5; }));

    ClickLine(IDC_PARAMETER_LIST, ZmFunc_NumberKeys);
    QTest::keyClicks(dlg.Control(IDC_XTABLE_DATA), "122");
    Click(IDC_SEND_XTABLE);
    EXPECT_TRUE(WaitFor([&] { return Text(IDC_NUMBER_KEYS) == "122"; }));
    Click(kZoneMute[1]);
    EXPECT_TRUE(WaitFor([&] { return Button(kZoneMute[1])->isChecked(); }));
    Click(kZoneSetZone[2]);
    EXPECT_TRUE(Button(kZoneSetZone[2])->isChecked());
    EXPECT_TRUE(WaitFor([&] { return !Button(kZoneSetZone[2])->isChecked(); }));
}

TEST_F(DialogMidiTest, SmartDumpIsLaidOutForTheScannersKeyCount)
{
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    struct Case {
        int keys;
        const char* misc;
    };
    for (const Case& c : {Case{88, "Number of Keys  88 Lowest Key Number 21 Keyboard direction 0"},
                          Case{122, "Number of Keys 122 Lowest Key Number 21 Keyboard direction 0"}}) {
        SCOPED_TRACE(c.keys);
        SendSetParameter(dlg.Editors().Sender(), ZmFunc_NumberKeys, c.keys);
        dlg.Editors().Options().ScannerKeyCount = c.keys;
        dlg.Editors().Options().ShowMisc = 1;
        const size_t mark = LineCount();
        Click(IDC_SMART_DUMP);
        // The report ends with the conversion parameter.
        ASSERT_TRUE(WaitFor([&] {
            const auto lines = LinesFrom(mark);
            return !lines.empty() && lines.back().rfind("conv param hm?", 0) == 0;
        }));
        const auto lines = LinesFrom(mark);
        EXPECT_TRUE(HasLine(mark, c.misc));
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "key rest information"), 1);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Misc information"), 1);
    }
}

TEST_F(DialogMidiTest, ThruPassesTheBoxsKeyStreamToASecondOutput)
{
    // The simulator plus a synthesiser that records what it is sent.
    auto* synth = new CFakeMidiPlatform({}, {"Synth"});
    auto combined = std::make_unique<CCombinedMidiPlatform>();
    combined->Add(std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant));
    combined->Add(std::unique_ptr<IMidiPlatform>(synth));
    CZm_configDlg two{nullptr, std::move(combined)};
    two.OnInitDialog();
    auto clickLine = [&](int id, int row) {
        auto* list = qobject_cast<CListBox*>(two.Control(id));
        list->SelectLine(row);
        two.Editors().OnListSelChange(id, row);
    };
    clickLine(IDC_MIDI_IN_LIST, 0);
    clickLine(IDC_MIDI_OUT_LIST, 0);
    clickLine(IDC_MIDI_THRU_LIST, 1);
    SendSetParameter(two.Editors().Sender(), 8, 1);   // the box starts playing

    ASSERT_TRUE(WaitFor([&] {
        const auto it = synth->liveOutputs.find(0);
        if (it == synth->liveOutputs.end())
            return false;
        const auto sent = it->second->Sent();
        return std::count_if(sent.begin(), sent.end(), [](const auto& m) { return (m[0] & 0xF0) == 0x90 && m[2] != 0; }) >= 4;
    }, 10000));
    SendSetParameter(two.Editors().Sender(), 8, 0);
}

TEST_F(DialogMidiTest, CancelClosesThePortsAndEndsTheRun)
{
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    QTimer::singleShot(0, &dlg, [this] { Click(IDCANCEL); });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    const CPortSession& ports = dlg.Editors().Ports();
    EXPECT_EQ(ports.Port(PortKind::Output).Status(), PortStatus::Closed);
    EXPECT_EQ(ports.Port(PortKind::Input).Status(), PortStatus::Released) << "the input keeps its mark";
    EXPECT_EQ(ports.Port(PortKind::Input).InputPort(), nullptr);
}

// The bound texts are written out again after a receive-buffer failure; that
// must not wipe what the box reported since start-up.
TEST_F(DialogMidiTest, WritingTheBoundTextsAgainKeepsWhatTheProgramShowed)
{
    dlg.SetControlText(IDC_NUMBER_KEYS, " 90");
    dlg.SetControlText(IDC_LOW_NOTE_KEY2, " 21");
    dlg.SetControlText(IDC_IDENTIFICATION, "ZM1 2.03");
    dlg.SetControlText(kZoneKeyRange[1], " 21    108");
    dlg.TransferBoundTexts();
    auto text = [&](int id) { return qobject_cast<QLineEdit*>(dlg.Control(id))->text(); };
    EXPECT_EQ(text(IDC_NUMBER_KEYS), " 90");
    EXPECT_EQ(text(IDC_LOW_NOTE_KEY2), " 21");
    EXPECT_EQ(text(IDC_IDENTIFICATION), "ZM1 2.03");
    EXPECT_EQ(text(kZoneKeyRange[1]), " 21    108");
    EXPECT_EQ(text(kZoneKeyRange[0]), "");
}
