// Saving a store to a data file and reading it back through the file-reader thread, with the
// real Halyard plug-in and real files.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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
#include "tests/support/FieldFilter.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"

namespace fs = std::filesystem;
using testsupport::MakeGenericRecord;
using testsupport::TempFolder;

namespace {

using testsupport::ExpectAsUnprivileged;
using testsupport::Report;

constexpr platform::WindowHandle kWindow = 42;
constexpr int kTimeoutMs = 20000;
constexpr uint32_t kCrcField = 8;

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// A data-file record of the generic layout: [info 0x11][raw record of recordSize bytes].
std::string GenericFileRecord(uint32_t number, const std::vector<uint8_t>& payload, uint8_t status, size_t rawLength)
{
    const std::vector<uint8_t> raw = MakeGenericRecord(number, 1000ull * number, payload, 0xC0, status, rawLength);
    std::string record(1, '\x11');
    record.append(raw.begin(), raw.end());
    return record;
}

std::string GenericFile(int records, size_t rawLength, uint32_t firstNumber = 1)
{
    std::string bytes;
    for (int i = 0; i < records; ++i) {
        const uint32_t number = firstNumber + static_cast<uint32_t>(i);
        bytes += GenericFileRecord(number, {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), 0x41},
                                   i % 3 ? 0x85 : 0x05, rawLength);
    }
    return bytes;
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
                                     store.RawLength());
        ASSERT_EQ(store.AddPacket(rec.data(), 1, 10 + static_cast<int>(payload.size()) + 2, 0), 1);
    }

    // Opens the file, waits for the reader's message and hands it back as the window does.
    bool Open(const std::string& path, bool newLayout = true, int32_t blockSize = 0)
    {
        platform::WindowMessageRecorder messages;
        if (store.OpenFile(path, kWindow, newLayout, host.ProtocolName(), blockSize) != 1)
            return false;
        const uint64_t serial = store.FileReader()->Serial();
        const bool done = messages.WaitFor(platform::WM_FILE_READ_DONE, kTimeoutMs);
        const auto posted = messages.Messages();
        EXPECT_EQ(posted.at(0).target, kWindow);
        EXPECT_EQ(posted.at(0).wParam, serial);
        EXPECT_EQ(store.DeleteFileReader(serial), 1);
        return done;
    }

    // The raw record of packet n as the store holds it (H bytes).
    std::vector<uint8_t> Raw(int32_t n)
    {
        std::vector<uint8_t> record(store.RecordLength());
        EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << n;
        record.resize(store.RawLength());
        return record;
    }

    PARSED_DATA Parsed(int32_t n, std::vector<char>& fields)
    {
        std::vector<uint8_t> record(store.RecordLength());
        EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << n;
        PARSED_DATA parsed{};
        LoadParsedData(parsed, record.data() + store.RawLength());
        fields.assign(record.begin() + store.RawLength() + kParsedDataStoredSize, record.end());
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
        EXPECT_EQ(DataFileRec::UsedLength(record.data(), 300, c.info), c.used) << c.name;
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

// Records of block sizes 5 to 14 end before the length fields: each buffer here is exactly one
// record, so a read or write past it is caught.
TEST(DataFileRecord, RecordsShorterThanTheHeaderAreHandledInsideThemselves)
{
    for (int32_t size = 6; size <= 17; ++size) {
        for (bool newLayout : {true, false}) {
            for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x11}}) {
                auto record = std::make_unique<uint8_t[]>(static_cast<size_t>(size));
                std::memset(record.get(), fill, static_cast<size_t>(size));
                const int captured = DataFileRec::PrepareReadRecord(record.get(), size, newLayout, true);
                // Nothing a record this short declares fits in it, except a generic header of
                // N = 0 in 15 bytes and up.
                if (size < 16) {
                    EXPECT_EQ(captured, 0) << size << " " << newLayout << " " << int{fill};
                }
            }
        }
    }
    // A record of 5 raw bytes is saved only when it declares what it holds: never here.
    uint8_t raw[5] = {1, 0, 0, 0, 9};
    auto out = std::make_unique<uint8_t[]>(6);
    int32_t declared = -1;
    EXPECT_FALSE(DataFileRec::MakeRecord(out.get(), raw, 5, 0x11, &declared));
    EXPECT_EQ(declared, 0);
}

TEST(DataFile, RoundTripKeepsRecordsNumbersAndFields)
{
    TempFolder folder;
    FileStore source(folder, "a");
    std::mt19937 random(3);
    for (int i = 0; i < 500; ++i)
        source.Add(Payload(random), static_cast<uint8_t>(i % 7 ? 0x85 : 0x05));
    const std::string path = folder / "capture.pld";
    ASSERT_TRUE(source.store.SaveToFile(path));
    const uint16_t h = source.host.RawLength();
    EXPECT_EQ(fs::file_size(path), 500u * (1 + h));

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
    std::string error;
    ASSERT_TRUE(copy.store.SaveToFile(folder / "again.pld", &error)) << error;
    EXPECT_EQ(ReadAll(folder / "again.pld"), ReadAll(path));
}

TEST(DataFile, GenericRecordLayout)
{
    TempFolder folder;
    FileStore s(folder, "a");
    s.Add(std::vector<uint8_t>(38, 0x5A), 0x85); // N = 40
    ASSERT_TRUE(s.store.SaveToFile(folder / "one.pld"));
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
    const auto ok = testsupport::FieldFilter(s.host.ParsedLength(), kCrcField, "OK");
    s.store.SetFilter(ok.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    ASSERT_TRUE(s.store.SaveToFile(folder / "ok.pld"));
    EXPECT_EQ(fs::file_size(folder / "ok.pld"), 10u * (1 + s.host.RawLength()));

    // The saved packets are the odd ones, in order, byte for byte.
    FileStore copy(folder, "b");
    ASSERT_TRUE(copy.Open(folder / "ok.pld"));
    ASSERT_EQ(copy.store.GetPacketCount(0), 10);
    s.store.FilterOff();
    for (int32_t n = 1; n <= 10; ++n)
        EXPECT_EQ(copy.Raw(n), s.Raw(2 * n)) << n;

    // A filter that passes everything passes error records too, which the filtered view never shows.
    PacketFilter everything(s.host.ParsedLength());
    s.store.SetFilter(&everything);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), 20);
    ASSERT_TRUE(s.store.SaveToFile(folder / "all.pld"));
    EXPECT_EQ(fs::file_size(folder / "all.pld"), 21u * (1 + s.host.RawLength()));

    const auto nothing = testsupport::FieldFilter(s.host.ParsedLength(), kCrcField, "NEVER");
    s.store.SetFilter(nothing.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    ASSERT_TRUE(s.store.SaveToFile(folder / "none.pld"));
    EXPECT_EQ(fs::file_size(folder / "none.pld"), 0u);
    EXPECT_TRUE(boxes.Texts().empty());
    s.store.FilterOff();
}

// A save that fails leaves the file that was there byte for byte, and no temporary file.
TEST(DataFileSave, FailureKeepsTheOldFile)
{
    TempFolder folder;
    FileStore s(folder, "a");
    FileStore empty(folder, "b");
    std::mt19937 random(5);
    // More than one write's worth of records, so that a write fails before the last one.
    for (int i = 0; i < 300; ++i)
        s.Add(Payload(random), 0x85);
    const std::string old = folder.Write("data/old.pld", "the capture that was there\n");
    const std::vector<uint8_t> oldBytes = ReadAll(old);
    const std::vector<std::string> entries = FolderEntries(folder.Path() / "data");
    const size_t newSize = 300u * (1 + s.store.RawLength());

    struct Case {
        const char* name;
        PacketManager* store;
        std::string path;
        std::function<void()> run; // the save, under the case's conditions
        std::string expected;
    };
    std::string error;
    bool saved = true;
    auto save = [&](PacketManager& store, const std::string& path) { saved = store.SaveToFile(path, &error); };
    const std::vector<Case> cases = {
        {"a file-size limit", &s.store, old,
         [&] {
             testsupport::FileSizeLimit limit(newSize / 2);
             save(s.store, old);
         },
         "Can't write to file: File too large"},
        {"a folder in the file's place", &s.store, folder / "data", {}, "Can't open file: Is a directory"},
        {"no such folder", &s.store, folder / "data/none/x.pld", {}, "Can't open file: No such file or directory"},
        {"an empty store", &empty.store, old, {}, "No packets in buffer"},
    };
    for (const Case& c : cases) {
        error.clear();
        saved = true;
        if (c.run)
            c.run();
        else
            save(*c.store, c.path);
        EXPECT_FALSE(saved) << c.name;
        EXPECT_EQ(error, c.expected) << c.name;
        EXPECT_EQ(ReadAll(old), oldBytes) << c.name;
        EXPECT_EQ(FolderEntries(folder.Path() / "data"), entries) << c.name;
    }

    // A device is written directly: there is nothing to keep, and nothing may replace it.
    struct stat device {};
    if (::stat("/dev/full", &device) == 0) {
        EXPECT_FALSE(s.store.SaveToFile("/dev/full", &error));
        EXPECT_EQ(error, "Can't write to file: No space left on device");
        ASSERT_EQ(::stat("/dev/full", &device), 0);
        EXPECT_TRUE(S_ISCHR(device.st_mode));
    }

    // Without an error text to fill the store shows the reason itself.
    platform::MessageBoxRecorder boxes;
    EXPECT_FALSE(empty.store.SaveToFile(old));
    EXPECT_FALSE(s.store.SaveToFile(folder / "data/none/x.pld"));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"No packets in buffer", "Can't open file: No such file or directory"}));
}

TEST(DataFileSave, ReadOnlyFolderOrFileKeepsTheOldFile)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 5; ++i)
        s.Add({static_cast<uint8_t>(i), 2, 3}, 0x85);
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0); // the other user must find the files
    // In a folder nobody may write to, a file anybody may write to: the rename cannot happen.
    const std::string inLocked = folder.Write("locked/old.pld", "kept\n");
    ASSERT_EQ(::chmod(inLocked.c_str(), 0666), 0);
    ASSERT_EQ(::chmod((folder.Path() / "locked").c_str(), 0555), 0);
    // In a folder anybody may write to, a file nobody may write to: it is not replaced.
    const std::string locked = folder.Write("open/locked.pld", "also kept\n");
    ASSERT_EQ(::chmod((folder.Path() / "open").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);

    for (const std::string& path : {inLocked, locked}) {
        const std::vector<uint8_t> before = ReadAll(path);
        const std::vector<std::string> entries = FolderEntries(fs::path(path).parent_path());
        ExpectAsUnprivileged([&] {
            std::string error;
            const bool saved = s.store.SaveToFile(path, &error);
            return Report(!saved, "saved " + path) &&
                   Report(error == "Can't open file: Permission denied", "text: " + error) &&
                   Report(ReadAll(path) == before, "old file changed") &&
                   Report(FolderEntries(fs::path(path).parent_path()) == entries, "folder changed");
        });
        EXPECT_EQ(ReadAll(path), before) << path;
    }
    ::chmod((folder.Path() / "locked").c_str(), 0755);
}

// A save that succeeds replaces the file's bytes only: its mode, and a link to it, stay.
TEST(DataFileSave, ReplacingKeepsModeAndLinks)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 3; ++i)
        s.Add({static_cast<uint8_t>(i)}, 0x85);
    const std::string real = folder.Write("data/real.pld", "old");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    const std::string link = folder.Link("data/link.pld", real);
    std::string error;
    ASSERT_TRUE(s.store.SaveToFile(link, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::file_size(real), 3u * (1 + s.store.RawLength()));
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(folder.Path() / "data"), (std::vector<std::string>{"link.pld", "real.pld"}));

    // A name as long as a name may be still has room for its temporary file beside it.
    const std::string longName = std::string(251, 'n') + ".pld";
    ASSERT_TRUE(s.store.SaveToFile(folder / ("data/" + longName), &error)) << error;
    EXPECT_EQ(FolderEntries(folder.Path() / "data"), (std::vector<std::string>{"link.pld", longName, "real.pld"}));
}

// What a damaged or unreadable file leaves in the store, and what it says.
TEST(DataFile, DamagedFiles)
{
    TempFolder folder;
    FileStore s(folder, "a");
    const uint16_t h = s.host.RawLength();
    const size_t r = 1 + h;
    std::mt19937 random(9);
    auto randomBytes = [&](size_t size) {
        std::string bytes(size, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(random());
        return bytes;
    };
    std::string absurd = GenericFile(3, h);
    absurd[r + 13] = '\xFF'; // the second record claims 65535 frame bytes
    absurd[r + 14] = '\xFF';
    std::string oldAbsurd(3 * r, '\xFF'); // one-byte lengths of 255, plus the 2 status bytes

    struct Case {
        const char* name;
        std::string bytes; // written to the file, unless path is given
        std::string path;
        bool newLayout;
        int32_t count;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"empty", "", "", true, 0, {}},
        {"less than a record", GenericFile(1, h).substr(0, r - 1), "", true, 0, {}},
        {"a cut last record", GenericFile(3, h).substr(0, 3 * r - 10), "", true, 2, {}},
        {"random bytes", randomBytes(50 * r), "", true, 50, {}},
        {"random bytes, old layout", randomBytes(50 * r + 7), "", false, 50, {}},
        {"a length of 65535", absurd, "", true, 3, {}},
        {"all bytes 0xFF, old layout", oldAbsurd, "", false, 3, {}},
        {"missing", "", folder / "missing.pld", true, 0, {"Can't open file: No such file or directory"}},
        {"a folder", "", folder.Path().string(), true, 0, {"Can't open file: Is a directory"}},
        // Reading from address 0 of the process fails: a read error, not an end of file.
        {"a read error", "", "/proc/self/mem", true, 0, {"Can't read file: Input/output error"}},
    };
    for (const Case& c : cases) {
        const std::string path = c.path.empty() ? folder.Write("damaged.pld", c.bytes) : c.path;
        platform::MessageBoxRecorder boxes;
        ASSERT_TRUE(s.Open(path, c.newLayout)) << c.name;
        EXPECT_EQ(boxes.Texts(), c.texts) << c.name;
        ASSERT_EQ(s.store.GetPacketCount(0), c.count) << c.name;
        // Every record is stored with the bytes the file gave it.
        for (int32_t n = 1; n <= c.count && c.newLayout; ++n)
            ASSERT_EQ(0, std::memcmp(s.Raw(n).data(), c.bytes.data() + (n - 1) * r + 1, h)) << c.name << " " << n;
    }
    // The plug-in sees the absurd length and says so; the record is still there.
    ASSERT_TRUE(s.Open(folder.Write("absurd.pld", absurd)));
    std::vector<char> fields;
    EXPECT_EQ(s.Parsed(1, fields).status, PARSE_OK);
    const PARSED_DATA second = s.Parsed(2, fields);
    EXPECT_EQ(second.status, PARSE_INVALID_LENGTH);
    EXPECT_EQ(second.frameLength, 65535);
    EXPECT_EQ(s.Parsed(3, fields).packetNumber, 3u);
}

// A path longer than the reader once kept is read whole, not cut into the name of another file.
TEST(DataFile, LongPathIsReadWhole)
{
    TempFolder folder;
    FileStore s(folder, "a");
    std::string relative;
    while (relative.size() < 2100)
        relative += std::string(200, 'd') + "/";
    const std::string path = folder.Write(relative + "long.pld", GenericFile(3, s.host.RawLength()));
    ASSERT_GT(path.size(), 2100u);
    platform::MessageBoxRecorder boxes;
    ASSERT_TRUE(s.Open(path));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(s.store.GetPacketCount(0), 3);
}

TEST(DataFile, SmallerBlockSizeThanTheRecord)
{
    TempFolder folder;
    FileStore s(folder, "a");
    // Records of 1 + 40 bytes: each holds a generic frame of 20 bytes.
    std::string bytes;
    for (int i = 1; i <= 4; ++i)
        bytes += GenericFileRecord(static_cast<uint32_t>(100 + i), std::vector<uint8_t>(18, 0x61), 0x85, 40);
    folder.Write("small.pld", bytes);
    ASSERT_TRUE(s.Open(folder / "small.pld", true, 40));
    ASSERT_EQ(s.store.RawLength(), 40);
    ASSERT_EQ(s.store.GetPacketCount(0), 4);
    std::vector<char> fields;
    PARSED_DATA p = s.Parsed(4, fields);
    EXPECT_EQ(p.packetNumber, 104u); // file packets keep their numbers
    EXPECT_EQ(p.status, PARSE_OK);
    EXPECT_EQ(p.infoFlags, 0x11);
    // Saved again, the file is the same.
    ASSERT_TRUE(s.store.SaveToFile(folder / "again.pld"));
    EXPECT_EQ(ReadAll(folder / "again.pld"), ReadAll(folder / "small.pld"));
}

// Block sizes 5 to 14 give records that end before the length fields; in both layouts every
// record is stored with the bytes it has.
TEST(DataFile, BlockSizesBelowTheHeaderAreReadInsideTheRecord)
{
    TempFolder folder;
    FileStore s(folder, "a");
    std::mt19937 random(11);
    for (int32_t b = 5; b <= 16; ++b) {
        for (bool newLayout : {true, false}) {
            std::string bytes(static_cast<size_t>(3 * (1 + b)), '\0');
            for (auto& c : bytes)
                c = static_cast<char>(random());
            const std::string path = folder.Write("short.pld", bytes);
            platform::MessageBoxRecorder boxes;
            ASSERT_TRUE(s.Open(path, newLayout, b)) << b;
            EXPECT_TRUE(boxes.Texts().empty()) << b;
            ASSERT_EQ(s.store.RawLength(), b);
            ASSERT_EQ(s.store.GetPacketCount(0), 3) << b;
            // An old record shorter than its moved frame keeps its frame where it was.
            for (int32_t n = 1; n <= 3; ++n) {
                std::vector<uint8_t> expected(bytes.begin() + (n - 1) * (1 + b), bytes.begin() + n * (1 + b));
                DataFileRec::PrepareReadRecord(expected.data(), 1 + b, newLayout, true);
                expected.erase(expected.begin());
                EXPECT_EQ(s.Raw(n), expected) << b << " " << newLayout << " " << n;
            }
        }
    }
}

// A block size the store cannot take is refused before anything changes: the packets stay.
TEST(DataFile, BlockSizesTheStoreCannotTakeAreRefused)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 3; ++i)
        s.Add({static_cast<uint8_t>(i)}, 0x85);
    const std::string path = folder.Write("file.pld", GenericFile(2, s.host.RawLength()));
    const int32_t largest = 65535 - 80 - s.host.ParsedLength();
    ASSERT_EQ(s.store.MaxBlockSize(), largest);
    const std::string range = " bytes: the block size must be 5 to " + std::to_string(largest) + " bytes.";
    for (int32_t b : {4, 1, -1, largest + 1, 65536 + 271, 1 << 30}) {
        std::string error;
        EXPECT_EQ(s.store.OpenFile(path, kWindow, true, "Generic", b, &error), 0) << b;
        EXPECT_EQ(error, "Can't open file with a block size of " + std::to_string(b) + range);
        EXPECT_EQ(s.store.FileReader(), nullptr);
        EXPECT_EQ(s.store.RawLength(), s.host.RawLength());
        ASSERT_EQ(s.store.GetPacketCount(0), 3);
        EXPECT_EQ(s.Raw(3)[14], 2);
    }
    platform::MessageBoxRecorder boxes;
    EXPECT_EQ(s.store.OpenFile(path, kWindow, true, "Generic", 4), 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Can't open file with a block size of 4" + range});
    // The largest block size is taken.
    ASSERT_TRUE(s.Open(folder.Write("large.pld", GenericFile(2, static_cast<size_t>(largest))), true, largest));
    EXPECT_EQ(s.store.GetPacketCount(0), 2);
    EXPECT_EQ(s.store.RecordLength(), 65535);
}

// After a file of another block size the next capture hands over records of the plug-in's
// length: the capture start sizes the store back.
TEST(DataFile, CaptureAfterAFileOfAnotherBlockSizeGetsThePluginSizes)
{
    TempFolder folder;
    FileStore s(folder, "a");
    const uint16_t h = s.host.RawLength();
    for (int32_t b : {40, 600}) {
        ASSERT_TRUE(s.Open(folder.Write("other.pld", GenericFile(4, static_cast<size_t>(b))), true, b));
        ASSERT_EQ(s.store.RawLength(), b);
        ASSERT_EQ(s.store.GetPacketCount(0), 4);
        ASSERT_EQ(s.store.Restart(0), 1);
        EXPECT_EQ(s.store.RawLength(), h);
        EXPECT_EQ(s.store.RecordLength(), h + 80 + s.host.ParsedLength());
        EXPECT_EQ(s.store.GetPacketCount(0), 0);
        // A record of H bytes, the last of them in use, comes back whole.
        const std::vector<uint8_t> payload(h - 16, 0x33);
        auto rec = MakeGenericRecord(0, 77, payload, 0xC0, 0x85, h);
        ASSERT_EQ(rec.size(), h);
        ASSERT_EQ(s.store.AddPacket(rec.data(), 1, static_cast<int>(payload.size()) + 12, 0), 1);
        s.store.Stop(1);
        rec[0] = 1; // numbered by the store
        EXPECT_EQ(s.Raw(1), rec) << b;
    }
    // The same by hand, without a capture.
    ASSERT_TRUE(s.Open(folder.Write("other.pld", GenericFile(4, 40)), true, 40));
    ASSERT_EQ(s.store.RestorePluginSizes(), 1);
    EXPECT_EQ(s.store.RawLength(), h);
    EXPECT_EQ(s.store.GetPacketCount(0), 0);
    EXPECT_EQ(s.store.RestorePluginSizes(), 1);
}

// Opening a second file while the first is still read: the end message of the first must not
// take the second reader, which reads its whole file.
TEST(DataFile, EndOfAnEarlierReaderLeavesTheNextOneAlone)
{
    TempFolder folder;
    FileStore s(folder, "a");
    const uint16_t h = s.host.RawLength();
    const std::string first = folder.Write("first.pld", GenericFile(20000, h));
    const std::string second = folder.Write("second.pld", GenericFile(3000, h, 500));
    platform::WindowMessageRecorder messages;
    ASSERT_EQ(s.store.OpenFile(first, kWindow, true, "Generic", 0), 1);
    const uint64_t firstSerial = s.store.FileReader()->Serial();
    ASSERT_EQ(s.store.OpenFile(second, kWindow, true, "Generic", 0), 1);
    const uint64_t secondSerial = s.store.FileReader()->Serial();
    EXPECT_NE(firstSerial, secondSerial);
    // The first reader's message: it is stopped, and its end leaves the second reader alone.
    ASSERT_TRUE(messages.WaitFor(platform::WM_FILE_READ_DONE, kTimeoutMs));
    EXPECT_EQ(messages.Messages().at(0).wParam, firstSerial);
    EXPECT_EQ(s.store.DeleteFileReader(firstSerial), 0);
    ASSERT_NE(s.store.FileReader(), nullptr);
    EXPECT_EQ(s.store.FileReader()->Serial(), secondSerial);

    const auto secondEnded = [&] {
        for (const auto& m : messages.Messages())
            if (m.wParam == secondSerial)
                return true;
        return false;
    };
    for (int waited = 0; !secondEnded() && waited < kTimeoutMs; ++waited)
        messages.WaitFor(0, 1);
    ASSERT_TRUE(secondEnded());
    EXPECT_EQ(s.store.DeleteFileReader(secondSerial), 1);
    EXPECT_EQ(s.store.FileReader(), nullptr);
    ASSERT_EQ(s.store.GetPacketCount(0), 3000);
    std::vector<char> fields;
    EXPECT_EQ(s.Parsed(1, fields).packetNumber, 500u);
    EXPECT_EQ(s.Parsed(3000, fields).packetNumber, 3499u);
}

// New record lengths, or a capture start, while a file is read: the reader ends first, and
// adds nothing afterwards.
TEST(DataFile, NewLengthsOrACaptureStopTheReader)
{
    TempFolder folder;
    FileStore s(folder, "a");
    const uint16_t h = s.host.RawLength();
    const uint16_t p = s.host.ParsedLength();
    const std::string big = folder.Write("big.pld", GenericFile(20000, h));
    for (int turn = 0; turn < 2; ++turn) {
        ASSERT_EQ(s.store.Init(h, p), 1);
        s.store.Reset();
        ASSERT_EQ(s.store.OpenFile(big, kWindow, true, "Generic", 0), 1);
        if (turn == 0) {
            // Longer records than the reader's: it must not go on with them.
            ASSERT_EQ(s.store.Init(1000, p), 1);
        } else {
            ASSERT_EQ(s.store.Restart(0), 1);
            s.store.Stop(1);
        }
        EXPECT_EQ(s.store.FileReader(), nullptr) << turn;
        const int32_t count = s.store.GetPacketCount(0);
        if (turn == 1) {
            EXPECT_EQ(count, 0);
        }
        s.Add({1, 2, 3}, 0x85);
        EXPECT_EQ(s.store.GetPacketCount(0), count + 1) << turn;
    }
}

// A file opened while a display filter is in force is scanned for it once it has been read.
TEST(DataFile, FileOpenedUnderAFilterIsScannedForIt)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 7; ++i)
        s.Add({static_cast<uint8_t>(i)}, 0x85);
    const auto ok = testsupport::FieldFilter(s.host.ParsedLength(), kCrcField, "OK");
    s.store.SetFilter(ok.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    ASSERT_EQ(s.store.GetPacketCount(1), 7);
    // Two of every three records of the file have a good CRC.
    ASSERT_TRUE(s.Open(folder.Write("file.pld", GenericFile(300, s.host.RawLength()))));
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_TRUE(s.store.FilterActive());
    EXPECT_EQ(s.store.GetPacketCount(0), 300);
    EXPECT_EQ(s.store.GetPacketCount(1), 200);
    std::vector<char> fields;
    EXPECT_EQ(s.Parsed(1, fields).packetNumber, 2u); // the first match: record 1 has a bad CRC
    s.store.FilterOff();
}

TEST(DataFile, ReadingStopsWhenTheStoreRefusesPackets)
{
    TempFolder folder;
    FileStore s(folder, "a");
    for (int i = 0; i < 5; ++i)
        s.Add({static_cast<uint8_t>(i)}, 0x85);
    ASSERT_TRUE(s.store.SaveToFile(folder / "five.pld"));

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

    // Without a plug-in's lengths nothing is opened.
    PacketManager bare;
    std::string error;
    EXPECT_EQ(bare.OpenFile(folder / "five.pld", kWindow, true, "Generic", 0, &error), 0);
    EXPECT_EQ(error, "No protocol plug-in is loaded: the data file cannot be read.");
    EXPECT_EQ(bare.FileReader(), nullptr);
}
