// Saving a store to a data file and reading it back through the file-reader thread, with the
// real Halyard plug-in and real files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/DataFileRec.h"
#include "core/store/PacketManager.h"
#include "core/store/ReadFileThread.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/WindowMessageRecorder.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

using testsupport::MakeGenericRecord;
using testsupport::TempFolder;

namespace {

constexpr platform::WindowHandle kWindow = 42;
constexpr int kTimeoutMs = 20000;

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileStore {
public:
    explicit FileStore(const TempFolder& folder, const std::string& name)
    {
        EXPECT_EQ(host.Load(HALYARD_PATH, ""), 1);
        EXPECT_TRUE(testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                            folder.Path().string() + "/" + name, 4));
    }

    void Add(const std::vector<uint8_t>& payload, uint8_t status)
    {
        auto rec = MakeGenericRecord(0, 3200ull * (store.GetPacketCount(0) + 1), payload, 0xC0, status,
                                     host.RawLength());
        ASSERT_EQ(store.AddPacket(rec.data(), 1, 10 + static_cast<int>(payload.size()) + 2, 0), 1);
    }

    // Opens the file and waits for the reader's message.
    bool Open(const std::string& path, bool newLayout = true, int32_t blockSize = 0)
    {
        platform::WindowMessageRecorder messages;
        if (store.OpenFile(path, kWindow, newLayout, host.ProtocolName(), blockSize) != 1)
            return false;
        const bool done = messages.WaitFor(platform::WM_FILE_READ_DONE, kTimeoutMs);
        EXPECT_EQ(messages.Messages().at(0).target, kWindow);
        store.DeleteFileReader();
        return done;
    }

    std::vector<uint8_t> Raw(int32_t n)
    {
        std::vector<uint8_t> record(store.RecordLength());
        EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << n;
        record.resize(host.RawLength());
        return record;
    }

    PARSED_DATA Parsed(int32_t n, std::vector<char>& fields)
    {
        std::vector<uint8_t> record(store.RecordLength());
        EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << n;
        PARSED_DATA parsed{};
        LoadParsedData(parsed, record.data() + host.RawLength());
        fields.assign(record.begin() + host.RawLength() + kParsedDataStoredSize, record.end());
        return parsed;
    }

    PluginHandler host;
    PacketManager store;
};

std::vector<uint8_t> Payload(std::mt19937& random)
{
    std::vector<uint8_t> payload(20 + random() % 101);
    for (auto& b : payload)
        b = static_cast<uint8_t>(random());
    return payload;
}

} // namespace

TEST(DataFileRecord, UsedLengthRule)
{
    struct Case {
        const char* name;
        uint8_t info;
        uint16_t n;
        uint8_t lengthByte;
        int32_t used;
    };
    for (Case c : {Case{"generic_n_40", 0x11, 40, 0, 54}, Case{"length_byte_bit0_clear", 0x00, 21, 20, 37},
                   Case{"length_byte_bit0_set", 0x01, 21, 20, 35}, Case{"generic_n_0", 0x10, 0, 9, 14}}) {
        std::vector<uint8_t> record(300, 0);
        record[0] = c.info;
        std::memcpy(record.data() + 13, &c.n, 2);
        record[15] = c.lengthByte;
        EXPECT_EQ(DataFileRec::UsedLength(record.data(), c.info), c.used) << c.name;
    }
}

TEST(DataFileRecord, OldLayoutBecomesNew)
{
    // [info][u32 number][u64 time][length byte 10][10 frame bytes]
    std::vector<uint8_t> record(1 + 64, 0);
    record[0] = 0x01;
    record[1] = 7;
    record[13] = 10;
    for (int i = 0; i < 10; ++i)
        record[14 + i] = static_cast<uint8_t>(0xA0 + i);
    DataFileRec::ConvertOldLayout(record.data(), static_cast<int32_t>(record.size()));
    uint16_t n;
    std::memcpy(&n, record.data() + 13, 2);
    EXPECT_EQ(n, 11);
    EXPECT_EQ(record[15], 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(record[16 + i], 0xA0 + i) << i;
    EXPECT_EQ(record[1], 7);
    EXPECT_EQ(DataFileRec::CapturedLength(record.data(), record[0], static_cast<int32_t>(record.size())), 10);
    // The same record marked incomplete reaches the plug-in with captured length 0.
    EXPECT_EQ(DataFileRec::CapturedLength(record.data(), 0x05, static_cast<int32_t>(record.size())), 0);
}

TEST(DataFileRecord, LengthByteBeyondTheRecordIsNotMoved)
{
    std::vector<uint8_t> record(1 + 20, 0xEE);
    record[0] = 0x00;
    record[13] = 200; // claims far more than the record holds
    DataFileRec::ConvertOldLayout(record.data(), static_cast<int32_t>(record.size()));
    EXPECT_EQ(record[13], 203);
    EXPECT_EQ(record[15], 0xEE);
    EXPECT_EQ(DataFileRec::CapturedLength(record.data(), 0x00, static_cast<int32_t>(record.size())), 0);
}

TEST(DataFile, RoundTripKeepsRecordsNumbersAndFields)
{
    TempFolder folder;
    FileStore source(folder, "a");
    std::mt19937 random(3);
    for (int i = 0; i < 500; ++i)
        source.Add(Payload(random), static_cast<uint8_t>(i % 7 ? 0x85 : 0x05));
    const std::string path = folder / "capture.pld";
    source.store.SaveToFile(path);
    const uint16_t h = source.host.RawLength();
    EXPECT_EQ(std::filesystem::file_size(path), 500u * (1 + h));

    FileStore copy(folder, "b");
    ASSERT_TRUE(copy.Open(path));
    ASSERT_EQ(copy.store.GetPacketCount(0), 500);
    std::vector<char> a, b;
    for (int32_t n = 1; n <= 500; ++n) {
        ASSERT_EQ(copy.Raw(n), source.Raw(n)) << n;
        PARSED_DATA original = source.Parsed(n, a);
        PARSED_DATA reread = copy.Parsed(n, b);
        EXPECT_EQ(reread.packetNumber, original.packetNumber);
        EXPECT_EQ(reread.infoFlags, original.infoFlags);
        EXPECT_EQ(reread.crcOk, original.crcOk);
        ASSERT_EQ(reread.bytesUsed, original.bytesUsed);
        // The time fields count from the first packet of the run: compare everything after them.
        EXPECT_EQ(0, std::memcmp(a.data(), b.data(), static_cast<size_t>(original.bytesUsed))) << n;
    }
    // Saving the reopened store gives the same file.
    copy.store.SaveToFile(folder / "again.pld");
    EXPECT_EQ(ReadAll(folder / "again.pld"), ReadAll(path));
}

TEST(DataFile, GenericRecordLayout)
{
    TempFolder folder;
    FileStore s(folder, "a");
    s.Add(std::vector<uint8_t>(38, 0x5A), 0x85); // N = 40
    s.store.SaveToFile(folder / "one.pld");
    const std::vector<uint8_t> bytes = ReadAll(folder / "one.pld");
    const uint16_t h = s.host.RawLength();
    ASSERT_EQ(bytes.size(), 1u + h);
    EXPECT_EQ(bytes[0], 0x11);
    uint16_t n;
    std::memcpy(&n, bytes.data() + 13, 2);
    EXPECT_EQ(n, 40);
    EXPECT_EQ(bytes[15], 0x5A);
    // 54 used bytes after the information byte, zeros to the end.
    EXPECT_NE(bytes[54], 0); // the status byte
    for (size_t i = 55; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0) << i;
}

TEST(DataFile, FilteredSaveWritesOnlyPassingPackets)
{
    platform::MessageBoxRecorder boxes;
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 20; ++i)
        s.Add({static_cast<uint8_t>(i), 1, 2}, static_cast<uint8_t>(i % 2 ? 0x85 : 0x05));
    s.store.AddErrorRecord(1);
    s.store.Stop(1);
    PacketFilter filter(s.host.ParsedLength());
    REC_FILTER condition{};
    condition.link = kFilterLinkEndLast;
    condition.fieldId = 8;
    std::strcpy(condition.values, "OK;");
    filter.AddCondition(condition);
    s.store.SetFilter(&filter);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    s.store.SaveToFile(folder / "ok.pld");
    EXPECT_EQ(std::filesystem::file_size(folder / "ok.pld"), 10u * (1 + s.host.RawLength()));

    // A filter that passes everything passes error records too, which the filtered view never shows.
    PacketFilter everything(s.host.ParsedLength());
    s.store.SetFilter(&everything);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), 20);
    s.store.SaveToFile(folder / "all.pld");
    EXPECT_EQ(std::filesystem::file_size(folder / "all.pld"), 21u * (1 + s.host.RawLength()));

    PacketFilter nothing(s.host.ParsedLength());
    std::strcpy(condition.values, "NEVER;");
    nothing.AddCondition(condition);
    s.store.SetFilter(&nothing);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    s.store.SaveToFile(folder / "none.pld");
    EXPECT_EQ(std::filesystem::file_size(folder / "none.pld"), 0u);
    EXPECT_TRUE(boxes.Texts().empty());
    s.store.FilterOff();
}

TEST(DataFile, SaveFailures)
{
    platform::MessageBoxRecorder boxes;
    TempFolder folder;
    FileStore s(folder, "a");
    s.store.SaveToFile(folder / "empty.pld");
    s.Add({1, 2, 3}, 0x85);
    s.store.SaveToFile(folder / "no/such/folder/x.pld");
    s.store.SaveToFile("/dev/full");
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"No packets in buffer",
                                                        "Can't open file: No such file or directory",
                                                        "Can't write to file: No space left on device"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "empty.pld"));
}

TEST(DataFile, TrailingPartialRecordIsIgnored)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 3; ++i)
        s.Add({static_cast<uint8_t>(i)}, 0x85);
    s.store.SaveToFile(folder / "three.pld");
    std::vector<uint8_t> bytes = ReadAll(folder / "three.pld");
    bytes.resize(bytes.size() - 10);
    folder.Write("cut.pld", std::string(bytes.begin(), bytes.end()));
    FileStore copy(folder, "b");
    ASSERT_TRUE(copy.Open(folder / "cut.pld"));
    EXPECT_EQ(copy.store.GetPacketCount(0), 2);
}

TEST(DataFile, UnreadableFilesStillEndTheRead)
{
    TempFolder folder;
    FileStore s(folder, "a");
    struct Case {
        std::string path;
        const char* message;
    };
    for (const Case& c : {Case{folder / "missing.pld", "Can't open file: No such file or directory"},
                          Case{folder.Path().string(), "Can't open file: Is a directory"}}) {
        platform::MessageBoxRecorder boxes;
        ASSERT_TRUE(s.Open(c.path)) << c.path;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(s.store.GetPacketCount(0), 0);
    }
}

TEST(DataFile, RandomBytesAndOversizedLengthsAreStoredSafely)
{
    TempFolder folder;
    FileStore s(folder, "a");
    const uint16_t h = s.host.RawLength();
    std::mt19937 random(9);
    std::string bytes(50 * (1 + h), '\0');
    for (auto& c : bytes)
        c = static_cast<char>(random());
    // One record claims 65535 frame bytes in a record of H.
    bytes[0] = 0x10;
    bytes[13] = '\xFF';
    bytes[14] = '\xFF';
    folder.Write("junk.pld", bytes);
    ASSERT_TRUE(s.Open(folder / "junk.pld"));
    ASSERT_EQ(s.store.GetPacketCount(0), 50);
    std::vector<char> fields;
    PARSED_DATA first = s.Parsed(1, fields);
    EXPECT_EQ(first.status, PARSE_INVALID_LENGTH);
    EXPECT_EQ(first.frameLength, 65535);
    // Old layout files of random bytes too.
    FileStore old(folder, "b");
    ASSERT_TRUE(old.Open(folder / "junk.pld", false));
    EXPECT_EQ(old.store.GetPacketCount(0), 50);
}

TEST(DataFile, SmallerBlockSizeThanTheRecord)
{
    TempFolder folder;
    FileStore s(folder, "a");
    // Records of 1 + 40 bytes: each holds a generic frame of 20 bytes.
    std::string bytes;
    for (int i = 1; i <= 4; ++i) {
        auto rec = MakeGenericRecord(static_cast<uint32_t>(100 + i), 0, std::vector<uint8_t>(18, 0x61), 0xC0, 0x85, 40);
        bytes += '\x11';
        bytes.append(rec.begin(), rec.end());
    }
    folder.Write("small.pld", bytes);
    ASSERT_TRUE(s.Open(folder / "small.pld", true, 40));
    ASSERT_EQ(s.store.GetPacketCount(0), 4);
    std::vector<char> fields;
    PARSED_DATA p = s.Parsed(4, fields);
    EXPECT_EQ(p.packetNumber, 104u); // file packets keep their numbers
    EXPECT_EQ(p.status, PARSE_OK);
    EXPECT_EQ(p.infoFlags, 0x11);
}

TEST(DataFile, ReadingStopsWhenTheStoreRefusesPackets)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 5; ++i)
        s.Add({static_cast<uint8_t>(i)}, 0x85);
    s.store.SaveToFile(folder / "five.pld");

    // A store without a plug-in refuses every packet.
    PacketManager refusing;
    ASSERT_EQ(refusing.Init(s.host.RawLength(), s.host.ParsedLength()), 1);
    refusing.CreateBufferFile(getpid(), folder.Path().string() + "/c");
    refusing.Reset();
    platform::WindowMessageRecorder messages;
    ASSERT_EQ(refusing.OpenFile(folder / "five.pld", kWindow, true, "Generic", 0), 1);
    ASSERT_TRUE(messages.WaitFor(platform::WM_FILE_READ_DONE, kTimeoutMs));
    EXPECT_EQ(refusing.FileReader()->RecordsRead(), 1);
    EXPECT_EQ(refusing.GetPacketCount(0), 0);
}
