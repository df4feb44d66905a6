// The packet details panel on a real store: packets added through loaded plug-ins (the shipped
// decoders, and a fixture whose records say what their descriptor holds), selected in a real
// packet list.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QPlainTextEdit>

#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "gui/ControlId.h"
#include "gui/panels/CPacketDetailsPnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "platform/MessageBoxRecorder.h"
#include "plugin/frame/RawPacketRec.h"
#include "tests/gui/ScreenShot.h"
#include "tests/plugin/fennet/FennetRecord.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

const std::string kProtocols = PELAGOR_TEST_PROTOCOLS_DIR;

// A store filled through one loaded plug-in, a packet list over it and the panel.
class DetailsRig {
public:
    // plugin: a shipped one (relative to the protocol folder) or, when raw is given, the
    // fixture with a description of raw record bytes laid out beside a link to it.
    explicit DetailsRig(const std::string& plugin, const char* chip = nullptr, uint16_t raw = 0)
    {
        std::string path = kProtocols + "/" + plugin;
        if (raw != 0) {
            path = folder_.Link("Protocols/D/d.so", DETAILS_PLUGIN_PATH);
            folder_.Write("Protocols/D/d.plt", "Protocol_name=D\nPacket_length_raw_data=" + std::to_string(raw) +
                                                  "\nPacket_length_parsed_data=64\n");
            folder_.Write("Protocols/common.plt", "[Radio_Settings]\nQZ6F1C\n");
        }
        EXPECT_EQ(host_.Load(path.c_str(), ""), 1) << host_.LoadErrorText();
        if (chip != nullptr) {
            EXPECT_EQ(host_.SetChipType(chip), 1) << chip;
        }
        EXPECT_TRUE(testsupport::SetUpStore(store_, &host_, host_.RawLength(), host_.ParsedLength(),
                                            folder_.Path().string() + "/", 1));
        list_.SetPacketManager(&store_);
    }
    ~DetailsRig() { store_.Stop(1); }

    // Adds a record of the store's raw length (zero-filled or cut to it); the store numbers it.
    void Add(std::vector<uint8_t> record, int captured = 0)
    {
        record.resize(store_.RawLength(), 0);
        ASSERT_EQ(store_.AddPacket(record.data(), 1, captured, 0), 1);
    }

    // Selects row and waits until the cache holds its packet, as a double-click would find it.
    PARSED_DATA Select(int row)
    {
        list_.SelectPacket(row);
        EXPECT_EQ(list_.GetSelectedPacket(), row);
        if (row >= store_.GetPacketCount(0))
            return PARSED_DATA{};
        std::vector<char> fields(store_.ParsedLength() + 1u);
        PARSED_DATA served{};
        served.fieldBuffer = fields.data();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (store_.GetPacket(row + 1, 0, &served) == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        served.fieldBuffer = nullptr;
        return served;
    }

    std::string Show()
    {
        panel_.ShowPacketDetails(&list_, &store_);
        return panel_.DetailsText();
    }

    PacketManager& Store() { return store_; }
    CPacketDetailsPnl& Panel() { return panel_; }

private:
    TempFolder folder_;
    PluginHandler host_;
    PacketManager store_;
    CPacketListCtrl list_{nullptr};
    CPacketDetailsPnl panel_{nullptr};
};

std::string Hex(const std::vector<uint8_t>& bytes, size_t from, size_t count)
{
    std::string out;
    char pair[4];
    for (size_t i = from; i < from + count; ++i) {
        std::snprintf(pair, sizeof pair, i > from ? " %02X" : "%02X", bytes.at(i));
        out.append(pair);
    }
    return out;
}

// A fixture record: its time-stamp field tells the fixture plug-in the descriptor.
struct Says {
    uint8_t status = 0;
    uint8_t flags = 0;
    int16_t frameLength = 0;
    int8_t rssi = -40;
    uint8_t correlation = 0;
    uint8_t crcOk = 1;
};

std::vector<uint8_t> FixtureRecord(const Says& says, size_t size)
{
    uint8_t bytes[8] = {says.status, says.flags, 0, 0, static_cast<uint8_t>(says.rssi), says.correlation,
                        says.crcOk, 0};
    std::memcpy(bytes + 2, &says.frameLength, sizeof says.frameLength);
    uint64_t timeStamp = 0;
    std::memcpy(&timeStamp, bytes, sizeof timeStamp);
    std::vector<uint8_t> record(size, 0);
    WriteRawPacketHeader(record.data(), RAW_PACKET_REC{0, timeStamp, static_cast<uint16_t>(size - 14)});
    for (size_t i = 14; i < size; ++i)
        record[i] = static_cast<uint8_t>(i * 7 + 1);
    return record;
}

std::string Summary(int index, int length, const std::string& hex, int rssi, const char* correlation, int crc)
{
    std::string text = "Packet index: " + std::to_string(index) + "\r\nLength: " + std::to_string(length) +
                       "\r\nRaw data (hex): " + hex + "\r\nRSSI [dBm]: " + std::to_string(rssi);
    if (correlation != nullptr)
        text += std::string("\r\nCorrelation value: ") + correlation;
    return text + "\r\nCRC OK: " + std::to_string(crc);
}

} // namespace

TEST(PacketDetailsFormat, HexLines)
{
    const uint8_t bytes[] = {0x41, 0x0A, 0xFF, 0x00, 0x7E};
    struct Case {
        int n;
        int lines;
        const char* text;
        int perLine;
    };
    const Case cases[] = {
        {0, 1, "", 0},
        {1, 1, "41", 1},
        {2, 1, "41 0A", 2},
        {5, 1, "41 0A FF 00 7E", 5},
        {2, 2, "41\n0A", 1},
        {5, 2, "41 0A FF\n00 7E   ", 3},
        {1, 3, "41", 1},
        {2, 3, "41\n0A", 1},
        {5, 3, "41 0A\nFF 00\n7E   ", 2},
        {4, 3, "41 0A\nFF 00", 2},
        {2, 0, "", 0},
        {2, -1, "", 0},
        {-3, 1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("n=" + std::to_string(c.n) + " lines=" + std::to_string(c.lines));
        std::string out = "old";
        EXPECT_EQ(CPacketDetailsPnl::FormatHexLines(out, bytes, c.n, c.lines), c.perLine);
        EXPECT_EQ(out, c.text);
    }
}

// The fixture's records give every combination of descriptor values the panel reads.
TEST(PacketDetailsShow, DescriptorCases)
{
    struct Case {
        const char* name;
        Says says;
        uint16_t raw;     // the store's raw record length
        int from;         // first frame byte dumped
        int dumped;       // bytes dumped
        int length;       // the Length line
        const char* correlation;
    };
    const Case cases[] = {
        {"generic_layout_from_byte_14", {0, 0x10, 4}, 64, 14, 4, 4, nullptr},
        {"length_byte_layout_from_byte_15", {0, 0x00, 4}, 64, 15, 4, 4, nullptr},
        {"status_bytes_left_out", {0, 0x11, 6}, 64, 14, 4, 4, nullptr},
        {"status_bytes_left_out_after_length_byte", {0, 0x01, 6}, 64, 15, 4, 4, nullptr},
        {"correlation_with_0x02", {0, 0x13, 6, -70, 107, 0}, 64, 14, 4, 4, "107"},
        {"correlation_not_without_0x02", {0, 0x05, 6, -70, 107, 0}, 64, 15, 4, 4, nullptr},
        // The declared length goes past the record: only its bytes are dumped.
        {"declared_past_generic_record", {0, 0x10, 1000}, 40, 14, 26, 1000, nullptr},
        {"declared_past_length_byte_record", {0, 0x03, 202}, 40, 15, 25, 200, "0"},
        {"declared_exactly_the_record", {0, 0x10, 26}, 40, 14, 26, 26, nullptr},
        // Below 0 once the status bytes are taken off: nothing to dump.
        {"length_below_status_bytes", {0, 0x11, 1}, 64, 14, 0, -1, nullptr},
        {"negative_length", {0, 0x00, -5}, 64, 15, 0, -5, nullptr},
        {"no_bytes", {0, 0x01, 2}, 64, 15, 0, 0, nullptr},
        // Longer than the 2045 bytes of a fixed text buffer: shown whole.
        {"long_generic_frame", {0, 0x11, 2102}, 14 + 2100, 14, 2100, 2100, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsRig rig("", nullptr, c.raw);
        const std::vector<uint8_t> record = FixtureRecord(c.says, c.raw);
        rig.Add(record);
        rig.Add(record);
        rig.Select(1);
        const std::string hex = c.dumped > 0 ? Hex(record, c.from, c.dumped) : "";
        EXPECT_EQ(rig.Show(), Summary(2, c.length, hex, c.says.rssi, c.correlation, c.says.crcOk));
    }
}

// The shipped decoders' own layouts: where the frame starts and what its length counts.
TEST(PacketDetailsShow, ShippedDecoders)
{
    struct Case {
        const char* name;
        const char* plugin;
        const char* chip;
        std::vector<uint8_t> record;
        int captured;
        std::string hex;
        int length;
        bool correlation;
    };
    const std::vector<uint8_t> ack = {0x02, 0x00, 0x07, 0xE0, 0x85};
    const std::vector<uint8_t> fennet = testsupport::HexBytes("0102030405060708090A0B 40 85");
    const Case cases[] = {
        // 16-bit length counting the RSSI and status bytes, no length byte.
        {"generic", "Generic/Halyard.so", "QZ6F1C",
         testsupport::MakeGenericRecord(0, 1000, {0x41, 0x0A, 0xFF}, 0xC0, 0x85), 15, "41 0A FF", 3, false},
        {"generic_with_correlation", "Generic/Halyard.so", "QZ6F86",
         testsupport::MakeGenericRecord(0, 1000, {0x41, 0x0A, 0xFF}, 0xC0, 0x85), 15, "41 0A FF", 3, true},
        // A length byte counting the status bytes.
        {"tolvane_acknowledgement", "Tolvane/Tolvane.so", "QZ6F86",
         testsupport::MakeLengthByteRecord(0, 1000, 5, ack), 16, "02 00 07", 3, true},
        // A length byte that leaves the status bytes out.
        {"fennet_without_mac_header", "Fennet/Fennetd.so", "QZ6F1C",
         testsupport::MakeFennetRecord(0x6F1C, 0, 1000, fennet), 10 + 14, "01 02 03 04 05 06 07 08 09 0A 0B", 11,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsRig rig(c.plugin, c.chip);
        rig.Add(c.record, c.captured);
        const PARSED_DATA served = rig.Select(0);
        ASSERT_EQ(served.status, 0);
        EXPECT_EQ((served.infoFlags & 0x02) != 0, c.correlation);
        EXPECT_EQ(rig.Show(), Summary(1, c.length, c.hex, served.rssi,
                                      c.correlation ? std::to_string(served.correlation).c_str() : nullptr,
                                      served.crcOk));
    }
}

TEST(PacketDetailsShow, ErrorRecordsShowNoPacket)
{
    MessageBoxRecorder boxes;
    DetailsRig rig("Generic/Halyard.so", "QZ6F1C");
    rig.Add(testsupport::MakeGenericRecord(0, 0, {1, 2}, 0xC0, 0x85), 14);
    rig.Store().AddErrorRecord(3);
    // A declared length of one byte is no frame for the decoder.
    rig.Add(testsupport::MakeRecordWithLength(0, 0, 1, 1), 11);
    rig.Select(0);
    ASSERT_NE(rig.Show(), "No valid packet to display.");
    for (int row : {1, 2}) {
        SCOPED_TRACE(row);
        EXPECT_NE(rig.Select(row).status, 0);
        EXPECT_EQ(rig.Show(), "No valid packet to display.");
        EXPECT_EQ(rig.Panel().TextBox()->toPlainText().toStdString(), "No valid packet to display.");
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(PacketDetailsShow, NothingToShowLeavesTheText)
{
    MessageBoxRecorder boxes;
    DetailsRig rig("Generic/Halyard.so", "QZ6F1C");
    // No packets yet: the panel keeps what it showed.
    rig.Panel().TextBox()->setPlainText(QStringLiteral("before"));
    rig.Select(0);
    rig.Show();
    EXPECT_EQ(rig.Panel().TextBox()->toPlainText().toStdString(), "before");
    EXPECT_EQ(rig.Panel().DetailsText(), "");

    rig.Add(testsupport::MakeGenericRecord(0, 0, {0xAB}, 0xC0, 0x85), 13);
    rig.Select(0);
    const std::string shown = rig.Show();
    ASSERT_NE(shown.find("Raw data (hex): AB\r\n"), std::string::npos) << shown;
    // Neither a store without a record layout nor missing arguments change it.
    PacketManager empty;
    CPacketListCtrl list(nullptr);
    rig.Panel().ShowPacketDetails(&list, &empty);
    rig.Panel().ShowPacketDetails(nullptr, &rig.Store());
    rig.Panel().ShowPacketDetails(&list, nullptr);
    EXPECT_EQ(rig.Panel().DetailsText(), shown);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(PacketDetailsLook, TextBoxFillsThePanel)
{
    DetailsRig rig("Tolvane/Tolvane.so", "QZ6F86");
    std::vector<uint8_t> frame = {0x41, 0x88, 0x2A, 0x34, 0x12, 0xFF, 0xFF, 0x01, 0x00};
    for (int i = 0; i < 40; ++i)
        frame.push_back(static_cast<uint8_t>(0x30 + i));
    frame.push_back(0xE0);
    frame.push_back(0x85);
    rig.Add(testsupport::MakeLengthByteRecord(0, 1000, static_cast<uint8_t>(frame.size()), frame),
            static_cast<int>(frame.size()) + 1);
    rig.Select(0);
    const std::string text = rig.Show();
    ASSERT_EQ(text.rfind("Packet index: 1\r\nLength: 49\r\nRaw data (hex): 41 88 2A 34 12 FF FF 01 00 30 31", 0), 0u)
        << text;

    CPacketDetailsPnl& panel = rig.Panel();
    auto* box = FindControl<QPlainTextEdit>(&panel, CPacketDetailsPnl::kTextBoxId);
    ASSERT_EQ(box, panel.TextBox());
    EXPECT_TRUE(box->isReadOnly());
    panel.resize(1000, 190);
    panel.show();
    EXPECT_EQ(box->geometry(), panel.rect());
    // The text's line ends are line breaks, not characters of their own.
    EXPECT_EQ(box->document()->blockCount(), 6);
    EXPECT_FALSE(box->toPlainText().contains(QChar('\r')));
    EXPECT_EQ(box->palette().color(QPalette::Base), panel.palette().color(QPalette::Midlight));
    EXPECT_EQ(box->palette().color(QPalette::Text), panel.palette().color(QPalette::WindowText));
    SaveScreen(&panel, "packet_details_panel");
    panel.resize(700, 190);
    EXPECT_EQ(box->geometry(), panel.rect());
    SaveScreen(&panel, "packet_details_panel_700");
}
