// The message window: batched announcements, Latin-1 lines, scrolling that
// leaves a user alone, a horizontal extent that follows the longest line,
// hit testing at any depth; pausing, filtering and saving the window.
#include "WaitFor.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/MessageWindowActions.h"
#include "ui/MessageWindowModel.h"
#include "ui/MessageWindowView.h"
#include "ui/Zm_configDlg.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(MessageWindowModel, AnnouncesABurstOfLinesOnceAndConsistently)
{
    CMessageWindowModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    int countSeenAtInsertion = -1;
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeInserted,
                     [&] { countSeenAtInsertion = model.rowCount(); });

    for (int i = 0; i < 1000; ++i)
        model.Append("line " + std::to_string(i));
    EXPECT_EQ(model.rowCount(), 0) << "nothing announced before the event loop turns";
    EXPECT_EQ(model.StoredCount(), 1000u);

    QCoreApplication::processEvents();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 999);
    EXPECT_EQ(countSeenAtInsertion, 0);
    EXPECT_EQ(model.rowCount(), 1000);

    model.Append("late");
    model.Flush();
    model.Flush();   // nothing new: no empty insertion
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.at(1).at(1).toInt(), 1000);
    EXPECT_EQ(inserted.at(1).at(2).toInt(), 1000);
    EXPECT_EQ(model.data(model.index(1000, 0)).toString(), "late");
    EXPECT_FALSE(model.data(model.index(1001, 0)).isValid());
}

TEST(MessageWindowModel, EveryByteIsOneLatin1Character)
{
    CMessageWindowModel model;
    model.Append("\xE9t\xE9 \xB0\xFF\x01"s);
    model.Flush();
    const QString shown = model.data(model.index(0, 0)).toString();
    ASSERT_EQ(shown.size(), 7);
    EXPECT_EQ(shown.at(0), QChar(0xE9));
    EXPECT_EQ(shown.at(5), QChar(0xFF));
    EXPECT_EQ(shown.at(6), QChar(0x01));
}

TEST(MessageWindowModel, CopyTextIsExactWithoutTheTerminator)
{
    CMessageWindowModel model;
    EXPECT_EQ(model.CopyText(), QByteArray());
    model.Append("abc");
    model.Append("");
    model.Append("\xB0\xFF"s);
    EXPECT_EQ(model.CopyText(), QByteArray("item   0: abc\r\nitem   1: \r\nitem   2: \xB0\xFF\r\n"));
}

TEST(MessageWindowModel, ClearKeepsTheRememberedCount)
{
    CMessageWindowModel model;
    for (int i = 0; i < 5; ++i)
        model.Append("x");
    EXPECT_EQ(model.TakeScrollTarget(), 4);
    EXPECT_EQ(model.TakeScrollTarget(), CMessageLog::kNoScroll);

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.Clear();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);
    // 0 differs from the 5 remembered before the clear: nothing to show, 0 remembered.
    EXPECT_EQ(model.TakeScrollTarget(), -1);
    model.Append("first after clear");
    EXPECT_EQ(model.TakeScrollTarget(), 0);
}

namespace {

class MessageViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.SetMessageModel(&model);
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    void AppendLines(int count, const std::string& prefix = "line ")
    {
        for (int i = 0; i < count; ++i)
            model.Append(prefix + std::to_string(model.StoredCount()));
    }
    int LastVisibleRow() { return view.TopRow() + view.VisibleRows() - 1; }

    CMessageWindowModel model;
    CMessageWindowView view;
};

} // namespace

TEST_F(MessageViewTest, NewLinesScrollIntoViewButAUserWhoScrolledUpStays)
{
    AppendLines(500);
    view.ScrollToLast();
    EXPECT_EQ(LastVisibleRow(), 499);

    view.verticalScrollBar()->setValue(100);   // the user reads older lines
    view.ScrollToLast();
    view.ScrollToLast();
    EXPECT_EQ(view.TopRow(), 100);

    AppendLines(1);
    view.ScrollToLast();
    EXPECT_EQ(LastVisibleRow(), 500);

    model.Clear();
    view.ScrollToLast();
    EXPECT_EQ(view.TopRow(), 0);
    AppendLines(1, "after clear");
    view.ScrollToLast();
    EXPECT_EQ(view.indexAt(QPoint(5, 2)).data().toString(), "after clear0");
}

TEST_F(MessageViewTest, HorizontalExtentFollowsTheLongestLine)
{
    AppendLines(3);
    view.ScrollToLast();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);

    model.Append(std::string(300, 'W'));
    view.ScrollToLast();
    const QFontMetrics metrics(view.font());
    EXPECT_GE(view.ContentsWidth(), metrics.horizontalAdvance(QString(300, 'W')));
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), view.ContentsWidth() - view.viewport()->width());
    // The line is drawn full width, never elided.
    EXPECT_GE(view.visualRect(model.index(0, 0)).width(), view.ContentsWidth());

    model.Clear();
    view.ScrollToLast();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
}

TEST_F(MessageViewTest, ClicksAndKeysFindTheRightLineDeepInALongLog)
{
    AppendLines(300000);
    view.ScrollToLast();
    ASSERT_EQ(model.rowCount(), 300000);
    EXPECT_EQ(LastVisibleRow(), 299999);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 300000 - view.VisibleRows());

    view.verticalScrollBar()->setValue(123456);
    const int y = view.RowHeight() * 2 + view.RowHeight() / 2;
    EXPECT_EQ(view.visualRect(model.index(123458, 0)).top(), 2 * view.RowHeight());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, y));
    EXPECT_EQ(view.currentIndex().row(), 123458);
    EXPECT_TRUE(view.selectionModel()->isSelected(model.index(123458, 0)));

    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().row(), 123459);
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_EQ(view.currentIndex().row(), 123459 + view.VisibleRows() - 1);
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.currentIndex().row(), 299999);
    EXPECT_EQ(LastVisibleRow(), 299999);
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_EQ(view.TopRow(), 0);

    // Below the last line there is no line.
    model.Clear();
    AppendLines(2);
    view.ScrollToLast();
    EXPECT_FALSE(view.indexAt(QPoint(5, view.RowHeight() * 5)).isValid());
}

// ---- keeping the window: pause, filter and save -----------------------------

namespace {

size_t NoteLines(const CMessageLog& log)
{
    size_t count = 0;
    for (size_t i = 0; i < log.Count(); ++i)
        count += log.Line(i).find("NOTE_ON") != std::string_view::npos;
    return count;
}

} // namespace

TEST(MessageWindowOnTheBox, PauseLosesNothingUnderAKeyStreamAndTheFilterHidesOnlyItsLines)
{
    CZm_configDlg dlg{nullptr, std::make_unique<CSimMidiPlatform>()};
    dlg.OnInitDialog();
    dlg.Editors().OnListSelChange(IDC_MIDI_IN_LIST, 0);
    dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    CMessageWindowModel& window = dlg.MessageWindow();
    const CPlayingStatistics& playing = dlg.Editors().KeyboardView().Model().Playing();
    auto noteOnsCounted = [&] {
        uint32_t total = playing.UnmappedNoteOns() + playing.LayeredNoteOns();
        for (uint32_t count : playing.VelocityHistogram())
            total += count;
        return size_t{total};
    };

    SendSetParameter(dlg.Editors().Sender(), 8, 1);   // the box plays
    ASSERT_TRUE(WaitFor([&] { return NoteLines(window.Log()) >= 8; }));
    dlg.MessageActions()->PauseAction()->trigger();
    const size_t stored = window.StoredCount();
    const size_t countedAtPause = noteOnsCounted();
    QTest::qWait(1500);
    EXPECT_EQ(window.StoredCount(), stored) << "nothing appended while paused";
    EXPECT_GT(noteOnsCounted(), countedAtPause + 8) << "the box kept playing";
    EXPECT_TRUE(window.StatusText().startsWith("Paused: ")) << window.StatusText().toStdString();
    SendSetParameter(dlg.Editors().Sender(), 8, 0);
    size_t counted = 0;
    ASSERT_TRUE(WaitFor([&] {   // quiet for half a second
        const size_t before = noteOnsCounted();
        QTest::qWait(500);
        counted = noteOnsCounted();
        return counted == before;
    }, 10000));

    dlg.MessageActions()->PauseAction()->trigger();
    window.Flush();
    EXPECT_EQ(window.Lines().HeldCount(), 0u);
    EXPECT_EQ(NoteLines(window.Log()), counted) << "every note-on has its line";
    EXPECT_EQ(window.rowCount(), static_cast<int>(window.StoredCount()));

    dlg.MessageActions()->FilterAction()->trigger();
    EXPECT_EQ(window.Lines().HiddenCount(), counted);
    EXPECT_EQ(static_cast<size_t>(window.rowCount()), window.StoredCount() - counted);
    for (int row = 0; row < window.rowCount(); ++row)
        ASSERT_FALSE(window.data(window.index(row, 0)).toString().contains("NOTE_ON")) << row;
    EXPECT_TRUE(window.CopyText().startsWith("Filtered: " + QByteArray::number(qulonglong(counted)) +
                                             " short messages hidden\r\nitem   0: "));
}

TEST(MessageWindowSave, AMillionLinesAreWrittenByteForByte)
{
    CMessageWindowModel model;
    std::string expected;
    for (int i = 0; i < 1000000; ++i) {
        // Every thousandth line has bytes above 0x7F: one Latin-1 character
        // each, two bytes in the UTF-8 file.
        if (i % 1000 == 0) {
            model.Append("\xE9t\xE9 \xB0" + std::to_string(i));
            expected += "\xC3\xA9t\xC3\xA9 \xC2\xB0" + std::to_string(i) + '\n';
        } else {
            model.Append("Chan  1 NOTE_ON        #  " + std::to_string(i % 128) + " ,Vel  64 , " + std::to_string(i));
            expected += "Chan  1 NOTE_ON        #  " + std::to_string(i % 128) + " ,Vel  64 , " + std::to_string(i) + '\n';
        }
    }
    model.Flush();
    CMessageWindowActions actions(model, nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("messages.txt"));
    ASSERT_TRUE(actions.SaveTo(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    ASSERT_EQ(static_cast<size_t>(saved.size()), expected.size());
    EXPECT_TRUE(saved == QByteArray::fromRawData(expected.data(), static_cast<qsizetype>(expected.size())));
    EXPECT_EQ(model.Log().Line(1000000), "Message window saved to " + path.toStdString() + " (1000000 lines)");
}
