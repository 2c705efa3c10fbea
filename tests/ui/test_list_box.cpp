// List boxes report exactly the user's selections, and keep added lines in
// order in a sorted list.
#include "ui/ListBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(200, 120);
        for (const char* text : {"alpha", "bravo", "charlie", "delta"})
            list.InsertLine(-1, QString::fromLatin1(text));
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    QPoint LineCentre(int row) { return list.visualItemRect(list.item(row)).center(); }
    void Click(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list.viewport(), button, {}, LineCentre(row));
    }
    std::vector<int> Reported()
    {
        std::vector<int> rows;
        for (const QList<QVariant>& args : spy)
            rows.push_back(args.at(0).toInt());
        spy.clear();
        return rows;
    }

    CListBox list{false};
    QSignalSpy spy{&list, &CListBox::UserSelChange};
};

} // namespace

TEST_F(ListBoxTest, EveryClickOnALineReportsAlsoOnTheSelectedLine)
{
    Click(2);
    EXPECT_EQ(Reported(), std::vector<int>{2});
    EXPECT_EQ(list.SelectedLine(), 2);
    Click(2);   // clicking the open device again must reach the port logic
    Click(0);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, LineCentre(0));
    EXPECT_EQ(Reported(), (std::vector<int>{2, 0, 0}));
    EXPECT_EQ(list.SelectedLine(), 0);   // a Ctrl+click keeps the line it reports
}

TEST_F(ListBoxTest, ClicksBesideTheLinesAndOtherButtonsReportNothing)
{
    Click(1);
    Reported();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 2));
    Click(3, Qt::RightButton);
    Click(3, Qt::MiddleButton);
    EXPECT_TRUE(Reported().empty());
    EXPECT_EQ(list.SelectedLine(), 1);
}

TEST_F(ListBoxTest, KeysThatMoveTheSelectionReport)
{
    Click(1);
    Reported();
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);   // already on the last line: no move
    QTest::keyClick(&list, Qt::Key_Home);
    QTest::keyClick(&list, Qt::Key_C);      // type-ahead to "charlie"
    QTest::keyClick(&list, Qt::Key_Right);  // Left and Right step as Up and Down
    QTest::keyClick(&list, Qt::Key_Left);
    QTest::keyClick(&list, Qt::Key_Left);
    EXPECT_EQ(Reported(), (std::vector<int>{2, 3, 0, 2, 3, 2, 1}));
    EXPECT_EQ(list.SelectedLine(), 1);
}

TEST_F(ListBoxTest, DraggingOntoOtherLinesReportsEachNewLine)
{
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, LineCentre(0));
    QMouseEvent move(QEvent::MouseMove, LineCentre(2), list.viewport()->mapToGlobal(LineCentre(2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &move);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, LineCentre(2));
    EXPECT_EQ(Reported(), (std::vector<int>{0, 2}));
}

TEST_F(ListBoxTest, SelectionsByTheProgramNeverReport)
{
    list.SelectLine(3);
    EXPECT_EQ(list.SelectedLine(), 3);
    list.SelectLine(-1);
    EXPECT_EQ(list.SelectedLine(), -1);
    list.SelectLine(99);   // out of range: nothing selected, no crash
    EXPECT_EQ(list.SelectedLine(), -1);
    list.setCurrentRow(1);
    EXPECT_TRUE(Reported().empty());
}

TEST(ListBoxLines, ALineSelectedByTheProgramComesIntoViewEvenWhenItWasSelected)
{
    // A zone's channel list shows one line: scrolled away by the user, it
    // must show the box's value again when the box's answer selects it.
    CListBox list{false};
    for (int channel = 1; channel <= 16; ++channel)
        list.InsertLine(-1, QString::number(channel));
    list.resize(80, list.sizeHintForRow(0) + 2 * list.frameWidth());
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const auto shown = [&](int row) { return list.viewport()->rect().contains(list.visualItemRect(list.item(row)).center()); };
    list.SelectLine(3);
    ASSERT_TRUE(shown(3));
    list.scrollToItem(list.item(2));
    ASSERT_FALSE(shown(3));
    list.SelectLine(3);
    EXPECT_TRUE(shown(3));
}

TEST(ListBoxLines, SortedListsSortAddedLinesButKeepInsertedOnes)
{
    CListBox sorted(true);
    for (const char* text : {"delta", "Alpha", "charlie", "bravo", "alpha"})
        sorted.AddLine(QString::fromLatin1(text));
    EXPECT_EQ(sorted.Lines(), (QStringList{"Alpha", "alpha", "bravo", "charlie", "delta"}));

    EXPECT_EQ(sorted.InsertLine(0, "zulu"), 0);    // an insertion keeps its place
    EXPECT_EQ(sorted.InsertLine(-1, "aaa"), 6);    // -1: at the end
    EXPECT_EQ(sorted.InsertLine(42, "end"), 7);    // past the end: at the end
    sorted.ReplaceLine(1, "zz");
    sorted.ReplaceLine(99, "ignored");
    EXPECT_EQ(sorted.Lines(), (QStringList{"zulu", "zz", "alpha", "bravo", "charlie", "delta", "aaa", "end"}));

    CListBox unsorted(false);
    for (const char* text : {"delta", "alpha"})
        unsorted.AddLine(QString::fromLatin1(text));
    EXPECT_EQ(unsorted.Lines(), (QStringList{"delta", "alpha"}));
}
