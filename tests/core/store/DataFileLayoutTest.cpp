// The two record layouts of capture data files: telling them apart from a file's first
// records, and reading both back into the store with a length-byte protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/host/PluginHandler.h"
#include "core/store/DataFileCheck.h"
#include "core/store/PacketManager.h"
#include "core/store/ReadFileThread.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/WindowMessageRecorder.h"
#include "plugin/frame/RawPacketRec.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

using testsupport::TempFolder;

namespace {

constexpr platform::WindowHandle kWindow = 7;
constexpr int kTimeoutMs = 20000;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One record of 1 + h bytes: info, number, a time stamp, bytes 13 to 15 as given, then frame
// bytes up to the end of the used bytes of the new layout, then zeros; nonZeroAt, when given,
// is made 1. Bytes beyond the record are left out.
std::string Record(uint16_t h, uint8_t info, uint8_t b13, uint8_t b14, uint8_t b15, uint32_t number = 1,
                   int nonZeroAt = -1)
{
    std::vector<uint8_t> r(1 + static_cast<size_t>(h), 0);
    auto put = [&](int i, uint8_t value) {
        if (i >= 0 && i < static_cast<int>(r.size()))
            r[static_cast<size_t>(i)] = value;
    };
    put(0, info);
    for (int i = 0; i < 4; ++i)
        put(1 + i, static_cast<uint8_t>(number >> (8 * i)));
    for (int i = 5; i < 13; ++i)
        put(i, 0x5A);
    put(13, b13);
    put(14, b14);
    put(15, b15);
    const int firstUnused = b15 + ((info & 1) ? 16 : 18);
    for (int i = 16; i < firstUnused; ++i)
        put(i, 0x77);
    put(nonZeroAt, 1);
    return std::string(r.begin(), r.end());
}

// A record of the old layout: the one-byte length at 13, the frame from 14.
std::string OldRecord(uint16_t h, uint8_t info, uint8_t length, uint32_t number)
{
    std::string r = Record(h, info, length, 0, 0, number);
    std::fill(r.begin() + 14, r.end(), '\0');
    for (int i = 0; i < length + 2 && 14 + i < static_cast<int>(r.size()); ++i)
        r[static_cast<size_t>(14 + i)] = static_cast<char>(0x30 + i);
    return r;
}

struct LayoutCase {
    const char* name;
    std::string bytes;
    uint16_t h;
    bool generic;
    int result;
};

} // namespace

// File bytes -> (determined, layout). Determined files are of the 2-byte layout; a file that is
// not determined gets layout 0.
TEST(DataFileCheck, LayoutOfTheFirstRecords)
{
    const uint16_t h = 40;
    // Records that fail the layout test: N's high byte is set.
    auto failing = [&](uint32_t number) { return Record(h, 0x01, 11, 1, 10, number); };
    const std::vector<LayoutCase> cases = {
        {"length counting the status bytes, zeros behind", Record(h, 0x01, 11, 0, 10), h, false, 1},
        {"a non-zero byte behind the used ones", Record(h, 0x01, 11, 0, 10, 1, 26), h, false, 0},
        {"the last used byte", Record(h, 0x01, 11, 0, 10, 1, 25), h, false, 1},
        {"length without the status bytes", Record(h, 0x00, 13, 0, 10), h, false, 1},
        {"... and a non-zero byte behind them", Record(h, 0x00, 13, 0, 10, 1, 28), h, false, 0},
        {"... the last of them", Record(h, 0x00, 13, 0, 10, 1, 27), h, false, 1},
        {"N's high byte set", failing(1), h, false, 0},
        {"N not the length byte + 1", Record(h, 0x01, 12, 0, 10), h, false, 0},
        {"N not the length byte + 3", Record(h, 0x00, 11, 0, 10), h, false, 0},
        {"used bytes beyond the record", Record(h, 0x01, 201, 0, 200), h, false, 1},
        {"a length byte of 254 + 3", Record(h, 0x00, 1, 0, 254), h, false, 0},
        {"an old-layout record", OldRecord(h, 0x01, 10, 1), h, false, 0},
        {"an empty file", "", h, false, 0},
        {"less than a record", Record(h, 0x01, 11, 0, 10).substr(0, 20), h, false, 0},
        {"Generic, numbered 7, 8, 9", failing(7) + failing(8) + failing(9), h, true, 1},
        {"Generic, numbered 7, 9, 10", failing(7) + failing(9) + failing(10), h, true, 0},
        {"Generic, numbered 7, 8", failing(7) + failing(8), h, true, 0},
        {"Generic, numbered 7, 8 and part of 9", failing(7) + failing(8) + failing(9).substr(0, 40), h, true, 0},
        {"numbered 7, 8, 9, not Generic", failing(7) + failing(8) + failing(9), h, false, 0},
        {"Generic, numbers that wrap", failing(0xFFFFFFFF) + failing(0) + failing(1), h, true, 1},
        {"Generic, one good record", Record(h, 0x01, 11, 0, 10), h, true, 1},
        // Bytes behind the used ones decide at once, whatever the numbers.
        {"Generic, numbered, a non-zero byte behind",
         Record(h, 0x01, 11, 0, 10, 7, 30) + failing(8) + failing(9), h, true, 0},
        // Records too short for the length fields: only the numbering can tell.
        {"H 14", Record(14, 0x01, 1, 0, 0), 14, false, 0},
        {"H 14, Generic, numbered", Record(14, 0x01, 1, 0, 0, 3) + Record(14, 0x01, 1, 0, 0, 4) +
                                        Record(14, 0x01, 1, 0, 0, 5), 14, true, 1},
        {"H 5, Generic, numbered", Record(5, 0, 0, 0, 0, 3) + Record(5, 0, 0, 0, 0, 4) + Record(5, 0, 0, 0, 0, 5),
         5, true, 1},
        {"H 15, the header only", Record(15, 0x01, 1, 0, 0), 15, false, 1},
        {"H 15, the header and a status byte", Record(15, 0x00, 3, 0, 0), 15, false, 1},
    };
    TempFolder folder;
    for (const LayoutCase& c : cases) {
        const std::string path = folder.Write("check.pld", c.bytes);
        int layout = -1;
        std::string error;
        EXPECT_EQ(CheckDataFileLayout(path, c.h, &layout, c.generic ? "Generic" : "Fennet", &error), c.result)
            << c.name;
        EXPECT_EQ(layout, c.result) << c.name;
        EXPECT_EQ(error, "") << c.name;
        // The same bytes in memory, exactly as many as the file holds.
        std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
        int inMemory = -1;
        EXPECT_EQ(CheckDataFileBytes(bytes.data(), bytes.size(), c.h, c.generic, &inMemory), c.result) << c.name;
        EXPECT_EQ(inMemory, c.result) << c.name;
        // Nothing after the third record counts.
        const std::string longer = c.bytes.size() >= DataFileCheckLength(c.h) ? c.bytes + std::string(500, '\x7F') : c.bytes;
        EXPECT_EQ(CheckDataFileLayout(folder.Write("longer.pld", longer), c.h, &layout, c.generic ? "Generic" : "Fennet"),
                  c.result)
            << c.name;
    }
}

// A file that cannot be opened: 0, the layout as it was, and the reason.
TEST(DataFileCheck, FilesThatCannotBeOpened)
{
    TempFolder folder;
    struct Case {
        std::string path;
        std::string text;
    };
    for (const Case& c : {Case{folder / "missing.pld", "Can't open file: No such file or directory"},
                          Case{folder.Path().string(), "Can't open file: Is a directory"}}) {
        int layout = 7;
        std::string error;
        EXPECT_EQ(CheckDataFileLayout(c.path, 40, &layout, "Generic", &error), 0) << c.path;
        EXPECT_EQ(layout, 7);
        EXPECT_EQ(error, c.text);
        platform::MessageBoxRecorder boxes;
        EXPECT_EQ(CheckDataFileLayout(c.path, 40, &layout), 0);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(layout, 7);
    }
}

namespace {

class FennetStore {
public:
    FennetStore(const TempFolder& folder, const std::string& name)
    {
        EXPECT_EQ(host.Load(FENNETD_PATH, ""), 1) << host.LoadErrorText();
        EXPECT_TRUE(testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                            folder.Path().string() + "/" + name, 4));
    }

    bool Open(const std::string& path, bool newLayout)
    {
        platform::WindowMessageRecorder messages;
        if (store.OpenFile(path, kWindow, newLayout, host.ProtocolName(), 0) != 1)
            return false;
        const uint64_t serial = store.FileReader()->Serial();
        const bool done = messages.WaitFor(platform::WM_FILE_READ_DONE, kTimeoutMs);
        EXPECT_EQ(store.DeleteFileReader(serial), 1);
        return done;
    }

    std::vector<uint8_t> Stored(int32_t n)
    {
        std::vector<uint8_t> record(store.RecordLength());
        EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << n;
        return record;
    }

    PluginHandler host;
    PacketManager store;
};

} // namespace

// A capture saved by the store, and the same file in the old layout, read back: every record,
// raw and parsed, is what the store held; saved again, both give the saved file.
TEST(DataFileLayouts, BothLayoutsReadBackTheStoredRecords)
{
    TempFolder folder;
    FennetStore source(folder, "a");
    const uint16_t h = source.store.RawLength();
    std::mt19937 random(17);
    constexpr int kPackets = 300;
    for (int i = 0; i < kPackets; ++i) {
        // [number][time][N][length byte L][L frame bytes][RSSI][status]; the status bytes lie
        // outside L, so N = L + 3.
        const uint8_t length = static_cast<uint8_t>(13 + random() % 90);
        std::vector<uint8_t> raw(h, 0);
        WriteRawPacketHeader(raw.data(), RAW_PACKET_REC{0, 1000ull * (i + 1), static_cast<uint16_t>(length + 3)});
        raw[kRawPacketHeaderSize] = length;
        for (int k = 0; k < length + 2; ++k)
            raw[kRawPacketHeaderSize + 1 + static_cast<size_t>(k)] = static_cast<uint8_t>(random());
        uint8_t info = 0;
        ASSERT_EQ(source.store.AddPacket(raw.data(), 1, length, 0, &info), 1);
        ASSERT_EQ(info & 0x01, 0) << "the status bytes are not in the length";
    }
    source.store.Stop(1);
    const std::string saved = folder / "new.pld";
    std::string error;
    ASSERT_TRUE(source.store.SaveToFile(saved, &error)) << error;
    const std::string newBytes = ReadAll(saved);
    const size_t r = 1 + static_cast<size_t>(h);
    ASSERT_EQ(newBytes.size(), kPackets * r);

    // The old layout: no N, the length byte at 13.
    std::string oldBytes;
    for (size_t at = 0; at < newBytes.size(); at += r) {
        std::string record = newBytes.substr(at, r);
        record.erase(13, 2);
        record.append(2, '\0');
        oldBytes += record;
    }
    const std::string old = folder.Write("old.pld", oldBytes);

    int layout = -1;
    EXPECT_EQ(CheckDataFileLayout(saved, h, &layout, "Fennet"), 1);
    EXPECT_EQ(layout, 1);
    EXPECT_EQ(CheckDataFileLayout(old, h, &layout, "Fennet"), 0);
    EXPECT_EQ(layout, 0);

    for (bool newLayout : {true, false}) {
        FennetStore copy(folder, newLayout ? "b" : "c");
        ASSERT_TRUE(copy.Open(newLayout ? saved : old, newLayout));
        ASSERT_EQ(copy.store.GetPacketCount(0), kPackets);
        for (int32_t n = 1; n <= kPackets; ++n) {
            const std::vector<uint8_t> original = source.Stored(n);
            const std::vector<uint8_t> reread = copy.Stored(n);
            ASSERT_TRUE(std::equal(original.begin(), original.begin() + h, reread.begin())) << newLayout << " " << n;
            PARSED_DATA a{}, b{};
            LoadParsedData(a, original.data() + h);
            LoadParsedData(b, reread.data() + h);
            EXPECT_EQ(b.packetNumber, a.packetNumber);
            EXPECT_EQ(b.status, a.status);
            EXPECT_EQ(b.infoFlags, a.infoFlags);
            EXPECT_EQ(b.frameLength, a.frameLength);
            EXPECT_EQ(b.crcOk, a.crcOk);
            ASSERT_EQ(b.bytesUsed, a.bytesUsed);
            const size_t fields = h + kParsedDataStoredSize;
            EXPECT_TRUE(std::equal(original.begin() + static_cast<long>(fields),
                                   original.begin() + static_cast<long>(fields) + a.bytesUsed,
                                   reread.begin() + static_cast<long>(fields)))
                << newLayout << " " << n;
        }
        const std::string again = folder / (newLayout ? "again-new.pld" : "again-old.pld");
        ASSERT_TRUE(copy.store.SaveToFile(again, &error)) << error;
        EXPECT_EQ(ReadAll(again), newBytes) << newLayout;
    }
}
