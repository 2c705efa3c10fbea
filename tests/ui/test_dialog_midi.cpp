// The main window on the built-in simulated MIDI devices: the port lists,
// clicks that open ports with their lines, the fixed requests leaving on the
// output and the replies coming back through the capture rings and the
// decoder on the window's own timer.
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
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    void Click(int id) { QTest::mouseClick(dlg.Control(id), Qt::LeftButton); }

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

    CZm_configDlg dlg{nullptr, std::make_unique<CSimMidiPlatform>()};
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

TEST_F(DialogMidiTest, RequestsGoOutAndTheirEchoIsDecodedOnTheTimer)
{
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    const size_t mark = LineCount();

    // The simulated device sends back what it receives: the revision request
    // comes back under a code the program does not read.
    Click(IDC_REVISION_REQUEST);
    QTRY_VERIFY_WITH_TIMEOUT(
        HasLine(mark, "unimplemented or undefined marrowvale/midi tessel sysex number f0091a"), 3000);

    // Synchronize Data: four zone reads come back as one-byte zone replies
    // and fill zone 1 to 4's key range boxes; eleven inquiries follow.
    Click(IDC_SYNCHRONIZE);
    QTRY_VERIFY_WITH_TIMEOUT(HasLine(mark, "GetZone4  lo_key 000 "), 3000);
    EXPECT_TRUE(HasLine(mark, "GetZone1  lo_key 000 "));
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1020))->text(), "  0    0");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1068))->text(), "  0      0");
}

TEST_F(DialogMidiTest, CancelClosesThePortsAndEndsTheRun)
{
    ClickLine(IDC_MIDI_IN_LIST, 0);
    ClickLine(IDC_MIDI_OUT_LIST, 0);
    QTimer::singleShot(0, &dlg, [this] { Click(IDCANCEL); });
    EXPECT_EQ(dlg.DoModal(), int(IDCANCEL));
    const MidiPortState& state = dlg.Editors().Ports().State();
    EXPECT_FALSE(state.output.open);
    EXPECT_TRUE(state.inputOpen) << "the input keeps its mark";
    EXPECT_EQ(state.inputHandle, nullptr);
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
