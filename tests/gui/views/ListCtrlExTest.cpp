#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "gui/ColorRef.h"
#include "gui/views/CListCtrlEx.h"
#include "tests/gui/ScreenShot.h"

namespace {

constexpr int kHeader = CListCtrlEx::kHeaderHeight;

// Counts the events of one type that reach an object.
class EventCounter : public QObject {
public:
    EventCounter(QObject* target, QEvent::Type type) : type_(type) { target->installEventFilter(this); }

    int count = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == type_)
            ++count;
        return false;
    }

private:
    QEvent::Type type_;
};

class ListCtrlEx : public testing::Test {
protected:
    void SetUp() override
    {
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 300);
        list_ = new CListCtrlEx(window_.get());
        list_->move(0, 0);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ShowRows(5);
    }

    void TearDown() override { window_.reset(); }

    // Sizes the list so that exactly rows full rows fit below the header, with half a row to
    // spare.
    void ShowRows(int rows, int width = 300)
    {
        QWidget* view = list_->viewport();
        const int height = kHeader + rows * list_->GetRowHeight() + list_->GetRowHeight() / 2;
        list_->resize(width + list_->width() - view->width(), height + list_->height() - view->height());
        ASSERT_EQ(view->height(), height);
        ASSERT_EQ(list_->GetRowsPerPage(), rows);
    }

    void AddColumns(const std::vector<std::pair<std::string, int>>& columns)
    {
        for (const auto& [name, width] : columns)
            list_->InsertColumn(name, width, list_->GetColumnCount());
    }

    void AddRows(int count)
    {
        for (int i = 0; i < count; ++i)
            list_->InsertRow("row " + std::to_string(i), -1);
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < list_->GetRowCount(); ++i)
            texts.push_back(list_->GetRowText(i));
        return texts;
    }

    // The y of the middle of a visible row.
    int RowY(int row) const
    {
        return kHeader + (row - list_->GetFirstRow()) * list_->GetRowHeight() + list_->GetRowHeight() / 2;
    }

    void Mouse(QEvent::Type type, Qt::MouseButton button, int y, int x = 20)
    {
        QWidget* view = list_->viewport();
        const QPointF position(x, y);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
        QMouseEvent event(type, position, view->mapToGlobal(position), changed, held, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }

    // Whether a key reached the list's parent, as keys the list leaves to its owner do.
    bool KeyReachesOwner(int key)
    {
        EventCounter owner(window_.get(), QEvent::KeyPress);
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list_, &event);
        return owner.count > 0;
    }

    // The paints of the list's rows that what does causes.
    template <typename Action>
    int PaintsDuring(Action what)
    {
        QTest::qWait(20);
        EventCounter paints(list_->viewport(), QEvent::Paint);
        what();
        QTest::qWait(50);
        return paints.count;
    }

    QImage Grab() const { return list_->viewport()->grab().toImage(); }

    QColor System(QPalette::ColorRole role) const { return list_->palette().color(QPalette::Active, role); }

    std::unique_ptr<QWidget> window_;
    CListCtrlEx* list_ = nullptr;
};

::testing::AssertionResult PixelIs(const QImage& image, int x, int y, const QColor& expected)
{
    const QColor actual = image.pixelColor(x, y);
    if (actual.rgb() == expected.rgb())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is "
                                         << actual.name().toStdString() << ", expected "
                                         << expected.name().toStdString();
}

} // namespace

TEST_F(ListCtrlEx, StartsWithNoRowSelected)
{
    EXPECT_EQ(list_->GetCurSel(), -1);
    EXPECT_EQ(list_->GetSelectionLimit(), -1);
    EXPECT_EQ(list_->GetMarkedRow(), -1);
    EXPECT_EQ(list_->GetMarkColor(), 0xC0C0C0u);
    // An inserted row does not become selected on its own.
    list_->InsertRow("a", -1);
    EXPECT_EQ(list_->GetCurSel(), -1);
}

TEST_F(ListCtrlEx, SetCellTextFollowsTheTabRules)
{
    struct Case {
        const char* before;
        int columns;
        int column;
        const char* text;
        const char* after;
        bool repaints;
    };
    const Case cases[] = {
        {"a\tb", 3, 2, "x", "a\tb\tx", true},
        {"a\tb\tc", 3, 1, "", "a\t\tc", true},
        // Trailing empty cells go.
        {"a\tb", 3, 1, "", "a", true},
        {"a\tb\tc", 3, 2, "", "a\tb", true},
        {"a", 3, 0, "", "", true},
        {"", 3, 2, "x", "\t\tx", true},
        {"", 3, 0, "x", "x", true},
        // The same text as the cell: nothing changes, nothing is drawn again.
        {"a\tb", 3, 1, "b", "a\tb", false},
        {"a\tb", 3, 2, "", "a\tb", false},
        {"a\t\t", 3, 2, "", "a\t\t", false},
        // A changed cell removes trailing TABs that were there before.
        {"a\t\t", 3, 0, "z", "z", true},
        // Cells past the columns are kept.
        {"a\tb\tc\td", 3, 2, "z", "a\tb\tz\td", true},
        {"a\tb", 1, 0, "x", "x\tb", true},
        // A TAB in the text makes two cells of it.
        {"a\tb", 3, 0, "p\tq", "p\tq\tb", true},
        // Bytes, not UTF-8.
        {"\xE9t\xE9", 2, 1, "\xFC", "\xE9t\xE9\t\xFC", true},
        // No such column: ignored.
        {"a\tb", 3, 3, "x", "a\tb", false},
        {"a\tb", 0, 0, "x", "a\tb", false},
        // A negative column replaces the whole row.
        {"a\tb", 3, -1, "whole\tnew", "whole\tnew", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.before << "\" column " << c.column << " of "
                                        << c.columns << " := \"" << c.text << "\"");
        window_ = std::make_unique<QWidget>();
        list_ = new CListCtrlEx(window_.get());
        list_->resize(300, 100);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        for (int i = 0; i < c.columns; ++i)
            list_->InsertColumn(std::string(1, static_cast<char>('A' + i)), 60, i);
        list_->InsertRow(c.before, -1);
        const int paints = PaintsDuring([&] { list_->SetCellText(0, c.column, c.text); });
        EXPECT_EQ(list_->GetRowText(0), c.after);
        EXPECT_EQ(paints > 0, c.repaints);
    }
}

TEST_F(ListCtrlEx, SetCellTextIgnoresRowsOutsideTheList)
{
    AddColumns({{"A", 50}, {"B", 50}});
    list_->InsertRow("a\tb", -1);
    list_->SetCellText(-1, 0, "x");
    list_->SetCellText(1, 0, "x");
    list_->SetCellText(1, -1, "x");
    EXPECT_EQ(Texts(), std::vector<std::string>({"a\tb"}));
}

TEST_F(ListCtrlEx, InsertRowPlacesTheRowAndMovesTheSelection)
{
    struct Case {
        int position;
        int index;
        int selection;
    };
    // Three rows, row 1 selected.
    const Case cases[] = {
        {-1, 3, 1}, {-5, 3, 1}, {3, 3, 1}, {7, 3, 1}, {2, 2, 1}, {1, 1, 2}, {0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position);
        while (list_->GetRowCount() > 0)
            list_->DeleteRow(0);
        for (const char* text : {"r0", "r1", "r2"})
            list_->InsertRow(text, -1);
        list_->SelectRow(1);
        EXPECT_EQ(list_->InsertRow("new", c.position), c.index);
        EXPECT_EQ(list_->GetRowCount(), 4);
        EXPECT_EQ(list_->GetRowText(c.index), "new");
        EXPECT_EQ(list_->GetRowText(list_->GetCurSel()), "r1");
        EXPECT_EQ(list_->GetCurSel(), c.selection);
    }
}

TEST_F(ListCtrlEx, DeleteRowMovesTheSelection)
{
    struct Case {
        int rows;
        int selected;
        int row;
        int result;
        int selection;
    };
    const Case cases[] = {
        // The last row left: no selection.
        {1, 0, 0, 1, -1},
        // A row above the selection: the selection moves up with its row.
        {5, 3, 1, 1, 2},
        {5, 3, 0, 1, 2},
        // The selected row: the next row takes its place.
        {5, 3, 3, 1, 3},
        // A row below.
        {5, 3, 4, 1, 3},
        // The selected last row: nothing is selected afterwards.
        {5, 4, 4, 1, -1},
        // Rows outside the list are refused.
        {5, 3, -1, 0, 3},
        {5, 3, 5, 0, 3},
        {0, -1, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.selected << " selected, delete " << c.row);
        while (list_->GetRowCount() > 0)
            list_->DeleteRow(0);
        AddRows(c.rows);
        list_->SelectRow(c.selected);
        ASSERT_EQ(list_->GetCurSel(), c.selected);
        EXPECT_EQ(list_->DeleteRow(c.row), c.result);
        EXPECT_EQ(list_->GetRowCount(), c.rows - c.result);
        EXPECT_EQ(list_->GetCurSel(), c.selection);
    }
}

TEST_F(ListCtrlEx, AfterDeletingTheSelectedLastRowNoRowIsSelected)
{
    AddColumns({{"Name", 100}});
    AddRows(3);
    list_->SelectRow(2);
    list_->DeleteRow(2);
    EXPECT_EQ(list_->GetCurSel(), -1);

    // No row is drawn selected.
    const QImage image = Grab();
    for (int row = 0; row < 2; ++row)
        EXPECT_TRUE(PixelIs(image, 250, RowY(row), System(QPalette::Base)));

    // A row appended now does not become the selected one.
    list_->InsertRow("new", -1);
    EXPECT_EQ(list_->GetCurSel(), -1);
    list_->DeleteRow(2);

    // The keys go on from where the selection was.
    QTest::keyClick(list_, Qt::Key_Up);
    EXPECT_EQ(list_->GetCurSel(), 1);
}

TEST_F(ListCtrlEx, DeletionsKeepTheFirstRowWithinTheList)
{
    AddColumns({{"Name", 100}});
    AddRows(20);
    list_->SelectRow(19);
    ASSERT_EQ(list_->GetFirstRow(), 15);
    for (int row = 19; row >= 10; --row)
        list_->DeleteRow(row);
    // The last page stays full.
    EXPECT_EQ(list_->GetFirstRow(), 5);
    EXPECT_EQ(list_->verticalScrollBar()->maximum(), 5);
    EXPECT_EQ(list_->verticalScrollBar()->value(), 5);
    EXPECT_TRUE(PixelIs(Grab(), 250, RowY(9), System(QPalette::Base)));
    EXPECT_EQ(list_->GetRowText(list_->GetFirstRow()), "row 5");

    while (list_->GetRowCount() > 3)
        list_->DeleteRow(0);
    EXPECT_EQ(list_->GetFirstRow(), 0);
    while (list_->GetRowCount() > 0)
        list_->DeleteRow(0);
    EXPECT_EQ(list_->GetFirstRow(), 0);
    EXPECT_EQ(list_->GetCurSel(), -1);
}

TEST_F(ListCtrlEx, ATallerWindowKeepsTheLastPageFull)
{
    AddRows(20);
    list_->SelectRow(19);
    ASSERT_EQ(list_->GetFirstRow(), 15);
    ShowRows(8);
    EXPECT_EQ(list_->GetFirstRow(), 12);
    EXPECT_EQ(list_->verticalScrollBar()->pageStep(), 8);
    EXPECT_EQ(list_->verticalScrollBar()->maximum(), 12);
}

TEST_F(ListCtrlEx, MoveRowDownSwapsWithTheNextRow)
{
    struct Case {
        int row;
        int result;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {0, 1, {"row 1", "row 0", "row 2"}},
        {1, 1, {"row 0", "row 2", "row 1"}},
        {2, 0, {"row 0", "row 1", "row 2"}},
        {3, 0, {"row 0", "row 1", "row 2"}},
        {-1, 0, {"row 0", "row 1", "row 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        while (list_->GetRowCount() > 0)
            list_->DeleteRow(0);
        AddRows(3);
        list_->SelectRow(1);
        EXPECT_EQ(list_->MoveRowDown(c.row), c.result);
        EXPECT_EQ(Texts(), c.texts);
        EXPECT_EQ(list_->GetCurSel(), 1);
    }
}

TEST_F(ListCtrlEx, SelectRowScrollsTheRowIntoView)
{
    AddRows(20);
    struct Step {
        int row;
        int selected;
        int first;
    };
    // A page of 5 rows.
    const Step steps[] = {
        {3, 3, 0},   {4, 4, 0},  {5, 5, 1},    {19, 19, 15}, {100, 19, 15}, {10, 10, 10},
        {-7, 0, 0},  {17, 17, 13}, {14, 14, 13}, {12, 12, 12}, {16, 16, 12},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "select " << step.row);
        EXPECT_EQ(list_->SelectRow(step.row), step.selected);
        EXPECT_EQ(list_->GetCurSel(), step.selected);
        EXPECT_EQ(list_->GetFirstRow(), step.first);
        EXPECT_EQ(list_->verticalScrollBar()->value(), step.first);
    }
}

TEST_F(ListCtrlEx, SelectRowInAShortListDoesNotScroll)
{
    AddRows(3);
    EXPECT_EQ(list_->SelectRow(2), 2);
    EXPECT_EQ(list_->GetFirstRow(), 0);
    EXPECT_EQ(list_->SelectRow(9), 2);
    EXPECT_EQ(list_->verticalScrollBar()->maximum(), 0);
}

TEST_F(ListCtrlEx, SelectRowOnAnEmptyListSelectsNothing)
{
    EXPECT_EQ(list_->SelectRow(0), -1);
    EXPECT_EQ(list_->SelectRow(5), -1);
    EXPECT_EQ(list_->GetCurSel(), -1);
    EXPECT_EQ(list_->GetFirstRow(), 0);
}

TEST_F(ListCtrlEx, SelectionLimitStopsEveryWayOfSelecting)
{
    AddRows(10);
    list_->SetSelectionLimit(3);
    QTest::keyClick(list_, Qt::Key_End);
    EXPECT_EQ(list_->GetCurSel(), 3);
    QTest::keyClick(list_, Qt::Key_Down);
    EXPECT_EQ(list_->GetCurSel(), 3);
    QTest::keyClick(list_, Qt::Key_PageDown);
    EXPECT_EQ(list_->GetCurSel(), 3);
    EXPECT_EQ(list_->SelectRow(8), 3);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, RowY(4));
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, RowY(4));
    EXPECT_EQ(list_->GetCurSel(), 3);
    QTest::keyClick(list_, Qt::Key_Home);
    EXPECT_EQ(list_->GetCurSel(), 0);

    list_->SetSelectionLimit(-1);
    QTest::keyClick(list_, Qt::Key_End);
    EXPECT_EQ(list_->GetCurSel(), 9);
}

TEST_F(ListCtrlEx, KeysMoveTheSelection)
{
    AddRows(20);
    struct Case {
        int from;
        Qt::Key key;
        int selected;
    };
    // A page of 5 rows.
    const Case cases[] = {
        {7, Qt::Key_PageDown, 12}, {7, Qt::Key_PageUp, 2}, {7, Qt::Key_Home, 0}, {7, Qt::Key_End, 19},
        {7, Qt::Key_Up, 6},        {7, Qt::Key_Down, 8},   {0, Qt::Key_Up, 0},   {19, Qt::Key_Down, 19},
        {2, Qt::Key_PageUp, 0},    {17, Qt::Key_PageDown, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " key " << c.key);
        list_->SelectRow(c.from);
        ASSERT_EQ(list_->GetCurSel(), c.from);
        EXPECT_FALSE(KeyReachesOwner(c.key));
        EXPECT_EQ(list_->GetCurSel(), c.selected);
    }
}

TEST_F(ListCtrlEx, OtherKeysAreLeftToTheOwner)
{
    AddRows(5);
    list_->SelectRow(2);
    for (int key : {Qt::Key_Return, Qt::Key_Delete, Qt::Key_Escape, Qt::Key_Left, Qt::Key_A}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(KeyReachesOwner(key));
        EXPECT_EQ(list_->GetCurSel(), 2);
    }
}

TEST_F(ListCtrlEx, ADisabledListSwallowsEveryKey)
{
    AddRows(10);
    list_->SelectRow(4);
    list_->setEnabled(false);
    for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Return,
                    Qt::Key_Delete}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(KeyReachesOwner(key));
        EXPECT_EQ(list_->GetCurSel(), 4);
    }
    list_->setEnabled(true);
    QTest::keyClick(list_, Qt::Key_Down);
    EXPECT_EQ(list_->GetCurSel(), 5);
}

TEST_F(ListCtrlEx, ClicksSelectOnlyInTheRowsArea)
{
    AddColumns({{"Name", 100}});
    AddRows(3);
    const int rowHeight = list_->GetRowHeight();
    struct Case {
        int y;
        Qt::MouseButton button;
        int selected;
    };
    // Row 1 selected before each click.
    const Case cases[] = {
        {kHeader, Qt::LeftButton, 0},
        {kHeader + rowHeight - 1, Qt::LeftButton, 0},
        {kHeader + rowHeight, Qt::LeftButton, 1},
        {kHeader + 3 * rowHeight - 1, Qt::LeftButton, 2},
        {kHeader + 2 * rowHeight + 1, Qt::RightButton, 2},
        // Below the last row, in the header, or the middle button: nothing.
        {kHeader + 3 * rowHeight, Qt::LeftButton, 1},
        {kHeader - 1, Qt::LeftButton, 1},
        {2, Qt::RightButton, 1},
        {kHeader + 1, Qt::MiddleButton, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y << " button " << c.button);
        list_->SelectRow(1);
        Mouse(QEvent::MouseButtonPress, c.button, c.y);
        Mouse(QEvent::MouseButtonRelease, c.button, c.y);
        EXPECT_EQ(list_->GetCurSel(), c.selected);
    }
}

TEST_F(ListCtrlEx, AClickTakesTheFocus)
{
    AddRows(3);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    list_->clearFocus();
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 4);
    EXPECT_TRUE(list_->hasFocus());
}

TEST_F(ListCtrlEx, DraggingSelectsUntilTheButtonIsReleased)
{
    AddRows(20);
    list_->SelectRow(10);
    ASSERT_EQ(list_->GetFirstRow(), 6);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, RowY(7));
    EXPECT_EQ(list_->GetCurSel(), 7);
    Mouse(QEvent::MouseMove, Qt::LeftButton, RowY(9));
    EXPECT_EQ(list_->GetCurSel(), 9);
    // Above the rows the list scrolls up one row per move.
    Mouse(QEvent::MouseMove, Qt::LeftButton, 0);
    EXPECT_EQ(list_->GetCurSel(), 5);
    EXPECT_EQ(list_->GetFirstRow(), 5);
    Mouse(QEvent::MouseMove, Qt::LeftButton, 0);
    EXPECT_EQ(list_->GetCurSel(), 4);
    // Below the rows area: down to the end.
    Mouse(QEvent::MouseMove, Qt::LeftButton, 1000);
    EXPECT_EQ(list_->GetCurSel(), 19);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 1000);
    Mouse(QEvent::MouseMove, Qt::LeftButton, RowY(16));
    EXPECT_EQ(list_->GetCurSel(), 19);
}

TEST_F(ListCtrlEx, APressOutsideTheRowsDoesNotDrag)
{
    AddRows(3);
    list_->SelectRow(0);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 3);
    Mouse(QEvent::MouseMove, Qt::LeftButton, RowY(2));
    EXPECT_EQ(list_->GetCurSel(), 0);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, RowY(2));
}

TEST_F(ListCtrlEx, DisablingEndsADrag)
{
    AddRows(5);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, RowY(1));
    list_->setEnabled(false);
    list_->setEnabled(true);
    Mouse(QEvent::MouseMove, Qt::LeftButton, RowY(3));
    EXPECT_EQ(list_->GetCurSel(), 1);
}

TEST_F(ListCtrlEx, DoubleClicksOnRowsReachTheOwner)
{
    AddColumns({{"Name", 100}});
    AddRows(3);
    list_->SelectRow(0);
    QSignalSpy spy(list_, &CListCtrlEx::doubleClicked);
    struct Case {
        int y;
        Qt::MouseButton button;
        bool passed;
    };
    const int rowHeight = list_->GetRowHeight();
    const Case cases[] = {
        {RowY(2), Qt::LeftButton, true},
        {RowY(1), Qt::RightButton, true},
        {kHeader + 3 * rowHeight - 1, Qt::LeftButton, true},
        {kHeader + 3 * rowHeight, Qt::LeftButton, false},
        {5, Qt::LeftButton, false},
        {RowY(1), Qt::MiddleButton, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y << " button " << c.button);
        spy.clear();
        Mouse(QEvent::MouseButtonDblClick, c.button, c.y);
        ASSERT_EQ(spy.count(), c.passed ? 1 : 0);
        if (c.passed) {
            EXPECT_EQ(spy.at(0).at(0).value<Qt::MouseButton>(), c.button);
        }
        // The double-click itself does not select.
        EXPECT_EQ(list_->GetCurSel(), 0);
    }

    spy.clear();
    list_->setEnabled(false);
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, RowY(1));
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(ListCtrlEx, ScrollBarActionsMoveTheFirstRow)
{
    AddRows(20);
    list_->SelectRow(2);
    QScrollBar* bar = list_->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 15);
    EXPECT_EQ(bar->pageStep(), 5);
    struct Step {
        QAbstractSlider::SliderAction action;
        int first;
    };
    const Step steps[] = {
        {QAbstractSlider::SliderSingleStepSub, 0}, {QAbstractSlider::SliderSingleStepAdd, 1},
        {QAbstractSlider::SliderPageStepAdd, 6},   {QAbstractSlider::SliderPageStepAdd, 11},
        {QAbstractSlider::SliderPageStepAdd, 15},  {QAbstractSlider::SliderSingleStepAdd, 15},
        {QAbstractSlider::SliderPageStepSub, 10},  {QAbstractSlider::SliderToMinimum, 0},
        {QAbstractSlider::SliderToMaximum, 15},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "action " << step.action);
        bar->triggerAction(step.action);
        EXPECT_EQ(list_->GetFirstRow(), step.first);
        EXPECT_EQ(bar->value(), step.first);
    }
    // Dragging the thumb.
    bar->setSliderPosition(7);
    EXPECT_EQ(list_->GetFirstRow(), 7);
    // Scrolling leaves the selection alone, and the top row is the first row.
    EXPECT_EQ(list_->GetCurSel(), 2);
    list_->InsertColumn("Name", 100, 0);
    list_->SetMarkedRow(7);
    EXPECT_TRUE(PixelIs(Grab(), 250, kHeader + 1, ColorFromColorRef(CListCtrlEx::kDefaultMarkColor)));
}

TEST_F(ListCtrlEx, InsertColumnClampsThePositionAndLaysOutTheHeader)
{
    list_->InsertColumn("A", 50, 0);
    list_->InsertColumn("B", 70, 10);
    list_->InsertColumn("C", 40, -3);
    ASSERT_EQ(list_->GetColumnCount(), 3);
    EXPECT_EQ(list_->GetColumn(0).name, "C");
    EXPECT_EQ(list_->GetColumn(1).name, "A");
    EXPECT_EQ(list_->GetColumn(2).name, "B");
    EXPECT_EQ(list_->GetColumn(0).rect, QRect(0, 0, 40, kHeader));
    EXPECT_EQ(list_->GetColumn(1).rect, QRect(40, 0, 50, kHeader));
    // The last column reaches the right edge.
    EXPECT_EQ(list_->GetColumn(2).rect, QRect(90, 0, list_->viewport()->width() - 90, kHeader));
    ShowRows(5, 250);
    EXPECT_EQ(list_->GetColumn(2).rect.right(), 249);
}

class ListCtrlExPixels : public ListCtrlEx {
protected:
    void SetUp() override
    {
        ListCtrlEx::SetUp();
        AddColumns({{"Name", 80}, {"Level", 100}, {"Note", 60}});
        list_->InsertRow("a\t%150\tx", -1);
        list_->InsertRow("b\t%0\ty", -1);
        list_->InsertRow("c\t%50\tz", -1);
        list_->InsertRow("d\t%-5", -1);
        // The focus frame would cover the edges of the selected row.
        list_->clearFocus();
    }

    int Top(int row) const { return kHeader + row * list_->GetRowHeight(); }
    int Bottom(int row) const { return Top(row) + list_->GetRowHeight() - 1; }
};

TEST_F(ListCtrlExPixels, BarsFillTheirShareOfTheColumn)
{
    const QImage image = Grab();
    const QColor base = System(QPalette::Base);
    const QColor bar = System(QPalette::Highlight);
    // 150 is capped at 100: the whole column less a pixel on each side.
    EXPECT_TRUE(PixelIs(image, 80, Top(0) + 3, base));
    EXPECT_TRUE(PixelIs(image, 81, Top(0) + 1, bar));
    EXPECT_TRUE(PixelIs(image, 178, Bottom(0) - 1, bar));
    EXPECT_TRUE(PixelIs(image, 179, Top(0) + 3, base));
    EXPECT_TRUE(PixelIs(image, 130, Top(0), base));
    EXPECT_TRUE(PixelIs(image, 130, Bottom(0), base));
    // 0: no bar at all.
    for (int x : {80, 81, 82, 130, 178})
        EXPECT_TRUE(PixelIs(image, x, Top(1) + 3, base)) << x;
    // 50: half of it.
    EXPECT_TRUE(PixelIs(image, 128, Top(2) + 3, bar));
    EXPECT_TRUE(PixelIs(image, 129, Top(2) + 3, base));
    // A negative number draws no bar.
    EXPECT_TRUE(PixelIs(image, 81, Top(3) + 3, base));
    // Below the rows.
    EXPECT_TRUE(PixelIs(image, 130, Top(4), base));
}

TEST_F(ListCtrlExPixels, SelectedAndMarkedRowsHaveTheirColours)
{
    // COLORREF red in the low byte.
    list_->SetMarkColor(0x0080FF);
    const QColor mark(0xFF, 0x80, 0x00);
    list_->SelectRow(0);
    list_->SetMarkedRow(1);
    QImage image = Grab();
    const QColor highlight = System(QPalette::Highlight);
    const QColor highlightText = System(QPalette::HighlightedText);
    // Whole rows, with exact edges.
    EXPECT_TRUE(PixelIs(image, 0, Top(0), highlight));
    EXPECT_TRUE(PixelIs(image, 299, Bottom(0), highlight));
    EXPECT_TRUE(PixelIs(image, 299, Top(1), mark));
    EXPECT_TRUE(PixelIs(image, 299, Bottom(1), mark));
    EXPECT_TRUE(PixelIs(image, 299, Top(2), System(QPalette::Base)));
    // The bar of the selected row is drawn in the highlighted text colour.
    EXPECT_TRUE(PixelIs(image, 100, Top(0) + 3, highlightText));
    EXPECT_TRUE(PixelIs(image, 179, Top(0) + 3, highlight));

    // Selected and marked: highlight, with the bar in the mark colour.
    list_->SetMarkedRow(2);
    list_->SelectRow(2);
    image = Grab();
    EXPECT_TRUE(PixelIs(image, 299, Top(2), highlight));
    EXPECT_TRUE(PixelIs(image, 100, Top(2) + 3, mark));
    EXPECT_TRUE(PixelIs(image, 140, Top(2) + 3, highlight));
    EXPECT_TRUE(PixelIs(image, 299, Top(0), System(QPalette::Base)));
}

TEST_F(ListCtrlExPixels, HeaderIsDrawnAsButtons)
{
    const QImage image = Grab();
    const QColor base = System(QPalette::Base);
    // Every column has its button, with its name on it: pixels that are neither the list's
    // background nor the button's face.
    for (const auto& [left, right] : {std::pair{0, 79}, std::pair{80, 179}, std::pair{180, 299}}) {
        SCOPED_TRACE(left);
        int dark = 0;
        int plain = 0;
        for (int y = 0; y < kHeader; ++y) {
            for (int x = left; x <= right; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.lightness() < 100)
                    ++dark;
                if (pixel.rgb() == base.rgb())
                    ++plain;
            }
        }
        EXPECT_GT(dark, 5);
        EXPECT_LT(plain, (right - left + 1) * kHeader / 4);
    }
}

TEST_F(ListCtrlExPixels, ADisabledListHasTheButtonFace)
{
    list_->SelectRow(0);
    list_->setEnabled(false);
    const QImage image = Grab();
    EXPECT_TRUE(PixelIs(image, 299, Top(1), System(QPalette::Button)));
    EXPECT_TRUE(PixelIs(image, 299, Top(0), System(QPalette::Highlight)));
    EXPECT_TRUE(PixelIs(image, 299, Top(4), System(QPalette::Base)));
}

TEST_F(ListCtrlExPixels, TheFocusedListFramesTheSelectedRow)
{
    list_->SelectRow(1);
    const auto framePixels = [this] {
        const QImage image = Grab();
        int count = 0;
        for (int x = 0; x < 300; ++x) {
            if (image.pixelColor(x, Top(1)).rgb() != System(QPalette::Highlight).rgb())
                ++count;
        }
        return count;
    };
    EXPECT_EQ(framePixels(), 0);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    list_->setFocus();
    ASSERT_TRUE(list_->hasFocus());
    const int dotted = framePixels();
    EXPECT_GT(dotted, 100);
    EXPECT_LT(dotted, 200);
}

TEST_F(ListCtrlExPixels, LongTextsStayInTheirColumn)
{
    list_->InsertRow(std::string(60, 'W') + "\t%10\t" + std::string(60, 'M'), 0);
    const QImage image = Grab();
    // Column 1 holds a short bar; right of it, nothing of column 0's text.
    for (int x = 100; x < 180; ++x)
        ASSERT_TRUE(PixelIs(image, x, Top(0) + 5, System(QPalette::Base)));
}

TEST_F(ListCtrlExPixels, Screens)
{
    list_->InsertRow("Sensor \xE9t\xE9 (long name of a node)\t%75\tnote", -1);
    for (int i = 0; i < 6; ++i) {
        const std::string number = std::to_string(i);
        list_->InsertRow("node " + number + "\t%" + std::to_string(i * 20) + "\t0x100" + number, -1);
    }
    list_->SelectRow(2);
    list_->SetMarkedRow(4);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    list_->setFocus();
    ShowRows(8);
    EXPECT_FALSE(SaveScreen(list_, "list_ctrl_ex").isEmpty());
    list_->SelectRow(10);
    list_->setEnabled(false);
    EXPECT_FALSE(SaveScreen(list_, "list_ctrl_ex_disabled_scrolled").isEmpty());
}
