#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/store/DiskBufferHandler.h"
#include "core/store/DiskBufferReader.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

struct Layout {
    uint16_t header;     // H
    uint16_t fieldArea;  // P
    uint16_t Length() const { return static_cast<uint16_t>(header + kParsedDataStoredSize + fieldArea); }
};

PARSED_DATA ParsedFor(uint32_t seed)
{
    PARSED_DATA p;
    std::memset(&p, 0, sizeof p);
    p.packetNumber = seed;
    p.reserved = seed ^ 0xA5A5A5A5u;
    p.time = seed * 1000003ull + (1ull << 40);
    p.indent = static_cast<uint8_t>(seed);
    p.frameClass = static_cast<int32_t>(seed % 7);
    p.nodeIdsChanged = static_cast<int32_t>(seed & 1);
    p.srcNodeId = static_cast<int32_t>(seed + 100);
    p.dstNodeId = -static_cast<int32_t>(seed);
    p.rssi = -40 - static_cast<int32_t>(seed % 50);
    p.correlation = static_cast<uint16_t>(seed * 3);
    p.noticesWaiting = static_cast<int32_t>(seed % 2);
    p.frameLength = static_cast<int32_t>(seed % 128);
    p.indexed = 1;
    p.crcOk = seed % 3 == 0;
    p.fieldCount = static_cast<uint16_t>(seed % 17);
    p.bytesUsed = static_cast<int32_t>(seed * 5);
    p.status = static_cast<int32_t>(seed % 4);
    p.infoFlags = static_cast<int32_t>(seed & 0x1F);
    p.fieldBuffer = reinterpret_cast<char*>(0x1234);
    return p;
}

// One record whose every part depends on seed, so that records are told apart byte by byte.
std::vector<uint8_t> MakeRecord(const Layout& layout, uint32_t seed)
{
    std::vector<uint8_t> record(layout.Length());
    for (size_t i = 0; i < layout.header; ++i)
        record[i] = static_cast<uint8_t>(seed * 7 + i);
    if (layout.Length() >= layout.header + kParsedDataStoredSize)
        StoreParsedData(record.data() + layout.header, ParsedFor(seed));
    for (size_t i = 0; i < layout.fieldArea; ++i)
        record[layout.header + kParsedDataStoredSize + i] = static_cast<uint8_t>(seed * 13 + i * 3 + 1);
    return record;
}

std::optional<uint64_t> FileSize(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// Holds a caller's descriptor and field buffer, with guard bytes behind the buffer.
struct PacketReader {
    static constexpr size_t kGuard = 32;
    static constexpr uint8_t kFill = 0xEE;
    PARSED_DATA parsed;
    std::vector<char> fields;

    explicit PacketReader(size_t fieldArea) : fields(fieldArea + kGuard, static_cast<char>(kFill))
    {
        std::memset(&parsed, 0xCD, sizeof parsed);
        parsed.fieldBuffer = fields.data();
    }
    bool FieldBufferUntouched() const
    {
        for (char c : fields)
            if (static_cast<uint8_t>(c) != kFill)
                return false;
        return true;
    }
};

// Checks what ReadPacket handed out against the record it was written from.
void ExpectPacketIs(const PacketReader& reader, const Layout& layout, const std::vector<uint8_t>& record)
{
    EXPECT_EQ(reader.parsed.fieldBuffer, reader.fields.data()) << "the caller's field buffer pointer changed";
    EXPECT_EQ(std::memcmp(&reader.parsed, record.data() + layout.header, kParsedDataStoredPrefix), 0);
    PARSED_DATA expected;
    LoadParsedData(expected, record.data() + layout.header);
    EXPECT_EQ(reader.parsed.packetNumber, expected.packetNumber);
    EXPECT_EQ(reader.parsed.time, expected.time);
    EXPECT_EQ(reader.parsed.infoFlags, expected.infoFlags);
    const uint8_t* area = record.data() + layout.header + kParsedDataStoredSize;
    EXPECT_EQ(std::memcmp(reader.fields.data(), area, layout.fieldArea), 0) << "field area differs";
    for (size_t i = layout.fieldArea; i < reader.fields.size(); ++i)
        ASSERT_EQ(static_cast<uint8_t>(reader.fields[i]), PacketReader::kFill)
            << "byte " << i - layout.fieldArea << " behind the field area was written";
}

constexpr Layout kLayout{16, 64};

class DiskBufferTest : public ::testing::Test {
protected:

    std::unique_ptr<DiskBufferHandler> NewHandler(const Layout& layout = kLayout,
                                                  const std::string& name = "capdb1")
    {
        auto handler = std::make_unique<DiskBufferHandler>();
        handler->SetFileName(folder_ / name);
        handler->SetRecordLayout(layout.Length(), layout.header);
        return handler;
    }

    // Writes count records made from seeds first, first + 1, ... and counts each.
    static void Append(DiskBufferHandler& handler, const Layout& layout, uint32_t first, int count)
    {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(handler.WriteRecord(MakeRecord(layout, first + i).data()), 1);
            handler.AddCount();
        }
    }

    static void ExpectRecord(DiskBufferHandler& handler, const Layout& layout, int32_t n, uint32_t seed)
    {
        std::vector<uint8_t> got(layout.Length(), 0xAB);
        ASSERT_EQ(handler.ReadRecord(n, got.data()), 1) << "record " << n;
        EXPECT_EQ(got, MakeRecord(layout, seed)) << "record " << n;
    }

    std::string Path(const std::string& name = "capdb1") const { return folder_ / name; }

    testsupport::TempFolder folder_;
    platform::MessageBoxRecorder messages_;
};

} // namespace

// ---- Create, Open and the count ----

TEST_F(DiskBufferTest, CreateStartsEmpty)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    EXPECT_TRUE(handler->IsOpen());
    EXPECT_EQ(handler->Count(), 0);
    int32_t next = -5;
    EXPECT_EQ(handler->GetCount(&next, 1), 1);
    EXPECT_EQ(next, 1);
    PacketReader reader(kLayout.fieldArea);
    EXPECT_EQ(handler->ReadPacket(1, &reader.parsed), 0);
    EXPECT_TRUE(reader.FieldBufferUntouched());
    EXPECT_EQ(FileSize(Path()), 0u);
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(DiskBufferTest, CreateTruncatesAndRestartsNumbering)
{
    WriteFile(Path(), std::vector<uint8_t>(3 * kLayout.Length(), 0x55));
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    EXPECT_EQ(FileSize(Path()), 0u);
    Append(*handler, kLayout, 10, 2);

    // Again on the open handler, as at a reset of the store.
    ASSERT_EQ(handler->Create(), 1);
    EXPECT_EQ(handler->Count(), 0);
    EXPECT_EQ(FileSize(Path()), 0u);
    Append(*handler, kLayout, 20, 1);
    ExpectRecord(*handler, kLayout, 1, 20);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), kLayout.Length());
    EXPECT_TRUE(messages_.Texts().empty());
}

// Descriptors of this process on a file that is gone: the disk space they still hold.
int DeletedFilesHeld(const std::string& name)
{
    int held = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = fs::read_symlink(entry.path(), error).string();
        if (!error && target.find(name) != std::string::npos && target.ends_with(" (deleted)"))
            ++held;
    }
    return held;
}

// A reset of a full buffer leaves one file at the name, holding only the new records, and the
// old records' space is given back, at the latest when the handler goes.
TEST_F(DiskBufferTest, CreateOnAFullBufferGivesItsSpaceBack)
{
    const std::string name = Path("capdb77");
    auto handler = NewHandler(kLayout, "capdb77");
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 1, 500);
    ASSERT_EQ(handler->Create(), 1);
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 900, 3);
    ExpectRecord(*handler, kLayout, 3, 902);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(name), 3u * kLayout.Length());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator{}), 1);
    handler.reset();
    EXPECT_FALSE(fs::exists(name));
    EXPECT_EQ(DeletedFilesHeld("capdb77"), 0);
    EXPECT_TRUE(messages_.Texts().empty());
}

namespace {

struct OpenCase {
    const char* name;
    int wholeRecords;  // records already in the file
    int extraBytes;    // a partial record behind them
};

void PrintTo(const OpenCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiskBufferOpen : public DiskBufferTest, public ::testing::WithParamInterface<OpenCase> {};

} // namespace

TEST_P(DiskBufferOpen, CountsWholeRecordsAndAppendsAfterThem)
{
    const OpenCase& c = GetParam();
    std::vector<uint8_t> bytes;
    for (int i = 0; i < c.wholeRecords; ++i) {
        std::vector<uint8_t> record = MakeRecord(kLayout, 100 + i);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    bytes.insert(bytes.end(), c.extraBytes, 0x77);
    WriteFile(Path(), bytes);

    auto handler = NewHandler();
    ASSERT_EQ(handler->Open(), 1);
    EXPECT_EQ(handler->Count(), c.wholeRecords);
    int32_t next = 0;
    handler->GetCount(&next, 1);
    EXPECT_EQ(next, c.wholeRecords + 1);
    for (int i = 0; i < c.wholeRecords; ++i)
        ExpectRecord(*handler, kLayout, i + 1, 100 + i);

    // The next record gets the next number, even over a partial tail.
    Append(*handler, kLayout, 500, 1);
    ExpectRecord(*handler, kLayout, c.wholeRecords + 1, 500);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), static_cast<uint64_t>(c.wholeRecords + 1) * kLayout.Length());
    EXPECT_TRUE(messages_.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DiskBufferOpen,
    ::testing::Values(OpenCase{"empty_file", 0, 0},
                      OpenCase{"one_byte_short_of_a_record", 0, kLayout.Length() - 1},
                      OpenCase{"three_records", 3, 0},
                      OpenCase{"ten_records_and_three_bytes", 10, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskBufferTest, OpenCreatesAMissingFile)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Open(), 1);
    EXPECT_EQ(handler->Count(), 0);
    EXPECT_EQ(FileSize(Path()), 0u);
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(DiskBufferTest, OpenWithoutRecordLayoutFails)
{
    auto handler = std::make_unique<DiskBufferHandler>();
    handler->SetFileName(Path());
    EXPECT_EQ(handler->Open(), 0);
    EXPECT_FALSE(handler->IsOpen());
    EXPECT_FALSE(FileSize(Path()).has_value());
    EXPECT_TRUE(messages_.Texts().empty());
}

namespace {

struct OpenFailureCase {
    const char* name;
    bool useOpen;         // Open rather than Create
    const char* relative; // under the test folder
    bool isFolder;        // the name is an existing folder
    int error;
};

void PrintTo(const OpenFailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiskBufferOpenFailure : public DiskBufferTest, public ::testing::WithParamInterface<OpenFailureCase> {};

} // namespace

TEST_P(DiskBufferOpenFailure, ReportsTheSystemText)
{
    const OpenFailureCase& c = GetParam();
    if (c.isFolder)
        fs::create_directory(Path(c.relative));
    auto handler = NewHandler(kLayout, c.relative);
    EXPECT_EQ(c.useOpen ? handler->Open() : handler->Create(), 0);
    EXPECT_FALSE(handler->IsOpen());
    ASSERT_EQ(messages_.Requests().size(), 1u);
    EXPECT_EQ(messages_.Requests()[0].text, std::string("Can't open file: ") + std::strerror(c.error));
    EXPECT_EQ(messages_.Requests()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(handler->WriteRecord(MakeRecord(kLayout, 1).data()), 0);
    EXPECT_EQ(messages_.Requests().size(), 1u) << "a write on a closed buffer is refused silently";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DiskBufferOpenFailure,
    ::testing::Values(OpenFailureCase{"create_in_missing_folder", false, "missing/capdb1", false, ENOENT},
                      OpenFailureCase{"open_in_missing_folder", true, "missing/capdb1", false, ENOENT},
                      OpenFailureCase{"create_over_a_folder", false, "capdb1", true, EISDIR},
                      OpenFailureCase{"open_a_folder", true, "capdb1", true, EISDIR}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskBufferTest, DestructorDeletesTheOpenFile)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 1, 2);
    ASSERT_TRUE(FileSize(Path()).has_value());
    handler.reset();
    EXPECT_FALSE(fs::exists(Path()));
}

TEST_F(DiskBufferTest, DestructorLeavesAFileItNeverOpened)
{
    WriteFile(Path(), std::vector<uint8_t>(10, 1));
    NewHandler().reset();
    EXPECT_EQ(FileSize(Path()), 10u);
}

// ---- Writing and reading records ----

namespace {

struct LayoutCase {
    const char* name;
    Layout layout;
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiskBufferRoundTrip : public DiskBufferTest, public ::testing::WithParamInterface<LayoutCase> {};

} // namespace

TEST_P(DiskBufferRoundTrip, ReadsBackEveryRecordAndPacket)
{
    const Layout layout = GetParam().layout;
    auto handler = NewHandler(layout);
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, layout, 41, 5);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), 5u * layout.Length());

    for (int32_t n : {5, 1, 3, 2, 4})
        ExpectRecord(*handler, layout, n, 40 + n);
    for (int32_t n : {2, 5, 1, 4, 3}) {
        SCOPED_TRACE("packet " + std::to_string(n));
        PacketReader reader(layout.fieldArea);
        ASSERT_EQ(handler->ReadPacket(n, &reader.parsed), 1);
        ExpectPacketIs(reader, layout, MakeRecord(layout, 40 + n));
    }
    EXPECT_TRUE(messages_.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DiskBufferRoundTrip,
    ::testing::Values(LayoutCase{"small", {16, 64}},
                      LayoutCase{"no_raw_part", {0, 48}},
                      LayoutCase{"no_field_area", {24, 0}},
                      LayoutCase{"odd_sizes", {271, 513}},
                      LayoutCase{"near_the_largest_record", {1000, 64000}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskBufferTest, ReadPacketNeedsRoomForTheDescriptor)
{
    // One byte short of the raw part and the descriptor: no packet fits.
    auto handler = std::make_unique<DiskBufferHandler>();
    handler->SetFileName(Path());
    handler->SetRecordLayout(16 + 79, 16);
    ASSERT_EQ(handler->Create(), 1);
    std::vector<uint8_t> record(16 + 79);
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<uint8_t>(i + 1);
    ASSERT_EQ(handler->WriteRecord(record.data()), 1);
    handler->AddCount();

    PacketReader reader(0);
    PARSED_DATA before = reader.parsed;
    EXPECT_EQ(handler->ReadPacket(1, &reader.parsed), 0);
    EXPECT_EQ(std::memcmp(&before, &reader.parsed, sizeof before), 0);
    std::vector<uint8_t> got(record.size());
    EXPECT_EQ(handler->ReadRecord(1, got.data()), 1);
    EXPECT_EQ(got, record);
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(DiskBufferTest, ReadPacketWithoutFieldBufferGivesTheDescriptor)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 7, 1);
    PARSED_DATA parsed;
    std::memset(&parsed, 0, sizeof parsed);
    parsed.fieldBuffer = nullptr;
    ASSERT_EQ(handler->ReadPacket(1, &parsed), 1);
    EXPECT_EQ(parsed.packetNumber, 7u);
    EXPECT_EQ(parsed.fieldBuffer, nullptr);
}

namespace {

struct OutsideCase {
    const char* name;
    int32_t n;
};

void PrintTo(const OutsideCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiskBufferOutside : public DiskBufferTest, public ::testing::WithParamInterface<OutsideCase> {};

} // namespace

TEST_P(DiskBufferOutside, ReadsNothingSilently)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 1, 2);
    // A third record is in the file but not yet counted.
    ASSERT_EQ(handler->WriteRecord(MakeRecord(kLayout, 3).data()), 1);

    std::vector<uint8_t> destination(kLayout.Length(), 0x5A);
    EXPECT_EQ(handler->ReadRecord(GetParam().n, destination.data()), 0);
    EXPECT_EQ(destination, std::vector<uint8_t>(kLayout.Length(), 0x5A));
    PacketReader reader(kLayout.fieldArea);
    EXPECT_EQ(handler->ReadPacket(GetParam().n, &reader.parsed), 0);
    EXPECT_TRUE(reader.FieldBufferUntouched());
    EXPECT_TRUE(messages_.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, DiskBufferOutside,
    ::testing::Values(OutsideCase{"zero", 0}, OutsideCase{"negative", -1},
                      OutsideCase{"smallest", INT32_MIN},
                      OutsideCase{"written_but_not_counted", 3},
                      OutsideCase{"past_the_file", 4}, OutsideCase{"largest", INT32_MAX}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskBufferTest, WriteAfterReadsAppendsAfterTheLastRecord)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 1, 3);
    PacketReader reader(kLayout.fieldArea);
    ASSERT_EQ(handler->ReadPacket(1, &reader.parsed), 1);
    std::vector<uint8_t> got(kLayout.Length());
    ASSERT_EQ(handler->ReadRecord(2, got.data()), 1);

    Append(*handler, kLayout, 4, 1);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), 4u * kLayout.Length());
    for (int32_t n = 1; n <= 4; ++n)
        ExpectRecord(*handler, kLayout, n, n);
}

// A packet's record is stored with only its meaningful leading bytes copied: they must read
// back whole wherever the record is (the batch being filled, the one being written, the file),
// even when the record before it in the batch was longer.
TEST_F(DiskBufferTest, RecordsWrittenInPartReadBackTheirBytes)
{
    static constexpr Layout kWide{142, 2048}; // about 460 records to a batch
    constexpr int kRecords = 1500;
    auto handler = NewHandler(kWide);
    ASSERT_EQ(handler->Create(), 1);
    const auto usedOf = [](int n) {
        return static_cast<size_t>(kWide.header + kParsedDataStoredSize + (n * 397) % (kWide.fieldArea + 1));
    };
    const auto expectLeading = [&](int n, const char* where) {
        std::vector<uint8_t> got(kWide.Length(), 0);
        ASSERT_EQ(handler->ReadRecord(n, got.data()), 1) << where << " record " << n;
        const std::vector<uint8_t> written = MakeRecord(kWide, static_cast<uint32_t>(n));
        ASSERT_EQ(std::memcmp(got.data(), written.data(), usedOf(n)), 0) << where << " record " << n;
    };
    for (int n = 1; n <= kRecords; ++n) {
        ASSERT_EQ(handler->WriteRecord(MakeRecord(kWide, static_cast<uint32_t>(n)).data(), usedOf(n)), 1);
        handler->AddCount();
        expectLeading(n, "just written");
        if (n > 1)
            expectLeading(n - 1, "the one before");
    }
    for (int n = 1; n <= kRecords; ++n)
        expectLeading(n, "before the flush");
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), uint64_t{kRecords} * kWide.Length());
    for (int n = 1; n <= kRecords; ++n)
        expectLeading(n, "in the file");
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(DiskBufferTest, ShortRecordIsNeverHandedOut)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 1, 2);
    ASSERT_EQ(handler->Flush(), 1);
    ASSERT_EQ(truncate(Path().c_str(), kLayout.Length() + 5), 0);

    std::vector<uint8_t> destination(kLayout.Length(), 0x5A);
    EXPECT_EQ(handler->ReadRecord(2, destination.data()), 0);
    EXPECT_EQ(destination, std::vector<uint8_t>(kLayout.Length(), 0x5A));
    PacketReader reader(kLayout.fieldArea);
    PARSED_DATA before = reader.parsed;
    EXPECT_EQ(handler->ReadPacket(2, &reader.parsed), 0);
    EXPECT_EQ(std::memcmp(&before, &reader.parsed, sizeof before), 0);
    EXPECT_TRUE(reader.FieldBufferUntouched());
    EXPECT_EQ(messages_.Texts(),
              (std::vector<std::string>{"Not able to read packet.", "Not able to read packet."}));

    ExpectRecord(*handler, kLayout, 1, 1);
}

TEST_F(DiskBufferTest, FailedWriteReportsAndKeepsTheEnd)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    {
        // Room for two and a half records: the third is cut off midway when the batch goes out.
        testsupport::FileSizeLimit limit(2 * kLayout.Length() + kLayout.Length() / 2);
        ASSERT_TRUE(limit.Active());
        Append(*handler, kLayout, 1, 3);
        EXPECT_EQ(handler->Flush(), 0);
        EXPECT_EQ(messages_.Texts(),
                  std::vector<std::string>{std::string("Can't write to file: ") + std::strerror(EFBIG)});
        // Refused as long as the file refuses the batch before it.
        EXPECT_EQ(handler->WriteRecord(MakeRecord(kLayout, 4).data()), 0);
        EXPECT_EQ(messages_.Texts().size(), 2u);
    }
    // Counted records stay readable, though the file does not hold them.
    EXPECT_EQ(handler->Count(), 3);
    ExpectRecord(*handler, kLayout, 3, 3);

    // With room again, the next write puts the refused batch in place and goes on after it.
    Append(*handler, kLayout, 9, 1);
    ExpectRecord(*handler, kLayout, 4, 9);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), 4u * kLayout.Length());
    ExpectRecord(*handler, kLayout, 3, 3);
    EXPECT_EQ(messages_.Texts().size(), 2u);
}

TEST_F(DiskBufferTest, SizeLimitIsExactlyFourGiB)
{
    constexpr uint64_t kFourGiB = 1ull << 32;
    const Layout layout{16, 4096 - 16 - 80}; // L divides 4 GiB
    ASSERT_EQ(layout.Length(), 4096);
    {
        std::ofstream create(Path(), std::ios::binary);
    }
    ASSERT_EQ(truncate(Path().c_str(), static_cast<off_t>(kFourGiB - layout.Length())), 0);

    auto handler = NewHandler(layout);
    ASSERT_EQ(handler->Open(), 1);
    const int32_t before = static_cast<int32_t>(kFourGiB / layout.Length()) - 1;
    ASSERT_EQ(handler->Count(), before);

    ASSERT_EQ(handler->WriteRecord(MakeRecord(layout, 1).data()), 1);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), kFourGiB);
    EXPECT_TRUE(messages_.Texts().empty());
    handler->AddCount();

    EXPECT_EQ(handler->WriteRecord(MakeRecord(layout, 2).data()), 0);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{
                                     "Stopping data capture.\n\nPacket buffer overflow (4294967296 bytes)."});
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), kFourGiB + layout.Length()) << "the refused record stays in the file";
    EXPECT_EQ(handler->Count(), before + 1);

    EXPECT_EQ(handler->WriteRecord(MakeRecord(layout, 3).data()), 0);
    ASSERT_EQ(handler->Flush(), 1);
    EXPECT_EQ(FileSize(Path()), kFourGiB + 2 * layout.Length()) << "a later write appends after it";
    EXPECT_EQ(messages_.Texts().size(), 2u);

    ExpectRecord(*handler, layout, before + 1, 1);
    std::vector<uint8_t> beyond(layout.Length());
    EXPECT_EQ(handler->ReadRecord(before + 2, beyond.data()), 0);
}

// Within one batch in memory, and across batches that go to the file while they are read.
TEST_F(DiskBufferTest, ReadersAndWriterShareTheFile)
{
    for (const Layout layout : {kLayout, Layout{16, 4000}}) {
        SCOPED_TRACE(layout.Length());
        const std::string name = "capdb" + std::to_string(layout.Length());
        constexpr int kRecords = 1500;
        auto handler = NewHandler(layout, name);
        ASSERT_EQ(handler->Create(), 1);
        std::atomic<bool> writerDone{false};
        std::atomic<int> writeFailures{0};
        std::atomic<int> badReads{0};
        std::atomic<int> reads{0};

        std::thread writer([&] {
            for (int i = 1; i <= kRecords; ++i) {
                if (handler->WriteRecord(MakeRecord(layout, i).data()) != 1)
                    ++writeFailures;
                handler->AddCount();
            }
            writerDone = true;
        });
        auto reader = [&](unsigned salt) {
            std::vector<uint8_t> got(layout.Length());
            unsigned state = salt;
            while (!writerDone.load()) {
                int32_t count = handler->Count();
                if (count == 0)
                    continue;
                state = state * 1103515245u + 12345u;
                int32_t n = static_cast<int32_t>(state % static_cast<unsigned>(count)) + 1;
                const std::vector<uint8_t> expected = MakeRecord(layout, n);
                if (handler->ReadRecord(n, got.data()) != 1 || got != expected)
                    ++badReads;
                PacketReader packet(layout.fieldArea);
                if (handler->ReadPacket(n, &packet.parsed) != 1 ||
                    std::memcmp(&packet.parsed, expected.data() + layout.header, kParsedDataStoredPrefix) != 0 ||
                    std::memcmp(packet.fields.data(), expected.data() + layout.header + kParsedDataStoredSize,
                                layout.fieldArea) != 0)
                    ++badReads;
                ++reads;
            }
        };
        std::thread reader1(reader, 1u);
        std::thread reader2(reader, 2u);
        writer.join();
        reader1.join();
        reader2.join();

        EXPECT_EQ(writeFailures.load(), 0);
        EXPECT_EQ(badReads.load(), 0) << "of " << reads.load() << " reads";
        ASSERT_EQ(handler->Flush(), 1);
        EXPECT_EQ(FileSize(Path(name)), static_cast<uint64_t>(kRecords) * layout.Length());
        for (int32_t n : {1, kRecords / 2, kRecords})
            ExpectRecord(*handler, layout, n, n);
        EXPECT_TRUE(messages_.Texts().empty());
    }
}

// ---- Where the buffer file lives ----

namespace {

// Sets or clears TMPDIR for one test.
class TmpdirSetting : public testsupport::ScopedEnvironment {
public:
    explicit TmpdirSetting(const char* value) : ScopedEnvironment("TMPDIR", value) {}
};

struct TmpdirCase {
    const char* name;
    const char* tmpdir; // nullptr: unset
    const char* folder;
};

void PrintTo(const TmpdirCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiskBufferFolder : public ::testing::TestWithParam<TmpdirCase> {};

} // namespace

TEST_P(DiskBufferFolder, FollowsTmpdir)
{
    TmpdirSetting setting(GetParam().tmpdir);
    EXPECT_EQ(DiskBufferHandler::TemporaryFolder(), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DiskBufferFolder,
    ::testing::Values(TmpdirCase{"unset", nullptr, "/tmp/"},
                      TmpdirCase{"empty", "", "/tmp/"},
                      TmpdirCase{"without_slash", "/var/spool/t", "/var/spool/t/"},
                      TmpdirCase{"with_slash", "/var/spool/t/", "/var/spool/t/"},
                      TmpdirCase{"with_slashes", "/var/spool/t//", "/var/spool/t/"},
                      TmpdirCase{"root", "/", "/"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiskBufferFileName, IsPrefixAndProcessIdInTheFolder)
{
    TmpdirSetting setting("/var/spool/t");
    EXPECT_EQ(DiskBufferHandler::BufferFileName(DiskBufferHandler::TemporaryFolder(), 1234),
              "/var/spool/t/capdb1234");
    EXPECT_EQ(DiskBufferHandler::BufferFileName("/tmp/", 2147483647), "/tmp/capdb2147483647");
}

// ---- Stale buffer files ----

namespace {

// Process ids that name no process now, searched from the top of the pid range down.
std::vector<pid_t> UnusedPids(size_t wanted)
{
    long top = 32768;
    std::ifstream in("/proc/sys/kernel/pid_max");
    in >> top;
    std::vector<pid_t> pids;
    for (pid_t pid = static_cast<pid_t>(top - 1); pid > 1 && pids.size() < wanted; --pid)
        if (kill(pid, 0) == -1 && errno == ESRCH)
            pids.push_back(pid);
    return pids;
}

enum class Entry { File, Folder, Link };

struct StaleCase {
    const char* name;
    const char* pattern; // "{self}": this process's id, "{gone}": an id of no process
    Entry entry;
    bool deleted;
};

void PrintTo(const StaleCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Expand(std::string pattern, pid_t gone)
{
    for (auto [token, value] : {std::pair<std::string, std::string>{"{self}", std::to_string(getpid())},
                                {"{gone}", std::to_string(gone)}}) {
        if (size_t at = pattern.find(token); at != std::string::npos)
            pattern.replace(at, token.size(), value);
    }
    return pattern;
}

class DiskBufferStaleFiles : public ::testing::TestWithParam<StaleCase> {};

} // namespace

TEST_P(DiskBufferStaleFiles, DeletesOnlyBufferFilesOfFinishedProcesses)
{
    const StaleCase& c = GetParam();
    std::vector<pid_t> gone = UnusedPids(1);
    ASSERT_EQ(gone.size(), 1u);
    testsupport::TempFolder folder;
    const std::string name = Expand(c.pattern, gone[0]);
    switch (c.entry) {
    case Entry::File:
        folder.Write(name, "data");
        break;
    case Entry::Folder:
        fs::create_directory(folder / name);
        break;
    case Entry::Link:
        folder.Link(name, folder.Write("target", "data"));
        break;
    }

    EXPECT_EQ(DiskBufferHandler::DeleteStaleBufferFiles(folder.Path().string() + "/"), c.deleted ? 1 : 0);
    EXPECT_EQ(fs::exists(fs::symlink_status(folder / name)), !c.deleted) << name;
    if (c.entry == Entry::Link) {
        EXPECT_TRUE(fs::exists(folder / "target"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, DiskBufferStaleFiles,
    ::testing::Values(StaleCase{"finished_process", "capdb{gone}", Entry::File, true},
                      StaleCase{"this_process", "capdb{self}", Entry::File, false},
                      StaleCase{"first_process", "capdb1", Entry::File, false},
                      StaleCase{"letter_instead_of_digits", "capdbX", Entry::File, false},
                      StaleCase{"extension", "capdb{gone}.txt", Entry::File, false},
                      StaleCase{"letter_after_digits", "capdb{gone}X", Entry::File, false},
                      StaleCase{"prefix_alone", "capdb", Entry::File, false},
                      StaleCase{"other_prefix", "xcapdb{gone}", Entry::File, false},
                      StaleCase{"upper_case", "CAPDB{gone}", Entry::File, false},
                      StaleCase{"folder", "capdb{gone}", Entry::Folder, false},
                      StaleCase{"symbolic_link", "capdb{gone}", Entry::Link, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiskBufferStaleFileSweep, CountsEveryDeletedFile)
{
    std::vector<pid_t> gone = UnusedPids(2);
    ASSERT_EQ(gone.size(), 2u);
    testsupport::TempFolder folder;
    const std::string own = DiskBufferHandler::BufferFileName(folder.Path().string() + "/", getpid());
    for (pid_t pid : gone)
        folder.Write("capdb" + std::to_string(pid), "data");
    folder.Write("capdb12.txt", "data");
    folder.Write(fs::path(own).filename().string(), "data");
    folder.Write("sub/capdb" + std::to_string(gone[0]), "data");

    EXPECT_EQ(DiskBufferHandler::DeleteStaleBufferFiles(folder.Path().string()), 2);
    for (pid_t pid : gone)
        EXPECT_FALSE(fs::exists(folder / ("capdb" + std::to_string(pid))));
    EXPECT_TRUE(fs::exists(own));
    EXPECT_TRUE(fs::exists(folder / "capdb12.txt"));
    EXPECT_TRUE(fs::exists(folder / ("sub/capdb" + std::to_string(gone[0])))) << "sub-folders are not searched";
}

TEST(DiskBufferStaleFileSweep, MissingFolderDeletesNothing)
{
    testsupport::TempFolder folder;
    EXPECT_EQ(DiskBufferHandler::DeleteStaleBufferFiles(folder / "missing"), 0);
}

namespace {

// Front to back through runs that reach from the file into both batches in memory.
TEST_F(DiskBufferTest, SequentialReaderServesEveryRecordInRuns)
{
    const Layout layout{16, 4000}; // 256 records to a batch
    auto handler = NewHandler(layout);
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, layout, 1, 700);
    DiskBufferReader reader(*handler);
    PacketReader packet(layout.fieldArea);
    for (int32_t n = 1; n <= 700; ++n) {
        const std::vector<uint8_t> expected = MakeRecord(layout, static_cast<uint32_t>(n));
        const uint8_t* record = reader.Record(n);
        ASSERT_NE(record, nullptr) << n;
        ASSERT_EQ(std::memcmp(record, expected.data(), layout.Length()), 0) << n;
        ASSERT_EQ(reader.ReadPacket(n, &packet.parsed), 1) << n;
        ASSERT_EQ(std::memcmp(packet.fields.data(), expected.data() + layout.header + kParsedDataStoredSize,
                              layout.fieldArea), 0)
            << n;
    }
    // Past the count: nothing, and no message, as for the handler.
    EXPECT_EQ(reader.Record(701), nullptr);
    EXPECT_EQ(reader.ReadPacket(0, &packet.parsed), 0);
    // Records counted after a run was read are read in a new run.
    Append(*handler, layout, 701, 1);
    ASSERT_NE(reader.Record(701), nullptr);
    EXPECT_EQ(std::memcmp(reader.Record(701), MakeRecord(layout, 701).data(), layout.Length()), 0);
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(DiskBufferTest, SequentialReaderReportsACutFileAsTheHandlerDoes)
{
    auto handler = NewHandler();
    ASSERT_EQ(handler->Create(), 1);
    Append(*handler, kLayout, 1, 3);
    ASSERT_EQ(handler->Flush(), 1);
    ASSERT_EQ(truncate(Path().c_str(), kLayout.Length() + 5), 0);
    DiskBufferReader reader(*handler);
    PacketReader packet(kLayout.fieldArea);
    EXPECT_EQ(reader.ReadPacket(2, &packet.parsed), 0);
    EXPECT_EQ(reader.Record(2), nullptr);
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{"Not able to read packet.", "Not able to read packet."}));
}

} // namespace
