#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "gui/ColorRef.h"
#include "gui/views/CPacketListCtrl.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "platform/MessageBoxRecorder.h"
#include "plugin/frame/RawPacketRec.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Watchdog.h"
#include "tests/support/FieldFilter.h"

using namespace std::chrono_literals;
using testsupport::TempFolder;
using Scroll = CPacketTimeLineCtrl::Scroll;

namespace {

constexpr uint32_t kError = 0xF947F9;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;   // class 0, filled
constexpr uint32_t kGreen = 0x00C000; // class 1, outline
constexpr uint32_t kBlue = 0xFF0000;  // class 2, triangle
constexpr uint32_t kNone = 0xFFFFFFFF;

// What the fixture plug-in makes of a packet.
struct Packet {
    uint8_t status = 0;
    int8_t frameClass = 0;
    uint32_t source = kNone;
    uint32_t destination = kNone;
    uint8_t changed = 0;
    char tag = 'a';
};

class TimeLineTest : public ::testing::Test {
protected:
    static constexpr uint16_t kRawLength = 64;
    static constexpr uint16_t kParsedLength = 64;

    TempFolder temp;
    PluginHandler host;
    PacketManager store;
    std::unique_ptr<CPacketListCtrl> list;
    std::unique_ptr<CPacketTimeLineCtrl> view;

    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::create_directories(temp.Path() / "Lines");
        fs::copy_file(fs::path(PELAGOR_TEST_PROTOCOLS_DIR) / "common.plt", temp.Path() / "common.plt");
        fs::copy_file(TIME_LINE_PLUGIN, temp.Path() / "Lines" / "TimeLine.so");
        std::ofstream(temp / "Lines/TimeLine.plt") << "Protocol_name=Lines\nPacket_length_raw_data=" << kRawLength
                                                    << "\nPacket_length_parsed_data=" << kParsedLength << "\n";
        std::ofstream(temp / "Lines/Mnemonic.plt")
            << "# test symbols\n"
               " FrameDef.plt|FRAME_TYPE|FT_0|0\n FrameDef.plt|FRAME_TYPE|FT_1|1\n FrameDef.plt|FRAME_TYPE|FT_2|2\n"
               " FrameDef.plt|FRAME_TYPE|FT_NEGATIVE|0xFFFFFFFF\n FrameDef.plt|FRAME_TYPE|FT_HUGE|0x7FFFFFFF\n"
               " FrameDef.plt|FRAME_TYPE|FT_65536|65536\n"
               " FrameDef.plt|COLOR|RED|0x0000FF\n FrameDef.plt|COLOR|GREEN|0x00C000\n FrameDef.plt|COLOR|BLUE|0xFF0000\n"
               " FrameDef.plt|FORMAT|BLOCK|0\n FrameDef.plt|FORMAT|OUTLINE|1\n FrameDef.plt|FORMAT|TRIANGLE|2\n";
        WriteFrameTable("FT_0|RED|BLOCK\nFT_1|GREEN|OUTLINE\nFT_2|BLUE|TRIANGLE\n");
        ASSERT_EQ(host.Load((temp / "Lines/TimeLine.so").c_str(), ""), 1);
        ASSERT_TRUE(testsupport::SetUpStore(store, &host, kRawLength, kParsedLength, temp.Path().string(), 20));

        list = std::make_unique<CPacketListCtrl>(nullptr);
        list->resize(400, 300);
        list->SetPacketManager(&store);
        list->AllocFieldBuffer(kParsedLength);
        view = std::make_unique<CPacketTimeLineCtrl>(nullptr);
        view->resize(600, 200);
        view->SetPacketList(list.get());
        view->SetPacketManager(&store);
        list->SetTimeLine(view.get());
        store.SetNodeSink(view.get());
        list->show();
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void TearDown() override
    {
        store.SetNodeSink(nullptr);
        list->SetTimeLine(nullptr);
        view.reset();
        list.reset();
    }

    void WriteFrameTable(const std::string& rows)
    {
        std::ofstream(temp / "Lines/FrameDef.plt") << "# FRAME_TYPE|COLOR|FORMAT\n" << rows;
    }
    int LoadTable() { return view->LoadFrameDefinitions((temp / "Lines").c_str()); }

    void Add(const Packet& p)
    {
        std::vector<uint8_t> frame = {p.status, static_cast<uint8_t>(p.frameClass), p.changed};
        for (const uint32_t id : {p.source, p.destination})
            for (int shift = 0; shift < 32; shift += 8)
                frame.push_back(static_cast<uint8_t>(id >> shift));
        frame.push_back(static_cast<uint8_t>(p.tag));
        std::vector<uint8_t> record(kRawLength, 0);
        WriteRawPacketHeader(record.data(), RAW_PACKET_REC{0, 1000, static_cast<uint16_t>(frame.size())});
        std::memcpy(record.data() + kRawPacketHeaderSize, frame.data(), frame.size());
        ASSERT_EQ(store.AddPacket(record.data(), 1, static_cast<int>(frame.size()), 0), 1);
    }

    // The viewport once every column is drawn; packets not in the cache yet are asked for again.
    QImage Render()
    {
        QCoreApplication::processEvents();
        view->UpdateScrollBars();
        QImage image = view->viewport()->grab().toImage();
        const int want = std::min(store.GetPacketCount(1), view->FirstVisiblePacket() + view->VisiblePacketColumns());
        testsupport::Watchdog watchdog("columns that never arrive", 20s);
        while (view->PaintedUpTo() < want) {
            QTest::qWait(5);
            image = view->viewport()->grab().toImage();
        }
        return image;
    }
    // The list's selection bar would cover the first column: the mark tests hide it.
    void HideListMarkers() { view->SetAutoScroll(true); }
    static uint32_t At(const QImage& image, int x, int y) { return ColorRefFromColor(image.pixelColor(x, y)); }
    // Left edge of the column that shows packet (0-based) and the top of node row j's band.
    int ColumnX(int packet) const { return 120 + 5 * (packet - view->FirstVisiblePacket()); }
    int NodeTop(int j) const { return 26 + 13 * (j - view->VerticalPosition()); }
    static constexpr int kUnregisteredTop = 13;

    std::vector<uint32_t> Addresses() const
    {
        std::vector<uint32_t> out;
        for (int i = 0; i < view->NodeCount(); ++i)
            out.push_back(view->NodeAt(i).address);
        return out;
    }
    void Send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y)
    {
        QMouseEvent event(type, QPointF(x, y), view->viewport()->mapToGlobal(QPointF(x, y)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
};

// ---------------------------------------------------------------- node rows

TEST_F(TimeLineTest, AddNodesNamesSortsUnsignedAndSkipsNoneAndDuplicates)
{
    struct Step {
        uint32_t source, destination;
        std::vector<uint32_t> rows;
    };
    const Step steps[] = {
        {kNone, 5, {5}},
        {kNone, 5, {5}},
        {5, kNone, {5}},
        {0x80000000, 1, {1, 5, 0x80000000}},
        {7, 7, {1, 5, 7, 0x80000000}},
        {kNone, kNone, {1, 5, 7, 0x80000000}},
        {0xFFFFFFFE, 0, {0, 1, 5, 7, 0x80000000, 0xFFFFFFFE}},
    };
    for (const Step& step : steps) {
        view->AddNodes(step.source, step.destination);
        EXPECT_EQ(Addresses(), step.rows) << std::hex << step.source << " " << step.destination;
    }
    EXPECT_STREQ(view->NodeAt(2).name, "Node 0x00000005");
    EXPECT_STREQ(view->NodeAt(4).name, "Node 0x80000000");
}

TEST_F(TimeLineTest, RenameKeepsThirtyOneCharactersAndRemoveFindsItsRow)
{
    for (uint32_t id : {30u, 10u, 20u})
        view->AddNodes(id, kNone);
    view->SetNodeName(20, "a name of more than thirty-one characters");
    view->SetNodeName(99, "nobody");
    EXPECT_STREQ(view->NodeAt(1).name, "a name of more than thirty-one ");
    view->RemoveNode(99);
    view->RemoveNode(10);
    EXPECT_EQ(Addresses(), (std::vector<uint32_t>{20, 30}));
    view->RemoveAllNodes();
    EXPECT_EQ(view->NodeCount(), 0);
}

TEST_F(TimeLineTest, TheStoreAddsTheNodesOfPacketsThatChangedThem)
{
    Add({0, 0, 0x10, 0x20, 1});
    Add({0, 0, 0x30, 0x40, 0}); // unchanged: no rows
    Add({0, 0, 0x20, kNone, 1});
    EXPECT_EQ(Addresses(), (std::vector<uint32_t>{0x10, 0x20}));
}

// ---------------------------------------------------------------- marks

TEST_F(TimeLineTest, MarksTakeTheShapeAndColourOfTheirFrameClass)
{
    platform::MessageBoxRecorder boxes;
    ASSERT_EQ(LoadTable(), 1);
    ASSERT_EQ(view->FrameClassCount(), 3);
    view->AddNodes(0x10, kNone);
    struct Case {
        Packet packet;
        int top;
        uint32_t corner;     // top-left pixel of the mark
        uint32_t centre;     // (x + 1, top + 5)
        uint32_t bottomLeft; // (x, top + 9)
        uint32_t apex;       // (x + 2, top + 3)
    };
    const Case cases[] = {
        {{0, 0, 0x10}, 26, kRed, kRed, kRed, kRed},
        {{0, 1, 0x10}, 26, kGreen, kWhite, kGreen, kGreen},
        {{0, 2, 0x10}, 26, kWhite, kBlue, kBlue, kBlue}, // its left side passes (x + 1, top + 5)
        {{0, 3, 0x10}, 26, kError, kError, kError, kError},  // one past the table
        {{0, -1, 0x10}, 26, kError, kError, kError, kError}, // negative class
        {{3, 0, 0x10}, kUnregisteredTop, kError, kError, kError, kError}, // a status
        {{0, 0, 0x55}, kUnregisteredTop, kRed, kRed, kRed, kRed},         // no row for the node
    };
    for (const Case& c : cases)
        Add(c.packet);
    HideListMarkers();
    const QImage page = Render();
    SaveScreen(view.get(), "time_line_marks");
    const uint32_t face = ColorRefFromColor(view->palette().color(QPalette::Button));
    for (int k = 0; k < static_cast<int>(std::size(cases)); ++k) {
        const Case& c = cases[k];
        const int x = ColumnX(k);
        EXPECT_EQ(At(page, x, c.top + 3), c.corner) << k;
        EXPECT_EQ(At(page, x + 1, c.top + 5), c.centre) << k;
        EXPECT_EQ(At(page, x, c.top + 9), c.bottomLeft) << k;
        EXPECT_EQ(At(page, x + 2, c.top + 3), c.apex) << k;
        // Neither the gap after the mark nor the lines above and below it are drawn.
        const uint32_t band = c.top == kUnregisteredTop ? face : kWhite;
        EXPECT_EQ(At(page, x + 4, c.top + 5), band) << k;
        EXPECT_EQ(At(page, x + 1, c.top + 2), band) << k;
        EXPECT_EQ(At(page, x + 1, c.top + 10), band) << k;
    }
    // Nothing is drawn in the other row.
    EXPECT_EQ(At(page, ColumnX(0) + 1, kUnregisteredTop + 5), ColorRefFromColor(view->palette().color(QPalette::Button)));
    EXPECT_EQ(view->PaintedUpTo(), 7);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TimeLineTest, ATableThatFailsLeavesItsFirstRowsBlackAndTheRestInTheErrorColour)
{
    platform::MessageBoxRecorder boxes;
    WriteFrameTable("FT_0|RED|BLOCK\nFT_1|GREEN|OUTLINE\nFT_2|NO_SUCH_COLOUR|BLOCK\n");
    EXPECT_EQ(LoadTable(), 0);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().back(), "Not able to read table FrameDef.plt");
    EXPECT_EQ(view->FrameClassCount(), 2);
    for (int8_t frameClass : {0, 1, 2})
        Add({0, frameClass, kNone});
    HideListMarkers();
    const QImage page = Render();
    const uint32_t expected[] = {0x000000, 0x000000, kError};
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(At(page, ColumnX(k) + 1, kUnregisteredTop + 5), expected[k]) << k;
}

TEST_F(TimeLineTest, FrameTypesOutsideTheirRangeAreIgnoredAndInsertionShifts)
{
    WriteFrameTable("FT_2|BLUE|TRIANGLE\nFT_NEGATIVE|GREEN|BLOCK\nFT_HUGE|GREEN|BLOCK\nFT_65536|GREEN|BLOCK\n"
                    "FT_0|RED|BLOCK\n");
    ASSERT_EQ(LoadTable(), 1);
    // Class 2 grew the table with zeroed classes, then class 0 was inserted before them.
    ASSERT_EQ(view->FrameClassCount(), 4);
    EXPECT_EQ(view->FrameClass(0).colour, kRed);
    EXPECT_EQ(view->FrameClass(1).colour, 0u);
    EXPECT_EQ(view->FrameClass(3).colour, kBlue);
    EXPECT_EQ(view->FrameClass(3).format, 2);
    // A second table replaces the first.
    WriteFrameTable("FT_1|GREEN|OUTLINE\n");
    ASSERT_EQ(LoadTable(), 1);
    EXPECT_EQ(view->FrameClassCount(), 2);
}

TEST_F(TimeLineTest, DoubleClickInTheNameColumnSwitchesToTheDestinations)
{
    ASSERT_EQ(LoadTable(), 1);
    Add({0, 0, 0x10, 0x20, 1});
    HideListMarkers();
    QImage page = Render();
    ASSERT_TRUE(view->ShowSource());
    EXPECT_EQ(At(page, ColumnX(0) + 1, NodeTop(0) + 5), kRed);
    EXPECT_NE(At(page, ColumnX(0) + 1, NodeTop(1) + 5), kRed);
    SaveScreen(view.get(), "time_line_source");

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(200, 40)); // not the name column
    EXPECT_TRUE(view->ShowSource());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(50, 40));
    EXPECT_FALSE(view->ShowSource());
    page = Render();
    SaveScreen(view.get(), "time_line_destination");
    EXPECT_NE(At(page, ColumnX(0) + 1, NodeTop(0) + 5), kRed);
    EXPECT_EQ(At(page, ColumnX(0) + 1, NodeTop(1) + 5), kRed);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(50, 40));
    EXPECT_TRUE(view->ShowSource());
}

// ---------------------------------------------------------------- scrolling

TEST_F(TimeLineTest, ScrollArrowsJumpToTheStartOrMoveEightAndRightDragMovesLater)
{
    for (int i = 0; i < 500; ++i)
        Add({});
    view->UpdateScrollBars();
    ASSERT_GT(view->VisiblePacketColumns(), 0);
    QScrollBar* bar = view->horizontalScrollBar();
    view->ScrollTo(100);
    ASSERT_EQ(view->FirstVisiblePacket(), 100);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view->FirstVisiblePacket(), 0);
    EXPECT_EQ(bar->value(), 0);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view->FirstVisiblePacket(), 16);
    EXPECT_EQ(bar->value(), 16);

    // Dragging with the right button: 10 pixels left shows two packets later.
    struct Drag {
        int dx;
        int expected;
    };
    for (const Drag& d : {Drag{-10, 18}, Drag{-4, 16}, Drag{+10, 14}, Drag{+1000, 0}}) {
        view->ScrollTo(16);
        Send(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, 300, 50);
        Send(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 300 + d.dx, 50);
        Send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, 300 + d.dx, 50);
        EXPECT_EQ(view->FirstVisiblePacket(), d.expected) << d.dx;
    }
    // After the release a move does nothing.
    Send(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 100, 50);
    EXPECT_EQ(view->FirstVisiblePacket(), 0);
    // The far right stops where the last page is full.
    view->ScrollTo(100000);
    EXPECT_EQ(view->FirstVisiblePacket(), 500 - view->VisiblePacketColumns());
}

TEST_F(TimeLineTest, ClickSelectsInThePacketListAndStopsAutoScroll)
{
    for (int i = 0; i < 300; ++i)
        Add({});
    list->UpdateScrollBars();
    view->UpdateScrollBars();
    view->ScrollTo(40);
    list->SetAutoScroll(true);
    view->SetAutoScroll(true);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(120 + 5 * 3 + 2, 60));
    EXPECT_EQ(list->GetSelectedPacket(), 43);
    EXPECT_FALSE(view->AutoScroll());
    EXPECT_FALSE(list->AutoScroll());
    // Dragging with the left button follows the mouse.
    Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 140, 60);
    Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 160, 60);
    EXPECT_EQ(list->GetSelectedPacket(), 48);
    Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 160, 60);
}

TEST_F(TimeLineTest, TheListsAutoScrollStepMovesTheViewAndKeepsAutoScrollOn)
{
    for (int i = 0; i < 300; ++i)
        Add({});
    list->UpdateScrollBars();
    view->UpdateScrollBars();
    list->SetAutoScroll(true);
    view->SetAutoScroll(true);
    list->AutoScrollStep();
    EXPECT_EQ(view->FirstVisiblePacket(), 300 - view->VisiblePacketColumns());
    EXPECT_TRUE(list->AutoScroll());
    EXPECT_TRUE(view->AutoScroll());
}

TEST_F(TimeLineTest, ListMarkersAreHiddenWhileAutoScrolling)
{
    for (int i = 0; i < 60; ++i)
        Add({});
    list->UpdateScrollBars();
    list->SelectPacket(5);
    const uint32_t highlight = ColorRefFromColor(view->palette().color(QPalette::Highlight));
    const int rowsPerPage = list->RowsPerPage();
    ASSERT_GT(rowsPerPage, 0);
    struct Case {
        bool autoScroll;
        uint32_t bar;
        bool greyLines;
    };
    for (const Case& c : {Case{false, highlight, true}, Case{true, 0, false}}) {
        view->SetAutoScroll(c.autoScroll);
        const QImage page = Render();
        if (!c.autoScroll)
            SaveScreen(view.get(), "time_line_list_markers");
        // Row 1's band below its marks, and a node band below.
        for (int y : {24, 60}) {
            const uint32_t bar = At(page, ColumnX(5) + 1, y);
            if (c.autoScroll)
                EXPECT_NE(bar, highlight) << y;
            else
                EXPECT_EQ(bar, c.bar) << y;
            EXPECT_EQ(At(page, 119 + 5 * list->TopRow(), y) == 0xE0E0E0, c.greyLines) << y;
            EXPECT_EQ(At(page, 119 + 5 * (list->TopRow() + rowsPerPage), y) == 0xE0E0E0, c.greyLines) << y;
        }
    }
}

TEST_F(TimeLineTest, RefreshNewPacketsRepaintsOnlyWhatTheLastPaintDidNotReach)
{
    ASSERT_EQ(LoadTable(), 1);
    for (int i = 0; i < 5; ++i)
        Add({});
    Render();
    ASSERT_EQ(view->PaintedUpTo(), 5);
    QCoreApplication::processEvents();
    int paints = view->PaintCount();
    view->RefreshNewPackets();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->PaintCount(), paints) << "nothing new, nothing to paint";

    for (int i = 0; i < 3; ++i)
        Add({0, 1});
    view->RefreshNewPackets();
    QTest::qWait(20);
    EXPECT_GT(view->PaintCount(), paints);
    {
        // As the main window's timer does: a paint that met a packet not loaded yet is
        // continued from where it stopped.
        testsupport::Watchdog watchdog("new packets that never arrive", 20s);
        while (view->PaintedUpTo() < 8) {
            view->RefreshNewPackets();
            QTest::qWait(5);
        }
    }
    const QImage page = view->viewport()->grab().toImage();
    EXPECT_EQ(At(page, ColumnX(7), kUnregisteredTop + 3), kGreen);

    // While auto-scrolling the list's step moves the view instead, unless forced.
    for (int i = 0; i < 200; ++i)
        Add({});
    view->UpdateScrollBars();
    view->SetAutoScroll(true);
    QCoreApplication::processEvents();
    paints = view->PaintCount();
    view->RefreshNewPackets();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->PaintCount(), paints);
    const QRect area(0, 0, 300, 100);
    view->RefreshNewPackets(&area, true);
    QTest::qWait(20);
    EXPECT_GT(view->PaintCount(), paints);
}

TEST_F(TimeLineTest, AFilterThatShrinksTheStoreBringsTheViewBack)
{
    ASSERT_EQ(LoadTable(), 1);
    for (int i = 0; i < 400; ++i)
        Add({0, 0, kNone, kNone, 0, i % 10 == 0 ? 'x' : 'y'});
    store.Stop(1);
    view->UpdateScrollBars();
    view->ScrollTo(350);
    ASSERT_GT(view->FirstVisiblePacket(), 200);
    const auto filter = testsupport::FieldFilter(kParsedLength, 0, "x");
    store.SetFilter(filter.get());
    ASSERT_TRUE(store.WaitForScan(10000));
    ASSERT_EQ(store.GetPacketCount(1), 40);
    view->UpdateScrollBars();
    EXPECT_EQ(view->FirstVisiblePacket(), std::max(0, 40 - view->VisiblePacketColumns()));
    const QImage page = Render();
    EXPECT_EQ(At(page, ColumnX(view->FirstVisiblePacket()) + 1, kUnregisteredTop + 5), kRed);
    store.FilterOff();
}

TEST_F(TimeLineTest, RemovedRowsBringTheVerticalPositionBack)
{
    for (uint32_t id = 1; id <= 40; ++id)
        view->AddNodes(id, kNone);
    view->UpdateScrollBars();
    view->VerticalScroll(Scroll::Thumb, 1000);
    ASSERT_EQ(view->VerticalPosition(), 40 - view->VisibleRows());
    for (uint32_t id = 1; id <= 35; ++id)
        view->RemoveNode(id);
    view->UpdateScrollBars();
    EXPECT_EQ(view->VerticalPosition(), std::max(0, 5 - view->VisibleRows()));
}

// ---------------------------------------------------------------- threads

TEST_F(TimeLineTest, ManyAddNodesFromAWorkerQueueOneRepaint)
{
    QCoreApplication::processEvents();
    const int before = view->QueuedRepaints();
    std::thread worker([this] {
        for (uint32_t id = 0; id < 1000; ++id)
            view->AddNodes(id, id + 5000);
    });
    worker.join();
    EXPECT_EQ(view->QueuedRepaints(), before + 1);
    EXPECT_EQ(view->NodeCount(), 2000);
    const int paints = view->PaintCount();
    QTest::qWait(30);
    EXPECT_EQ(view->PaintCount(), paints + 1);
    // The repaint ran: the next new node asks again; a known one does not.
    std::thread([this] { view->AddNodes(3, 3); }).join();
    EXPECT_EQ(view->QueuedRepaints(), before + 1);
    std::thread([this] { view->AddNodes(9999, kNone); }).join();
    EXPECT_EQ(view->QueuedRepaints(), before + 2);
    QCoreApplication::processEvents();
}

TEST_F(TimeLineTest, AddNodesFromAThreadWhileTheGuiPaints)
{
    ASSERT_EQ(LoadTable(), 1);
    for (int i = 0; i < 200; ++i)
        Add({0, static_cast<int8_t>(i % 3), static_cast<uint32_t>(i % 50), static_cast<uint32_t>(i % 7)});
    view->AddNodes(0, kNone);
    view->viewport()->repaint();
    const void* buffer = view->PaintBuffer();
    const size_t capacity = view->PaintBufferCapacity();
    view->viewport()->repaint();
    EXPECT_EQ(view->PaintBuffer(), buffer) << "the copy of the rows is kept between paints";
    EXPECT_EQ(view->PaintBufferCapacity(), capacity);

    testsupport::Watchdog watchdog("adding nodes while painting", 30s);
    std::atomic<bool> done{false};
    constexpr uint32_t kCount = 20000;
    std::thread worker([&] {
        for (uint32_t id = 0; id < kCount; ++id)
            view->AddNodes(id * 7919u, id % 50);
        done = true;
    });
    int passes = 0;
    while (!done) {
        view->viewport()->repaint();
        view->SetNodeName(0, "renamed");
        QCoreApplication::processEvents();
        ++passes;
    }
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->NodeCount(), static_cast<int>(kCount + 49)); // 0 is both a multiple of 7919 and below 50
    EXPECT_LE(view->QueuedRepaints(), passes + 3) << "at most one repaint waits at a time";
    EXPECT_STREQ(view->NodeAt(0).name, "renamed");
    const std::vector<uint32_t> rows = Addresses();
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
}

} // namespace
