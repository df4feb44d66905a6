// The main window's toolbar on its own: the buttons' first states, and the image lists it
// cuts from the code-drawn strips.
#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

#include "gui/CTrueColorToolBar.h"
#include "gui/CommandIds.h"
#include "gui/ToolBarImages.h"
#include "tests/gui/ScreenShot.h"

namespace {

struct ButtonState {
    int id;
    bool enabled; // hidden actions count as disabled: no shortcut reaches them
    bool visible;
    bool checkable;
};

class ToolBarStateTest : public testing::TestWithParam<ButtonState> {};

TEST_P(ToolBarStateTest, FirstStateOfEachButton)
{
    QMainWindow window;
    auto* bar = new CTrueColorToolBar(&window);
    bar->AddMainButtons();
    window.addToolBar(bar);
    const ButtonState& b = GetParam();
    QAction* action = bar->Action(b.id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->isEnabled(), b.enabled);
    EXPECT_EQ(action->isVisible(), b.visible);
    EXPECT_EQ(action->isCheckable(), b.checkable);
    EXPECT_FALSE(bar->IsChecked(b.id));
    EXPECT_EQ(action->objectName(), QString::number(b.id));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ToolBarStateTest,
    testing::Values(ButtonState{32772, true, true, false}, ButtonState{32773, true, true, false},
                    ButtonState{32774, true, true, false}, ButtonState{32775, true, true, true},
                    ButtonState{32776, false, true, false}, ButtonState{32777, false, true, false},
                    ButtonState{32778, false, true, true}, ButtonState{32785, true, true, true},
                    ButtonState{32786, true, true, true}, ButtonState{32789, false, false, true},
                    ButtonState{32790, false, false, true}));

TEST(ToolBarTest, ButtonsSeparatorsAndTheirOrder)
{
    QMainWindow window;
    auto* bar = new CTrueColorToolBar(&window);
    bar->AddMainButtons();
    std::vector<int> order;
    for (QAction* action : bar->actions())
        order.push_back(action->isSeparator() ? 0 : action->objectName().toInt());
    const std::vector<int> expected{32772, 32773, 32774, 0,     32775, 0,     32776, 32777,
                                    32778, 0,     32785, 32786, 0,     32789, 32790, 0};
    EXPECT_EQ(order, expected);
}

TEST(ToolBarTest, CheckEnableAndHideTogether)
{
    QMainWindow window;
    auto* bar = new CTrueColorToolBar(&window);
    bar->AddMainButtons();
    window.addToolBar(bar);
    window.resize(420, 60);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy commands(bar, &CTrueColorToolBar::command);

    // A hidden button has no place; shown, it has one and toggles.
    EXPECT_TRUE(bar->ButtonRect(32789).isEmpty());
    bar->SetHidden(32789, false);
    QApplication::processEvents();
    EXPECT_FALSE(bar->ButtonRect(32789).isEmpty());
    bar->Action(32789)->trigger();
    EXPECT_TRUE(bar->IsChecked(32789));
    bar->Action(32789)->trigger();
    EXPECT_FALSE(bar->IsChecked(32789));

    // A disabled button sends nothing; enabled, it sends its id.
    bar->Action(32776)->trigger();
    EXPECT_EQ(commands.count(), 2);
    bar->SetEnabled(32776, true);
    bar->Action(32776)->trigger();
    ASSERT_EQ(commands.count(), 3);
    EXPECT_EQ(commands.at(2).at(0).toInt(), 32776);

    bar->SetChecked(32785, true);
    EXPECT_TRUE(bar->IsChecked(32785));
    EXPECT_FALSE(bar->IsChecked(32772)) << "a plain button is never checked";
    bar->SetChecked(32772, true);
    EXPECT_FALSE(bar->IsChecked(32772));

    SaveScreen(&window, "toolbar");
}

struct Load {
    const char* name;
    int width, normal, hot, disabled;
    bool ok;
    int normalCount, hotCount, disabledCount;
};

class ImageListTest : public testing::TestWithParam<Load> {};

TEST_P(ImageListTest, LoadsTheListsInOrderAndStopsAtTheFirstFailure)
{
    CTrueColorToolBar bar(nullptr);
    const Load& l = GetParam();
    EXPECT_EQ(bar.LoadTrueColorBitmaps(l.width, l.normal, l.hot, l.disabled), l.ok);
    EXPECT_EQ(bar.ImageCount(CTrueColorToolBar::kNormalImages), l.normalCount);
    EXPECT_EQ(bar.ImageCount(CTrueColorToolBar::kHotImages), l.hotCount);
    EXPECT_EQ(bar.ImageCount(CTrueColorToolBar::kDisabledImages), l.disabledCount);
}

INSTANTIATE_TEST_SUITE_P(
    Loads, ImageListTest,
    testing::Values(Load{"all", 16, 136, 136, 135, true, 11, 11, 11},
                    Load{"noDisabled", 16, 136, 136, 0, true, 11, 11, 0},
                    Load{"halfWidth", 8, 136, 136, 135, true, 22, 22, 22},
                    Load{"unknownNormal", 16, 999, 136, 135, false, 0, 0, 0},
                    Load{"unknownHot", 16, 136, 999, 135, false, 11, 0, 0},
                    Load{"unknownDisabled", 16, 136, 136, 999, false, 11, 11, 0},
                    Load{"wider", 16 * 12, 136, 136, 135, false, 0, 0, 0},
                    Load{"zeroWidth", 0, 136, 136, 135, false, 0, 0, 0}),
    [](const testing::TestParamInfo<Load>& info) { return std::string(info.param.name); });

TEST(ToolBarImagesTest, DisabledImagesAreGreyAndNormalOnesAreNot)
{
    CTrueColorToolBar bar(nullptr);
    ASSERT_TRUE(bar.LoadTrueColorBitmaps(16, kToolBarBitmapId, kToolBarBitmapId, kToolBarDisabledBitmapId));
    for (int index = 0; index < kToolBarImageCount; ++index) {
        const QImage normal = bar.Image(CTrueColorToolBar::kNormalImages, index).toImage();
        const QImage disabled = bar.Image(CTrueColorToolBar::kDisabledImages, index).toImage();
        ASSERT_EQ(normal.size(), QSize(16, 16));
        ASSERT_EQ(disabled.size(), QSize(16, 16));
        int drawn = 0;
        bool coloured = false;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor n = normal.pixelColor(x, y);
                const QColor d = disabled.pixelColor(x, y);
                if (n.alpha() > 0)
                    ++drawn;
                coloured = coloured || n.red() != n.green() || n.green() != n.blue();
                if (d.alpha() > 0) {
                    EXPECT_EQ(d.red(), d.green()) << index;
                    EXPECT_EQ(d.green(), d.blue()) << index;
                }
            }
        EXPECT_GT(drawn, 10) << "image " << index << " is drawn";
        if (index != 6 && index != 8) { // the bin and the small-font letters are grey by nature
            EXPECT_TRUE(coloured) << index;
        }
    }
    // The ground shows through: the strips' first pixel is transparent.
    EXPECT_EQ(bar.Image(CTrueColorToolBar::kNormalImages, 0).toImage().pixelColor(0, 0).alpha(), 0);
}

TEST(ToolBarImagesTest, TheButtonsShowTheirDisabledImage)
{
    QMainWindow window;
    auto* bar = new CTrueColorToolBar(&window);
    bar->AddMainButtons();
    const QIcon icon = bar->Action(32776)->icon();
    const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    const QImage expected = bar->Image(CTrueColorToolBar::kDisabledImages, 4).toImage();
    EXPECT_EQ(disabled.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
}

} // namespace
