// The help tip over a plain test window: when it opens (rest, delay, restarts), where it opens,
// and how keys, clicks and leaving the control rule it. The cursor is the platform's own,
// moved with QCursor::setPos, which the offscreen platform turns into mouse moves.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include "gui/ControlId.h"
#include "gui/PelagorFonts.h"
#include "gui/views/CToolTipCtrlEx.h"
#include "gui/views/HelpTip.h"
#include "tests/gui/ScreenShot.h"

namespace {

// A box that counts the keys it is given.
class KeyBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        keys.push_back(event->key());
        QLineEdit::keyPressEvent(event);
    }
};

// The owner: a window with two boxes that have tips and a free area without one.
class TipWindow : public QWidget {
public:
    TipWindow() : helpTip(this)
    {
        setGeometry(100, 100, 300, 200);
        first = new KeyBox(this);
        first->setGeometry(10, 10, 200, 24);
        second = new KeyBox(this);
        second->setGeometry(10, 60, 200, 24);
        helpTip.Add(first, QStringLiteral("The first box's tip."));
        helpTip.Add(second, QStringLiteral("The second box's tip.\r\nIt has a second line."));
    }
    HelpTip helpTip;
    KeyBox* first = nullptr;
    KeyBox* second = nullptr;
};

QPoint Centre(QWidget* widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

void MoveTo(QPoint global)
{
    QCursor::setPos(global);
    QApplication::processEvents();
}

class ToolTipCtrlExTest : public testing::Test {
protected:
    void SetUp() override
    {
        MoveTo(QPoint(790, 590));
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    void TearDown() override { MoveTo(QPoint(790, 590)); }

    CToolTipCtrlEx& Tip() { return window_.helpTip.Tip(); }

    // Rests over widget until the tip would have opened.
    void RestOver(QWidget* widget, QPoint offset = {})
    {
        MoveTo(Centre(widget) + offset);
        QTest::qWait(CToolTipCtrlEx::kDelayMs + 250);
    }

    TipWindow window_;
};

TEST_F(ToolTipCtrlExTest, OpensAfterTheCursorHasRestedAndNotBefore)
{
    MoveTo(Centre(window_.first));
    QTest::qWait(CToolTipCtrlEx::kDelayMs - 300);
    EXPECT_FALSE(Tip().isVisible());
    QTest::qWait(550);
    ASSERT_TRUE(Tip().isVisible());
    EXPECT_EQ(Tip().Text(), QStringLiteral("The first box's tip."));
    EXPECT_EQ(Tip().pos(), Centre(window_.first) + QPoint(20, 20));
    EXPECT_EQ(Tip().Timer().objectName(), QStringLiteral("130"));
    EXPECT_FALSE(Tip().isActiveWindow());
}

TEST_F(ToolTipCtrlExTest, MovingBeforeTheDelayStartsTheWaitAgain)
{
    MoveTo(Centre(window_.first));
    QTest::qWait(500);
    MoveTo(Centre(window_.first) + QPoint(5, 0));
    QTest::qWait(500);
    EXPECT_FALSE(Tip().isVisible()) << "1000 ms since the first move, 500 since the last";
    QTest::qWait(450);
    EXPECT_TRUE(Tip().isVisible());
    EXPECT_EQ(Tip().RestPosition(), Centre(window_.first) + QPoint(5, 0));
}

TEST_F(ToolTipCtrlExTest, TheTipFollowsTheControlUnderTheCursor)
{
    RestOver(window_.first);
    ASSERT_TRUE(Tip().isVisible());
    const QSize firstSize = Tip().size();
    RestOver(window_.second);
    ASSERT_TRUE(Tip().isVisible());
    EXPECT_EQ(Tip().CurrentControl(), window_.second);
    EXPECT_GT(Tip().height(), firstSize.height()) << "the \\r\\n break gives a second line";
    // Off both boxes the tip goes and does not come back.
    RestOver(&window_, QPoint(0, 80));
    EXPECT_FALSE(Tip().isVisible());
}

struct Press {
    const char* name;
    bool key; // else a click
    Qt::MouseButton button;
};

class SuppressTest : public ToolTipCtrlExTest, public testing::WithParamInterface<Press> {};

TEST_P(SuppressTest, AKeyOrClickHidesTheTipUntilTheMouseHasLeftTheControl)
{
    RestOver(window_.first);
    ASSERT_TRUE(Tip().isVisible());
    if (GetParam().key) {
        window_.first->setFocus();
        QTest::keyClick(window_.first, Qt::Key_A);
    } else {
        QTest::mouseClick(window_.first, GetParam().button, {}, window_.first->rect().center());
    }
    EXPECT_FALSE(Tip().isVisible());
    // Resting and moving over the same box does not bring it back.
    RestOver(window_.first, QPoint(3, 0));
    RestOver(window_.first, QPoint(-3, 1));
    EXPECT_FALSE(Tip().isVisible());
    // Away and back: the tip is allowed again.
    MoveTo(Centre(&window_) + QPoint(0, 80));
    RestOver(window_.first);
    EXPECT_TRUE(Tip().isVisible());
}

INSTANTIATE_TEST_SUITE_P(Presses, SuppressTest,
                         testing::Values(Press{"key", true, Qt::NoButton}, Press{"left", false, Qt::LeftButton},
                                         Press{"right", false, Qt::RightButton},
                                         Press{"middle", false, Qt::MiddleButton}),
                         [](const testing::TestParamInfo<Press>& info) { return std::string(info.param.name); });

TEST_F(ToolTipCtrlExTest, AClickBeforeTheTipOpensKeepsItAway)
{
    MoveTo(Centre(window_.first));
    QTest::qWait(300);
    QTest::mouseClick(window_.first, Qt::LeftButton, {}, window_.first->rect().center());
    QTest::qWait(CToolTipCtrlEx::kDelayMs);
    EXPECT_FALSE(Tip().isVisible());
}

TEST_F(ToolTipCtrlExTest, AKeyWhileTheTipIsUpStillReachesTheOwner)
{
    window_.activateWindow();
    window_.first->setFocus();
    RestOver(window_.first);
    ASSERT_TRUE(Tip().isVisible());
    QTest::keyClick(window_.first, Qt::Key_B);
    EXPECT_FALSE(Tip().isVisible());
    EXPECT_EQ(window_.first->keys, std::vector<int>{Qt::Key_B});
    EXPECT_EQ(window_.first->text(), QStringLiteral("b"));
}

TEST_F(ToolTipCtrlExTest, AKeyTheTipItselfGetsGoesToTheOwnersFocusWidget)
{
    window_.first->setFocus();
    RestOver(window_.first);
    ASSERT_TRUE(Tip().isVisible());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
    QApplication::sendEvent(&Tip(), &key);
    QApplication::processEvents();
    EXPECT_FALSE(Tip().isVisible());
    EXPECT_EQ(window_.first->keys, std::vector<int>{Qt::Key_C});
}

TEST_F(ToolTipCtrlExTest, HidingTheOwnerHidesTheTip)
{
    RestOver(window_.first);
    ASSERT_TRUE(Tip().isVisible());
    window_.hide();
    EXPECT_FALSE(Tip().isVisible());
}

TEST_F(ToolTipCtrlExTest, NearTheLowerRightCornerItOpensUpAndLeftFullyOnScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window_.setGeometry(screen.right() - 250, screen.bottom() - 60, 250, 60);
    window_.first->setGeometry(0, 0, 250, 60);
    QApplication::processEvents();
    const QPoint cursor(screen.right() - 5, screen.bottom() - 5);
    MoveTo(cursor);
    QTest::qWait(CToolTipCtrlEx::kDelayMs + 250);
    ASSERT_TRUE(Tip().isVisible());
    const QRect tip = Tip().geometry();
    EXPECT_TRUE(screen.contains(tip)) << tip.x() << "," << tip.y() << " " << tip.width() << "x" << tip.height();
    EXPECT_EQ(tip.x(), screen.width() - tip.width() - 1);
    EXPECT_EQ(tip.y(), cursor.y() - tip.height() - 21);
    EXPECT_FALSE(tip.contains(cursor)) << "the tip must not cover the cursor";
}

struct Placement {
    QPoint cursor;
    QSize tip;
    QPoint expected;
};

class TipPositionTest : public testing::TestWithParam<Placement> {};

TEST_P(TipPositionTest, StaysOnTheScreen)
{
    const QRect screen(0, 0, 800, 600);
    const Placement& p = GetParam();
    EXPECT_EQ(CToolTipCtrlEx::TipPosition(p.cursor, p.tip, screen), p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TipPositionTest,
    testing::Values(Placement{{100, 100}, {200, 50}, {120, 120}},  // room enough
                    Placement{{580, 100}, {200, 50}, {600, 120}},  // exactly to the right edge
                    Placement{{581, 100}, {200, 50}, {599, 120}},  // one past: against the edge, 1 px free
                    Placement{{790, 100}, {200, 50}, {599, 120}},  // right edge
                    Placement{{100, 530}, {200, 50}, {120, 550}},  // exactly to the bottom
                    Placement{{100, 531}, {200, 50}, {120, 460}},  // one past: above the cursor
                    Placement{{790, 590}, {200, 50}, {599, 519}},  // lower-right corner
                    Placement{{790, 30}, {200, 50}, {599, 50}},    // upper-right: only turned left
                    Placement{{10, 590}, {300, 700}, {30, 0}}));   // taller than the screen: top on it

TEST(ToolTipCtrlExMeasureTest, MarginsAndLineBreaks)
{
    const QFont font = PelagorFont("MS Sans Serif", 8);
    const QFontMetrics metrics(font);
    const QSize one = CToolTipCtrlEx::MeasureText(QStringLiteral("Tip"), font, 400);
    EXPECT_EQ(one.height(), metrics.height() + 4);
    EXPECT_NEAR(one.width(), metrics.horizontalAdvance(QStringLiteral("Tip")) + 6, 1);
    // "\r\n" is one break, not two.
    const QSize two = CToolTipCtrlEx::MeasureText(QStringLiteral("Tip\r\nTop"), font, 400);
    EXPECT_EQ(two.height(), 2 * metrics.height() + 4);
    // Long text wraps within width - 1, words too long for a line included.
    const QString words = QString(QStringLiteral("word ")).repeated(200);
    const QSize wrapped = CToolTipCtrlEx::MeasureText(words, font, 400);
    EXPECT_LE(wrapped.width(), 399 + 6);
    EXPECT_GT(wrapped.height(), 5 * metrics.height());
    const QSize longWord = CToolTipCtrlEx::MeasureText(QString(300, QLatin1Char('x')), font, 100);
    EXPECT_LE(longWord.width(), 99 + 6);
    EXPECT_GT(longWord.height(), 2 * metrics.height());
}

TEST(ToolTipCtrlExLookTest, ReadableFontAndTipColours)
{
    CToolTipCtrlEx tip;
    tip.Create(nullptr);
    // The tip must be readable: at least the dialogs' 8 points.
    EXPECT_GE(tip.font().pixelSize(), PointsToPixels(8));
    EXPECT_TRUE(tip.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(tip.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(tip.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(tip.focusPolicy(), Qt::NoFocus);

    tip.ShowTip(&tip, 0, 0, QStringLiteral("Colours"), 400);
    const QImage image = tip.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(2, 1)), tip.palette().color(QPalette::ToolTipBase));
    bool ink = false;
    for (int y = 0; y < image.height() && !ink; ++y)
        for (int x = 3; x < image.width() - 3 && !ink; ++x)
            ink = QColor(image.pixel(x, y)) == tip.palette().color(QPalette::ToolTipText);
    EXPECT_TRUE(ink) << "text in the tip's text colour";
}

TEST(ToolTipCtrlExTextTest, TextIsCutAt8191Characters)
{
    CToolTipCtrlEx tip;
    tip.Create(nullptr);
    tip.ShowTip(&tip, 0, 0, QString(9000, QLatin1Char('a')), 400);
    EXPECT_EQ(tip.Text().size(), 8191);
    tip.HideTip();
    EXPECT_FALSE(tip.Timer().isActive());
}

} // namespace
