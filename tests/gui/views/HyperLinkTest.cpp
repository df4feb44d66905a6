#include <cstdint>
#include <memory>
#include <set>

#include <QFont>
#include <QImage>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "gui/ColorRef.h"
#include "gui/ControlId.h"
#include "gui/OpenUrl.h"
#include "gui/PelagorFonts.h"
#include "gui/views/CHyperLink.h"
#include "tests/gui/ScreenShot.h"

namespace {

constexpr int kLinkId = 1059;
const char kAddress[] = "https://www.korvath.example/downloads";

// The colours of every pixel of what the widget shows, as COLORREF values.
std::set<uint32_t> ShownColours(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    std::set<uint32_t> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(ColorRefFromColor(image.pixelColor(x, y)));
    return colours;
}

class HyperLinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = SetOpenUrlHandler([this](const QString& address) {
            opened_ << address;
            return true;
        });
        window_ = std::make_unique<QWidget>();
        window_->resize(240, 80);
        link_ = new CHyperLink(window_.get());
        SetControlId(link_, kLinkId);
        link_->SetLinkText(QStringLiteral("www.korvath.example"));
        link_->SetURL(QString::fromLatin1(kAddress));
        QVBoxLayout* layout = new QVBoxLayout(window_.get());
        layout->addWidget(link_, 0, Qt::AlignCenter);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    void TearDown() override
    {
        window_.reset();
        SetOpenUrlHandler(previous_);
    }

    void Hover(bool inside)
    {
        // Outside: a corner of the window, away from the centred link.
        const QPoint point = inside ? link_->mapTo(window_.get(), link_->rect().center()) : QPoint(2, 2);
        QTest::mouseMove(window_.get(), point);
        QTRY_COMPARE(link_->IsHovering(), inside);
    }

    void Click() { QTest::mouseClick(link_, Qt::LeftButton, Qt::NoModifier, link_->rect().center()); }

    std::unique_ptr<QWidget> window_;
    CHyperLink* link_ = nullptr;
    QStringList opened_;
    OpenUrlHandler previous_;
};

TEST_F(HyperLinkTest, LooksLikeALink)
{
    EXPECT_TRUE(link_->font().underline());
    EXPECT_EQ(link_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link_->text(), QStringLiteral("www.korvath.example"));
    EXPECT_EQ(link_->toolTip(), QString::fromLatin1(kAddress));
    // Markup in a link text is shown as it is.
    link_->SetLinkText(QStringLiteral("<b>Korvath</b> & co"));
    EXPECT_EQ(link_->textFormat(), Qt::PlainText);
}

TEST_F(HyperLinkTest, StaysUnderlinedWhenTheParentChangesTheFont)
{
    window_->setFont(PelagorFont("Arial Bold", 12));
    EXPECT_TRUE(link_->font().underline());
    EXPECT_TRUE(link_->font().bold());
    EXPECT_EQ(link_->font().pixelSize(), PointsToPixels(12));
}

struct StateCase {
    const char* name;
    bool hover;
    bool visited;
    uint32_t expected;
};

TEST_F(HyperLinkTest, ColourFollowsTheState)
{
    // Colours of our own, so that a mix-up with the defaults shows.
    constexpr uint32_t kLink = 0xC00000;
    constexpr uint32_t kHover = 0x0000C0;
    constexpr uint32_t kVisited = 0x00A000;
    const StateCase cases[] = {
        {"normal", false, false, kLink},
        {"hover", true, false, kHover},
        {"visited", false, true, kVisited},
        {"visited-hover", true, true, kVisited},
    };
    link_->SetLinkColour(kLink);
    link_->SetHoverColour(kHover);
    link_->SetVisitedColour(kVisited);
    for (const StateCase& state : cases) {
        SCOPED_TRACE(state.name);
        if (state.visited && !link_->IsVisited()) {
            Hover(true);
            Click();
        }
        Hover(state.hover);
        ASSERT_EQ(link_->IsVisited(), state.visited);
        EXPECT_EQ(link_->CurrentColour(), state.expected);
        EXPECT_EQ(ColorRefFromColor(link_->palette().color(QPalette::WindowText)), state.expected);
        // The underline is drawn solid in the text colour; the other two colours are nowhere.
        const std::set<uint32_t> shown = ShownColours(link_);
        for (const uint32_t colour : {kLink, kHover, kVisited})
            EXPECT_EQ(shown.count(colour), colour == state.expected ? 1u : 0u) << std::hex << colour;
        SaveScreen(window_.get(), std::string("HyperLink-") + state.name);
    }
}

TEST_F(HyperLinkTest, DefaultColours)
{
    const StateCase cases[] = {
        {"normal", false, false, 0xFF0000},
        {"hover", true, false, 0x0000FF},
        {"visited-hover", true, true, 0x8F2205},
    };
    for (const StateCase& state : cases) {
        SCOPED_TRACE(state.name);
        if (state.visited)
            Click();
        Hover(state.hover);
        EXPECT_EQ(ColorRefFromColor(link_->palette().color(QPalette::WindowText)), state.expected);
        EXPECT_EQ(ShownColours(link_).count(state.expected), 1u);
    }
}

TEST_F(HyperLinkTest, ClickOpensTheAddressOnce)
{
    QSignalSpy notified(link_, &CHyperLink::notify);
    Click();
    EXPECT_EQ(opened_, QStringList{QString::fromLatin1(kAddress)});
    EXPECT_TRUE(link_->IsVisited());
    Click();
    EXPECT_EQ(opened_.size(), 2);
    EXPECT_EQ(notified.count(), 0);
}

TEST_F(HyperLinkTest, NoClickNoOpening)
{
    // Pressed on the link, released beside it: no click.
    QTest::mousePress(link_, Qt::LeftButton, Qt::NoModifier, link_->rect().center());
    QTest::mouseRelease(link_, Qt::LeftButton, Qt::NoModifier, link_->rect().bottomRight() + QPoint(20, 20));
    // A released button that was pressed elsewhere, and the right button.
    QTest::mouseRelease(link_, Qt::LeftButton, Qt::NoModifier, link_->rect().center());
    QTest::mouseClick(link_, Qt::RightButton, Qt::NoModifier, link_->rect().center());
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_FALSE(link_->IsVisited());
}

TEST_F(HyperLinkTest, NotifyModeTellsTheOwnerInstead)
{
    QSignalSpy notified(link_, &CHyperLink::notify);
    link_->SetNotify(true);
    Click();
    ASSERT_EQ(notified.count(), 1);
    EXPECT_EQ(notified.at(0).at(0).toInt(), kLinkId);
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_TRUE(link_->IsVisited());

    link_->SetNotify(false);
    Click();
    EXPECT_EQ(notified.count(), 1);
    EXPECT_EQ(opened_.size(), 1);
}

TEST(OpenUrlTest, HandlerCanBeReplacedAndRestored)
{
    QStringList first;
    QStringList second;
    const OpenUrlHandler original = SetOpenUrlHandler([&first](const QString& a) {
        first << a;
        return true;
    });
    SetOpenUrlHandler([&second](const QString& a) {
        second << a;
        return false;
    });
    EXPECT_FALSE(OpenUrl(QStringLiteral("mailto:support@korvath.example")));
    EXPECT_TRUE(first.isEmpty());
    EXPECT_EQ(second, QStringList{QStringLiteral("mailto:support@korvath.example")});
    // An empty handler brings back the desktop's: it is callable again.
    SetOpenUrlHandler(nullptr);
    const OpenUrlHandler desktop = SetOpenUrlHandler(original);
    EXPECT_TRUE(static_cast<bool>(desktop));
}

} // namespace
