#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/store/ReadFileThread.h"
#include "core/tables/FieldInfo.h"
#include "gui/ColorRef.h"
#include "gui/views/CPacketListCtrl.h"
#include "plugin/frame/RawPacketRec.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Watchdog.h"
#include "tests/support/FieldFilter.h"

using namespace std::chrono_literals;
using Scroll = CPacketListCtrl::Scroll;
using testsupport::TempFolder;

namespace {

constexpr int kPitch = CPacketListCtrl::kRowPitch;
constexpr uint32_t kFrame = 0x606060;
constexpr uint32_t kShadow = 0x303030;
constexpr uint32_t kError = 0xF947F9;

struct FieldText {
    uint8_t id;
    std::string text;
};

// What the scripted plug-in makes of a packet.
struct Script {
    uint8_t indent = 0;
    uint8_t status = 0;
    uint8_t flags = 0;
    uint8_t extraCount = 0;
    uint8_t extraBytes = 0;
    std::vector<FieldText> fields;
};

// The catalogue of the tests: one field of every box kind, each with a colour of its own.
struct FieldCase {
    int id;
    int type;
    uint32_t fill;
    uint32_t ink;
    const char* header;
    const char* subheader;
    bool addToWidth;
    bool show;
};

constexpr FieldCase kFields[] = {
    {0, 1, 0xE0E0E0, 0x000000, "Nbr", "", true, true},
    {1, 0, 0xC0F0FF, 0x000000, "Heading only", "", true, true},
    {2, 2, 0xA0FFA0, 0x202020, "Centred", "", true, true},
    {3, 3, 0xFFC0C0, 0x400000, "Params", "sub", true, true},
    {4, 4, 0xC0C0FF, 0x000040, "Two\nlines", "", true, true},
    {5, 1, 0x00FFFF, 0x000000, "Hidden", "", true, false},
    {6, 1, 0xFF00FF, 0x000000, "No width", "", false, true},
    {7, 1, 0x30A030, 0xFFFFFF, "Green", "", true, true},
};

class PacketListTest : public ::testing::Test {
protected:
    static constexpr uint16_t kRawLength = 200;
    static constexpr uint16_t kParsedLength = 600;

    TempFolder temp;
    PluginHandler host;
    PacketManager store;
    FieldInfo fields;
    std::unique_ptr<CPacketListCtrl> list;

    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::create_directories(temp.Path() / "Rows");
        fs::copy_file(fs::path(PELAGOR_TEST_PROTOCOLS_DIR) / "common.plt", temp.Path() / "common.plt");
        fs::copy_file(ROW_SCRIPT_PLUGIN, temp.Path() / "Rows" / "RowScript.so");
        std::ofstream(temp / "Rows/RowScript.plt") << "Protocol_name=Rows\nPacket_length_raw_data=" << kRawLength
                                                    << "\nPacket_length_parsed_data=" << kParsedLength << "\n";
        ASSERT_EQ(host.Load((temp / "Rows/RowScript.so").c_str(), ""), 1);
        ASSERT_TRUE(testsupport::SetUpStore(store, &host, kRawLength, kParsedLength, temp.Path().string(), 20));
        for (const FieldCase& f : kFields) {
            TAB_FIELD_DEF_REC def{};
            def.INDEX = f.id;
            def.TYPE = f.type;
            def.BACKGRCOLOUR = static_cast<int>(f.fill);
            def.TEXTCOLOUR = static_cast<int>(f.ink);
            std::snprintf(def.HEADER, sizeof def.HEADER, "%s", f.header);
            std::snprintf(def.SUBHEADER, sizeof def.SUBHEADER, "%s", f.subheader);
            def.ADDTOPKTWIDTH = f.addToWidth;
            def.SHOW = f.show;
            ASSERT_EQ(fields.AddFieldDef(f.id, def), 1);
        }
        list = std::make_unique<CPacketListCtrl>(nullptr);
        list->resize(1000, 6 * kPitch + 40);
        list->SetPacketManager(&store);
        list->SetFieldInfo(&fields);
        list->AllocFieldBuffer(kParsedLength);
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    }

    void TearDown() override { list.reset(); }

    void Add(const Script& script)
    {
        std::vector<uint8_t> frame = {script.indent, script.status, script.flags, script.extraCount, script.extraBytes};
        for (const FieldText& field : script.fields) {
            frame.push_back(field.id);
            frame.push_back(static_cast<uint8_t>(field.text.size()));
            frame.insert(frame.end(), field.text.begin(), field.text.end());
        }
        std::vector<uint8_t> record(kRawLength, 0);
        WriteRawPacketHeader(record.data(), RAW_PACKET_REC{0, 1000, static_cast<uint16_t>(frame.size())});
        std::memcpy(record.data() + kRawPacketHeaderSize, frame.data(), frame.size());
        ASSERT_EQ(store.AddPacket(record.data(), 1, static_cast<int>(frame.size()), 0), 1);
    }
    void AddMany(int count, const Script& script)
    {
        for (int i = 0; i < count; ++i)
            Add(script);
    }

    // The viewport as drawn now; rows not in the cache yet are asked for again until they come.
    QImage Render(bool whole = true)
    {
        list->UpdateScrollBars();
        QImage image = list->viewport()->grab().toImage();
        testsupport::Watchdog watchdog("rows that never arrive", 20s);
        while (whole && list->RepaintNeeded()) {
            QTest::qWait(5);
            image = list->viewport()->grab().toImage();
        }
        return image;
    }

    static uint32_t At(const QImage& image, int x, int y) { return ColorRefFromColor(image.pixelColor(x, y)); }
    uint32_t Base() const { return ColorRefFromColor(list->palette().color(QPalette::Base)); }
    uint32_t Highlight() const { return ColorRefFromColor(list->palette().color(QPalette::Highlight)); }
    // The colour of row r's band: the selected row stands out.
    uint32_t Row(int r) const { return r == list->GetSelectedPacket() ? Highlight() : Base(); }
    // Top line of row r's boxes on the page.
    int RowY(int r) const { return 3 + kPitch * (r - list->TopRow()); }
    // The column of the shadow that ends the box starting at x.
    static int BoxRight(const QImage& image, int x, int y)
    {
        for (int at = x + 1; at < image.width(); ++at)
            if (At(image, at, y + 20) == kShadow)
                return at;
        return -1;
    }
};

// ---------------------------------------------------------------- boxes

TEST_F(PacketListTest, FieldBoxesHaveTheirFrameShadowGapAndColours)
{
    Add({0, 0, 0, 0, 0, {{0, "12"}, {3, "value"}, {7, "x"}}});
    const QImage page = Render();
    SaveScreen(list.get(), "packet_list_boxes");
    const int y = RowY(0);
    EXPECT_EQ(At(page, 3, y), kFrame);
    EXPECT_EQ(At(page, 5, y + 5), kFields[0].fill);
    const int right = BoxRight(page, 3, y);
    ASSERT_GT(right, 3);
    EXPECT_EQ(At(page, right - 1, y + 20), kFrame); // the frame's right side
    EXPECT_EQ(At(page, 10, y + 46), kShadow);        // the shadow line
    EXPECT_EQ(At(page, 3, y + 46), Row(0));          // its first pixel is the row's
    EXPECT_EQ(At(page, right, y), Row(0));
    EXPECT_EQ(At(page, right + 1, y + 20), Row(0)); // the gap
    EXPECT_EQ(At(page, right + 2, y + 20), Row(0));
    EXPECT_EQ(At(page, right + 3, y + 20), kFrame); // the next box
    EXPECT_EQ(At(page, right + 5, y + 5), kFields[3].fill);
    // The band above and below the boxes, and what follows the last box, are the row's colour.
    EXPECT_EQ(At(page, 500, y - 2), Row(0));
    EXPECT_EQ(At(page, 500, y + 48), Row(0));
    EXPECT_EQ(At(page, page.width() - 2, y + 20), Row(0));
}

TEST_F(PacketListTest, EveryBoxKindDrawsItsLinesInTheDarkerFillColour)
{
    struct Case {
        uint8_t field;
        std::vector<int> lines; // offsets below the top that hold a dividing line
    };
    const Case cases[] = {{0, {15}}, {1, {}}, {2, {30}}, {3, {15, 30}}, {4, {30}}};
    for (const Case& c : cases) {
        Add({0, 0, 0, 0, 0, {{c.field, "0123456789"}}});
    }
    const QImage page = Render();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].field);
        const FieldCase& f = kFields[cases[i].field];
        const uint32_t line = ((f.fill >> 2) & 0x3F3F3F) * 3;
        const int y = RowY(static_cast<int>(i));
        for (const int offset : {15, 30})
            EXPECT_EQ(At(page, 10, y + offset) == line,
                      std::find(cases[i].lines.begin(), cases[i].lines.end(), offset) != cases[i].lines.end())
                << offset;
    }
}

TEST_F(PacketListTest, IncompleteFrameExchangesTheColours)
{
    Add({0, 0, 0x04, 0, 0, {{7, "x"}}});
    Add({0, 0, 0x00, 0, 0, {{7, "x"}}});
    const QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[7].ink);
    EXPECT_EQ(At(page, 6, RowY(1) + 5), kFields[7].fill);
}

TEST_F(PacketListTest, IndentMovesTheFirstBoxAndPaintsTheStripInTheRowColour)
{
    Add({2, 0, 0, 0, 0, {{7, "x"}}});
    list->SelectPacket(0);
    const QImage page = Render();
    const int y = RowY(0);
    EXPECT_EQ(At(page, 40, y + 20), Highlight());
    EXPECT_EQ(At(page, 62, y + 20), Highlight());
    EXPECT_EQ(At(page, 63, y), kFrame);
    EXPECT_EQ(At(page, 66, y + 5), kFields[7].fill);
}

TEST_F(PacketListTest, HiddenFieldsTakeNoRoomAndUnwidenedOnesLeaveTheRangeAlone)
{
    Add({0, 0, 0, 0, 0, {{5, "hidden"}, {7, "x"}}});
    QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[7].fill);
    const int plain = list->Extent();

    Add({0, 0, 0, 0, 0, {{7, "x"}, {6, std::string(120, 'w')}}});
    page = Render();
    EXPECT_EQ(list->Extent(), plain);
    const int right = BoxRight(page, 3, RowY(1));
    EXPECT_EQ(At(page, right + 5, RowY(1) + 5), kFields[6].fill); // drawn, though
}

struct ErrorCase {
    uint8_t status;
    const char* text;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << "status " << int{c.status}; }

class PacketListErrors : public PacketListTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(PacketListErrors, StatusRowsAreOneErrorBoxAcrossTheWidth)
{
    Add({0, GetParam().status, 0, 0, 0, {{7, "x"}}});
    const QImage page = Render();
    const int y = RowY(0);
    EXPECT_EQ(At(page, 6, y + 42), kError);
    EXPECT_EQ(At(page, list->viewport()->width() - 8, y + 42), kError);
    EXPECT_STREQ(CPacketListCtrl::ErrorText(GetParam().status), GetParam().text);
    // White text inside the box.
    bool white = false;
    for (int x = 0; x < page.width() && !white; ++x)
        for (int row = y + 1; row < y + 40 && !white; ++row)
            white = At(page, x, row) == 0xFFFFFF;
    EXPECT_TRUE(white);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PacketListErrors,
    ::testing::Values(ErrorCase{1, "Buffer Overflow!"}, ErrorCase{2, "Parsed data too long!"},
                      ErrorCase{3, "Communication error!"}, ErrorCase{4, "Unknown Data type!"},
                      ErrorCase{5, "USB read timeout!"}, ErrorCase{6, "Incomplete packet received. Data is discarded."},
                      ErrorCase{7, "The sniffer encountered a communication syncronization error. Data is discarded."},
                      ErrorCase{8, "The sniffer encountered a communication syncronization error. Displaying data "
                                   "sucsessfully received:"},
                      ErrorCase{9, "Invalid length!"}, ErrorCase{10, "Unknown Error type!"},
                      ErrorCase{11, "Unknown Error type!"}, ErrorCase{200, "Unknown Error type!"}));

TEST_F(PacketListTest, CaptureEventRecordsAreErrorRows)
{
    store.AddErrorRecord(1);
    store.AddErrorRecord(7);
    const QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 42), kError);
    EXPECT_EQ(At(page, 6, RowY(1) + 42), kError);
    SaveScreen(list.get(), "packet_list_errors");
}

TEST_F(PacketListTest, FieldIdOutsideTheCatalogueEndsTheRowWithoutAskingForItAgain)
{
    Add({0, 0, 0, 0, 0, {{7, "x"}, {40, "?"}, {0, "1"}}});
    Render(); // would wait for ever if the row counted as not drawn
    const QImage page = Render(false);
    const int right = BoxRight(page, 3, RowY(0));
    EXPECT_EQ(At(page, right + 6, RowY(0) + 42), kError);
    EXPECT_FALSE(list->RepaintNeeded());
}

// The count also counts records that did not fit: the walk ends with the buffer.
TEST_F(PacketListTest, FieldCountPastTheBufferEndsWithTheBuffer)
{
    Add({0, 0, 0, 255, 255, {{7, "x"}}});
    Add({0, 0, 0, 255, 0, {{7, "x"}}});
    const QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[7].fill);
    EXPECT_EQ(At(page, 6, RowY(1) + 5), kFields[7].fill);
}

TEST_F(PacketListTest, BufferSmallerThanTheStoresIsGrownBeforeAPacketIsCopied)
{
    list->AllocFieldBuffer(16);
    Add({0, 0, 0, 0, 0, {{3, std::string(150, 'p')}, {7, "x"}}});
    const QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[3].fill);
}

TEST_F(PacketListTest, EmptyStoreFillsEveryBandAndHasNoRanges)
{
    const QImage page = Render();
    for (const int y : {1, 60, 200, page.height() - 2})
        EXPECT_EQ(At(page, 500, y), Base()) << y;
    EXPECT_EQ(list->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(list->Extent(), 0);
    list->SelectPacket(5);
    EXPECT_EQ(list->GetSelectedPacket(), 0);
}

// ---------------------------------------------------------------- scrolling and selection

struct NavigationCase {
    const char* name;
    int packets;
    std::function<void(CPacketListCtrl&)> act;
    int top;
    int selected;
};

void PrintTo(const NavigationCase& c, std::ostream* os) { *os << c.name; }

class PacketListNavigation : public PacketListTest, public ::testing::WithParamInterface<NavigationCase> {};

void Key(CPacketListCtrl& list, Qt::Key key, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(&list, key);
}

void Wheel(CPacketListCtrl& list, int delta)
{
    QWheelEvent event(QPointF(50, 50), list.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.viewport(), &event);
}

TEST_P(PacketListNavigation, MovesTheSelectionAndKeepsItInView)
{
    const NavigationCase& c = GetParam();
    ASSERT_EQ(list->RowsPerPage(), 6);
    AddMany(c.packets, {0, 0, 0, 0, 0, {{7, "x"}}});
    list->UpdateScrollBars();
    list->setFocus();
    c.act(*list);
    EXPECT_EQ(list->TopRow(), c.top);
    EXPECT_EQ(list->GetSelectedPacket(), c.selected);
    EXPECT_EQ(list->verticalScrollBar()->value(), c.top);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, PacketListNavigation,
    ::testing::Values(
        NavigationCase{"end", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_End); }, 94, 99},
        NavigationCase{"end_then_home", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_End); Key(l, Qt::Key_Home); }, 0, 0},
        NavigationCase{"page_down", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_PageDown); }, 1, 6},
        NavigationCase{"page_down_on_the_last_page", 100,
                       [](CPacketListCtrl& l) { Key(l, Qt::Key_End); Key(l, Qt::Key_Up, 2); Key(l, Qt::Key_PageDown); }, 94, 99},
        NavigationCase{"page_up_from_the_end", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_End); Key(l, Qt::Key_PageUp); }, 93, 93},
        NavigationCase{"down_past_the_page", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_Down, 8); }, 3, 8},
        NavigationCase{"up_at_the_top", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_Up, 3); }, 0, 0},
        NavigationCase{"down_past_the_end", 4, [](CPacketListCtrl& l) { Key(l, Qt::Key_Down, 9); }, 0, 3},
        NavigationCase{"wheel_down_and_up", 100, [](CPacketListCtrl& l) { for (int i = 0; i < 9; ++i) Wheel(l, -120); Wheel(l, 120); }, 4, 8},
        NavigationCase{"select_minus_one", 100, [](CPacketListCtrl& l) { Key(l, Qt::Key_End); l.SelectPacket(-1); }, 0, 0},
        NavigationCase{"select_past_the_end", 10, [](CPacketListCtrl& l) { l.SelectPacket(50); }, 4, 9},
        NavigationCase{"scroll_bar_page_and_line", 100,
                       [](CPacketListCtrl& l) {
                           l.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
                           l.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                       },
                       7, 0},
        NavigationCase{"scroll_bar_to_the_end", 100,
                       [](CPacketListCtrl& l) { l.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum); },
                       94, 0},
        NavigationCase{"click_on_the_third_row", 100,
                       [](CPacketListCtrl& l) { QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, QPoint(100, 2 * kPitch + 20)); },
                       0, 2},
        NavigationCase{"click_below_the_rows", 2,
                       [](CPacketListCtrl& l) { QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, QPoint(100, 4 * kPitch)); },
                       0, 0},
        NavigationCase{"drag_down_past_the_page", 100,
                       [](CPacketListCtrl& l) {
                           QTest::mousePress(l.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
                           QMouseEvent move(QEvent::MouseMove, QPointF(100, 7 * kPitch + 5), l.viewport()->mapToGlobal(QPointF(100, 7 * kPitch + 5)),
                                            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                           QApplication::sendEvent(l.viewport(), &move);
                           QTest::mouseRelease(l.viewport(), Qt::LeftButton, {}, QPoint(100, 7 * kPitch + 5));
                       },
                       2, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PacketListTest, DisabledListSwallowsKeys)
{
    AddMany(20, {0, 0, 0, 0, 0, {{7, "x"}}});
    list->setEnabled(false);
    Key(*list, Qt::Key_End);
    EXPECT_EQ(list->GetSelectedPacket(), 0);
    list->setEnabled(true);
    Key(*list, Qt::Key_End);
    EXPECT_EQ(list->GetSelectedPacket(), 19);
}

TEST_F(PacketListTest, AutoScrollFollowsTheNewestUntilTheUserScrollsByHand)
{
    QSignalSpy stopped(list.get(), &CPacketListCtrl::autoScrollStopped);
    list->SetAutoScroll(true);
    AddMany(30, {0, 0, 0, 0, 0, {{7, "x"}}});
    list->UpdateScrollBars();
    list->AutoScrollStep();
    EXPECT_EQ(list->TopRow(), 24);
    EXPECT_EQ(list->GetSelectedPacket(), 0); // the selection stays
    Key(*list, Qt::Key_Down); // keys and the wheel leave it on
    Wheel(*list, -120);
    EXPECT_TRUE(list->AutoScroll());
    AddMany(10, {0, 0, 0, 0, 0, {{7, "x"}}});
    list->UpdateScrollBars();
    list->AutoScrollStep();
    EXPECT_EQ(list->TopRow(), 34);
    EXPECT_EQ(stopped.count(), 0);

    list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_FALSE(list->AutoScroll());
    EXPECT_EQ(stopped.count(), 1);
    AddMany(10, {0, 0, 0, 0, 0, {{7, "x"}}});
    list->UpdateScrollBars();
    list->AutoScrollStep();
    EXPECT_EQ(list->TopRow(), 33);
}

TEST_F(PacketListTest, HorizontalThumbSnapsToStepsExceptAtTheFarRight)
{
    list->resize(500, list->height());
    Add({0, 0, 0, 0, 0, {{3, std::string(120, 'w')}, {7, std::string(40, 'v')}}});
    Render();
    const int limit = list->Extent() - list->viewport()->width() + 1;
    ASSERT_GT(limit, 300);
    struct Case {
        int position;
        int expected;
    };
    for (const Case& c : {Case{100, 64}, Case{127, 64}, Case{128, 128}, Case{limit, limit}, Case{limit + 500, limit},
                          Case{-5, 0}}) {
        list->HorizontalScroll(Scroll::Thumb, c.position);
        EXPECT_EQ(list->HorizontalPosition(), c.expected) << c.position;
    }
    list->HorizontalScroll(Scroll::Thumb, 0);
    Key(*list, Qt::Key_Right);
    EXPECT_EQ(list->HorizontalPosition(), 64);
    Key(*list, Qt::Key_Left);
    Key(*list, Qt::Key_Left);
    EXPECT_EQ(list->HorizontalPosition(), 0);
}

TEST_F(PacketListTest, FilterThatShrinksTheStoreBringsTheViewBack)
{
    for (int i = 0; i < 200; ++i)
        Add({0, 0, 0, 0, 0, {{static_cast<uint8_t>(i % 10 == 0 ? 0 : 7), "x"}}});
    store.Stop(1);
    Key(*list, Qt::Key_End);
    ASSERT_EQ(list->TopRow(), 194);
    const auto filter = testsupport::FieldFilter(kParsedLength, 0, "x");
    store.SetFilter(filter.get());
    ASSERT_TRUE(store.WaitForScan(10000));
    ASSERT_EQ(store.GetPacketCount(1), 20);
    list->UpdateScrollBars();
    list->SelectPacket(-1);
    EXPECT_EQ(list->TopRow(), 0);
    const QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[0].fill);
    store.FilterOff();
}

// A jump in a large store: the rows are not in the cache at first. They must not show what
// was drawn there before, and they come by themselves, without any other repaint.
TEST_F(PacketListTest, RowsNotInTheCacheShowTheirBackgroundAndArriveByThemselves)
{
    ASSERT_EQ(store.SetCacheSize(1), 1);
    for (int i = 0; i < 20000; ++i)
        Add({0, 0, 0, 0, 0, {{static_cast<uint8_t>(i < 100 ? 0 : 7), "x"}}});
    store.Stop(1);
    Key(*list, Qt::Key_End);
    QImage page = Render();
    EXPECT_EQ(At(page, 6, RowY(list->TopRow()) + 5), kFields[7].fill);

    Key(*list, Qt::Key_Home);
    page = Render(false);
    if (list->RepaintNeeded()) {
        const uint32_t shown = At(page, 6, RowY(0) + 5);
        EXPECT_TRUE(shown == kFields[0].fill || shown == Highlight() || shown == Base()) << std::hex << shown;
        EXPECT_NE(shown, kFields[7].fill);
    }
    {
        testsupport::Watchdog watchdog("rows after a jump", 20s);
        while (list->RepaintNeeded())
            QTest::qWait(5); // only the list's own poll repaints here
    }
    page = list->viewport()->grab().toImage();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[0].fill);
    SaveScreen(list.get(), "packet_list_after_a_jump");

    Key(*list, Qt::Key_End);
    Render();
    Key(*list, Qt::Key_Home);
    page = Render();
    EXPECT_EQ(At(page, 6, RowY(0) + 5), kFields[0].fill);
}

// A data file being read: the list goes to its end and back while the reader adds packets
// and the loader fills the cache.
TEST_F(PacketListTest, OpenedFileScrolledToItsEndAndBackWhileItIsRead)
{
    ASSERT_EQ(store.SetCacheSize(1), 1);
    for (int i = 0; i < 30000; ++i)
        Add({0, 0, 0, 0, 0, {{static_cast<uint8_t>(i < 100 ? 0 : 7), "x"}}});
    store.Stop(1);
    const std::string file = temp / "rows.pld";
    store.SaveToFile(file);
    store.Reset();
    ASSERT_EQ(store.OpenFile(file, 0, true, "Rows", 0), 1);
    testsupport::Watchdog watchdog("an opened file's pages", 60s);
    int turns = 0;
    while (store.FileReader() != nullptr && store.FileReader()->Running()) {
        Key(*list, Qt::Key_End);
        Render();
        Key(*list, Qt::Key_Home);
        const int shown = store.GetPacketCount(1); // the reader may not have added one yet
        const QImage top = Render();
        if (shown > 0) {
            EXPECT_EQ(At(top, 6, RowY(0) + 5), kFields[0].fill);
        }
        ++turns;
    }
    EXPECT_GT(turns, 0);
    Key(*list, Qt::Key_End);
    const QImage end = Render();
    EXPECT_EQ(list->GetSelectedPacket(), 29999);
    EXPECT_EQ(At(end, 6, RowY(29999) + 5), kFields[7].fill);
    Key(*list, Qt::Key_Home);
    const QImage top = Render();
    EXPECT_EQ(At(top, 6, RowY(0) + 5), kFields[0].fill);
}

TEST_F(PacketListTest, DoubleClickOnARowAsksForItsDetails)
{
    AddMany(2, {0, 0, 0, 0, 0, {{7, "x"}}});
    QSignalSpy details(list.get(), &CPacketListCtrl::packetDoubleClicked);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(details.count(), 1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(50, 4 * kPitch));
    EXPECT_EQ(details.count(), 1);
    list->setEnabled(false);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(details.count(), 1);
}

TEST_F(PacketListTest, PageOfEveryKindOfRow)
{
    list->resize(1200, 12 * kPitch + 30);
    Add({0, 0, 0, 0, 0, {{0, "1"}, {1, ""}, {2, "centred"}, {3, "value"}, {4, "two"}, {7, "x"}}});
    Add({1, 0, 0, 0, 0, {{0, "2"}, {2, "indented once"}, {3, "-42"}}});
    Add({2, 0, 0x04, 0, 0, {{0, "3"}, {2, "incomplete"}, {7, "y"}}});
    Add({0, 2, 0, 0, 0, {}});
    Add({0, 9, 0, 0, 0, {}});
    store.AddErrorRecord(1);
    store.AddErrorRecord(6);
    Add({0, 0, 0, 0, 0, {{0, "8"}, {2, "line one\nline two"}, {6, "no width"}}});
    Add({0, 0, 0, 0, 0, {{0, "9"}, {40, "?"}}});
    list->SelectPacket(1);
    Render();
    SaveScreen(list.get(), "packet_list_every_kind");
}

} // namespace
