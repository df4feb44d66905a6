#include <cstdint>

#include <QEvent>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/ColorRef.h"
#include "gui/views/CColorEdit.h"
#include "tests/gui/ScreenShot.h"

namespace {

// Counts the palette changes a widget goes through.
class PaletteChanges : public QObject {
public:
    explicit PaletteChanges(QObject* watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            ++count;
        return false;
    }
};

// A point inside the frame, right of the text.
uint32_t BackgroundShown(QWidget* edit)
{
    const QImage image = edit->grab().toImage();
    return ColorRefFromColor(image.pixelColor(image.width() - 8, image.height() / 2));
}

bool ShowsColour(QWidget* edit, uint32_t colour)
{
    const QImage image = edit->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ColorRefFromColor(image.pixelColor(x, y)) == colour)
                return true;
    return false;
}

struct EditState {
    const char* name;
    bool readOnly;
    bool enabled;
};

constexpr EditState kStates[] = {
    {"editable", false, true},
    {"read-only", true, true},
    {"disabled", false, false},
};

void Prepare(CColorEdit& edit, const EditState& state)
{
    edit.setReadOnly(state.readOnly);
    edit.setEnabled(state.enabled);
    edit.setText(QStringLiteral("MMMM"));
    edit.resize(140, 24);
}

TEST(ColorEditTest, BlackOnWhiteUntilColoured)
{
    for (const EditState& state : kStates) {
        SCOPED_TRACE(state.name);
        CColorEdit edit;
        Prepare(edit, state);
        EXPECT_EQ(edit.GetBackgroundColor(), 0xFFFFFFu);
        EXPECT_EQ(edit.GetTextColor(), 0u);
        EXPECT_EQ(ColorRefFromColor(edit.palette().color(QPalette::Base)), 0xFFFFFFu);
        EXPECT_EQ(ColorRefFromColor(edit.palette().color(QPalette::Text)), 0u);
        EXPECT_EQ(BackgroundShown(&edit), 0xFFFFFFu);
        EXPECT_TRUE(ShowsColour(&edit, 0x000000));
    }
}

TEST(ColorEditTest, SetColorsTwiceShowsTheSecondPair)
{
    struct Pair {
        uint32_t background;
        uint32_t text;
    };
    constexpr Pair first{0x4080F0, 0x0000C0};
    constexpr Pair second{0x203040, 0x00FFFF};
    for (const EditState& state : kStates) {
        SCOPED_TRACE(state.name);
        CColorEdit edit;
        Prepare(edit, state);
        PaletteChanges changes(&edit);

        edit.SetColors(first.background, first.text);
        EXPECT_EQ(changes.count, 1);
        EXPECT_EQ(BackgroundShown(&edit), first.background);

        edit.SetColors(second.background, second.text);
        EXPECT_EQ(changes.count, 2);
        EXPECT_EQ(edit.GetBackgroundColor(), second.background);
        EXPECT_EQ(edit.GetTextColor(), second.text);
        EXPECT_EQ(BackgroundShown(&edit), second.background);
        EXPECT_TRUE(ShowsColour(&edit, second.text));
        EXPECT_FALSE(ShowsColour(&edit, first.background));
        SaveScreen(&edit, std::string("ColorEdit-") + state.name);
    }
}

} // namespace
