// The time-line panel: its view fills it, Escape stays in it, and its help tip opens over the
// view with the text broken into its lines.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <QComboBox>
#include <QPlainTextEdit>

#include "gui/ControlId.h"
#include "gui/panels/CPacketDetailsPnl.h"
#include "gui/panels/CSelectFieldPnl.h"
#include "gui/panels/CTimeLinePnl.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "gui/views/CToolTipCtrlEx.h"
#include "tests/gui/ScreenShot.h"

namespace {

// Stands for the main window: counts the keys that come out of the panel.
class KeyCatcher : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

const char* const kTip =
    "The packet time line displays a small square for each received packet, ordered horizontally by time of "
    "reception, and veritcally be source or destination. Tips:\r\n"
    "- Left-click (and drag) to select a packet\r\n"
    "- Right-click and drag to scroll the time line horizontally\r\n"
    "- Double-click on the node name list to switch between source and destination";

class TimeLinePnlTest : public testing::Test {
protected:
    void SetUp() override
    {
        QCursor::setPos(790, 590);
        QApplication::processEvents();
        host_.setGeometry(50, 50, 620, 260);
        panel_ = new CTimeLinePnl(&host_);
        panel_->setGeometry(0, 0, 600, 240);
        host_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_));
    }
    void TearDown() override
    {
        QCursor::setPos(790, 590);
        QApplication::processEvents();
    }

    KeyCatcher host_;
    CTimeLinePnl* panel_ = nullptr;
};

TEST_F(TimeLinePnlTest, TheViewFillsThePanel)
{
    for (const QSize size : {QSize(600, 240), QSize(300, 100), QSize(1200, 400), QSize(1, 1)}) {
        panel_->resize(size);
        EXPECT_EQ(panel_->View()->geometry(), QRect(QPoint(0, 0), size));
    }
}

TEST_F(TimeLinePnlTest, EscapeStaysInThePanelOtherKeysGoOn)
{
    CPacketTimeLineCtrl* view = panel_->View();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::keyClick(view->viewport(), Qt::Key_Escape);
    EXPECT_TRUE(host_.keys.empty());
    QTest::keyClick(view, Qt::Key_F5);
    EXPECT_EQ(host_.keys, std::vector<int>{Qt::Key_F5});
}

TEST_F(TimeLinePnlTest, TheViewsTipOpensOverItWithItsLineBreaks)
{
    EXPECT_EQ(panel_->Tips().TextOf(panel_->View()), QString::fromLatin1(kTip));
    const QPoint cursor = panel_->View()->mapToGlobal(QPoint(150, 60));
    QCursor::setPos(cursor);
    QTest::qWait(CToolTipCtrlEx::kDelayMs + 250);
    CToolTipCtrlEx& tip = panel_->Tips().Tip();
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.pos(), cursor + QPoint(20, 20));
    EXPECT_LE(tip.width(), 400 - 1 + 6);
    // Four breaks: at least five lines.
    EXPECT_GE(tip.height(), 5 * QFontMetrics(tip.font()).height() + 4);

    // The panel with its tip, as the user sees it.
    QPixmap shot(host_.size());
    shot.fill(Qt::white);
    {
        QPainter painter(&shot);
        painter.drawPixmap(0, 0, host_.grab());
        painter.drawPixmap(tip.pos() - host_.pos(), tip.grab());
    }
    QLabel label;
    label.setPixmap(shot);
    label.resize(shot.size());
    SaveScreen(&label, "time_line_panel_tip");

    // A click in the view hides the tip and it stays away while the mouse stays.
    QTest::mouseClick(panel_->View()->viewport(), Qt::LeftButton, {}, QPoint(150, 60));
    EXPECT_FALSE(tip.isVisible());
    QCursor::setPos(cursor + QPoint(4, 4));
    QTest::qWait(CToolTipCtrlEx::kDelayMs + 250);
    EXPECT_FALSE(tip.isVisible());
}

TEST_F(TimeLinePnlTest, FrameDefinitionsComeFromTheView)
{
    CPacketTimeLineCtrl alone(nullptr);
    const char* missing = "/nonexistent/plugins";
    EXPECT_EQ(panel_->LoadFrameDefinitions(missing), alone.LoadFrameDefinitions(missing));
}

// The other panels hook the same helper: their controls and texts.
struct PanelTip {
    const char* panel;
    int control;
    const char* text;
};

HelpTip* TipsOf(QWidget* panel)
{
    if (auto* details = dynamic_cast<CPacketDetailsPnl*>(panel))
        return &details->Tips();
    if (auto* fields = dynamic_cast<CSelectFieldPnl*>(panel))
        return &fields->Tips();
    return nullptr;
}

class PanelTipTest : public testing::TestWithParam<PanelTip> {};

TEST_P(PanelTipTest, EachControlHasItsText)
{
    QWidget host;
    QWidget* panel = std::string(GetParam().panel) == "details" ? static_cast<QWidget*>(new CPacketDetailsPnl(&host))
                                                                 : new CSelectFieldPnl(&host);
    QWidget* control = FindControl<QWidget>(panel, GetParam().control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(TipsOf(panel)->TextOf(control), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Panels, PanelTipTest,
    testing::Values(
        PanelTip{"details", 1020, "Double-click on the packet in the packet list above to diplay details."},
        PanelTip{"fields", 1012, "Selects whether to display the time stamp (delta and time) in micro- or milliseconds"},
        PanelTip{"fields", 1014,
                 "Data and beacon payload fields can be displayed in hexadecimal and plain-text format. When using "
                 "plain-text mode, all non-printable characters (e.g. line feed) will be substituted by a star \"*\"."},
        PanelTip{"fields", 1016, "Select group of fields to be displayed. The groups must be defined by the plug-in"},
        PanelTip{"fields", 1018,
                 "Select which fields from the packet footer to be displayed. Use extended selection:\r\n- Hold down "
                 "[Shift] to select a range of fields\r\n- Hold down [Ctrl] to toggle single fields\r\n- Drag over "
                 "several fields (holding down the left mouse button) to select the range"}));

TEST(PanelTipHoverTest, TheDetailsTipOpensOverTheTextBoxsInside)
{
    QCursor::setPos(790, 590);
    QWidget host;
    host.setGeometry(40, 40, 500, 200);
    auto* panel = new CPacketDetailsPnl(&host);
    panel->setGeometry(0, 0, 500, 200);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    // The text lies in the box's viewport, a widget of its own.
    QCursor::setPos(panel->TextBox()->viewport()->mapToGlobal(QPoint(100, 50)));
    QTest::qWait(CToolTipCtrlEx::kDelayMs + 250);
    EXPECT_TRUE(panel->Tips().Tip().isVisible());
    EXPECT_EQ(panel->Tips().Tip().CurrentControl(), panel->TextBox());
    QCursor::setPos(790, 590);
    QApplication::processEvents();
    EXPECT_FALSE(panel->Tips().Tip().isVisible());
}

} // namespace
