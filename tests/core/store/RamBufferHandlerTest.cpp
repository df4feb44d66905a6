#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "core/store/RamBufferHandler.h"

// Allocation failure is injected through the replaceable global allocator: while armed, the
// n-th allocation of at least kLargeAllocation bytes throws. Smaller ones (the test framework's
// own) always succeed.
namespace {

constexpr std::size_t kLargeAllocation = 4096;
std::atomic<long> g_largeAllocationsLeft{-1}; // -1: never fail

class FailLargeAllocation {
public:
    explicit FailLargeAllocation(long nth) { g_largeAllocationsLeft = nth - 1; }
    ~FailLargeAllocation() { g_largeAllocationsLeft = -1; }
    FailLargeAllocation(const FailLargeAllocation&) = delete;
    FailLargeAllocation& operator=(const FailLargeAllocation&) = delete;
};

} // namespace

// Kept out of line, like the deletes: once inlined, malloc() and free() would meet operator
// new and delete in one caller and be reported as mismatched.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    if (size >= kLargeAllocation && g_largeAllocationsLeft.load() >= 0 &&
        g_largeAllocationsLeft.fetch_sub(1) == 0) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

namespace {

constexpr uint16_t kP = 64;
constexpr int kGuard = 32;
constexpr char kGuardByte = static_cast<char>(0xA5);

char FieldByte(uint32_t number, size_t i)
{
    return static_cast<char>((number * 131u + i * 7u + 1u) & 0xFFu);
}

std::vector<char> FieldsOf(uint32_t number, size_t size)
{
    std::vector<char> fields(size);
    for (size_t i = 0; i < size; ++i) {
        fields[i] = FieldByte(number, i);
    }
    return fields;
}

// A descriptor whose every member is derived from its packet number, so a read can tell
// whether it got one packet's record whole.
PARSED_DATA Describe(uint32_t number, int32_t bytesUsed, char* fields)
{
    PARSED_DATA p{};
    p.packetNumber = number;
    p.reserved = number ^ 0x55u;
    p.time = uint64_t{number} * 1000u + 3u;
    p.indent = static_cast<uint8_t>(number % 7u);
    p.frameClass = static_cast<int32_t>(number % 11u);
    p.nodeIdsChanged = static_cast<int32_t>(number & 1u);
    p.srcNodeId = static_cast<int32_t>(number % 13u) - 1;
    p.dstNodeId = static_cast<int32_t>(number % 17u) - 1;
    p.rssi = -static_cast<int32_t>(number % 90u);
    p.correlation = static_cast<uint16_t>(number * 3u);
    p.noticesWaiting = static_cast<int32_t>(number % 2u);
    p.frameLength = static_cast<int32_t>(number % 128u);
    p.indexed = 1;
    p.crcOk = static_cast<int32_t>(number % 3u == 0);
    p.fieldCount = static_cast<uint16_t>(number % 9u);
    p.bytesUsed = bytesUsed;
    p.status = static_cast<int32_t>(number % 4u);
    p.infoFlags = static_cast<int32_t>(number % 32u);
    p.fieldBuffer = fields;
    return p;
}

void ExpectSameRecord(const PARSED_DATA& got, const PARSED_DATA& want)
{
    EXPECT_EQ(got.packetNumber, want.packetNumber);
    EXPECT_EQ(got.reserved, want.reserved);
    EXPECT_EQ(got.time, want.time);
    EXPECT_EQ(got.indent, want.indent);
    EXPECT_EQ(got.frameClass, want.frameClass);
    EXPECT_EQ(got.nodeIdsChanged, want.nodeIdsChanged);
    EXPECT_EQ(got.srcNodeId, want.srcNodeId);
    EXPECT_EQ(got.dstNodeId, want.dstNodeId);
    EXPECT_EQ(got.rssi, want.rssi);
    EXPECT_EQ(got.correlation, want.correlation);
    EXPECT_EQ(got.noticesWaiting, want.noticesWaiting);
    EXPECT_EQ(got.frameLength, want.frameLength);
    EXPECT_EQ(got.indexed, want.indexed);
    EXPECT_EQ(got.crcOk, want.crcOk);
    EXPECT_EQ(got.fieldCount, want.fieldCount);
    EXPECT_EQ(got.bytesUsed, want.bytesUsed);
    EXPECT_EQ(got.status, want.status);
    EXPECT_EQ(got.infoFlags, want.infoFlags);
}

// Stores packet `number` with P bytes of its own field pattern.
int StoreNumbered(RamBufferHandler& cache, int slot, int pos, uint32_t number)
{
    std::vector<char> fields = FieldsOf(number, cache.ParsedLength());
    PARSED_DATA p = Describe(number, static_cast<int32_t>(fields.size()), fields.data());
    return cache.StorePacket(slot, pos, &p);
}

// The caller's side of a read: a field buffer of P bytes followed by guard bytes.
struct Reader {
    explicit Reader(size_t parsedLength) : length(parsedLength), buffer(parsedLength + kGuard, kGuardByte)
    {
        out.fieldBuffer = buffer.data();
    }

    int Read(const RamBufferHandler& cache, int slot, int pos) { return cache.GetPacket(slot, pos, &out); }

    std::vector<char> Fields() const
    {
        return std::vector<char>(buffer.begin(), buffer.begin() + static_cast<long>(length));
    }

    bool GuardIntact() const
    {
        for (size_t i = length; i < buffer.size(); ++i) {
            if (buffer[i] != kGuardByte) {
                return false;
            }
        }
        return true;
    }

    size_t length;
    std::vector<char> buffer;
    PARSED_DATA out{};
};

// Expects packet `number`, as StoreNumbered wrote it, at slot/pos.
void ExpectNumbered(const RamBufferHandler& cache, int slot, int pos, uint32_t number)
{
    Reader reader(cache.ParsedLength());
    ASSERT_EQ(reader.Read(cache, slot, pos), 1) << "slot " << slot << " pos " << pos;
    EXPECT_EQ(reader.out.packetNumber, number);
    EXPECT_EQ(reader.Fields(), FieldsOf(number, cache.ParsedLength()));
}

RamBufferHandler& Sized(RamBufferHandler& cache, uint16_t parsedLength, uint16_t mb)
{
    cache.SetParsedLength(parsedLength);
    EXPECT_EQ(cache.Allocate(mb), 1);
    return cache;
}

// --- Sizing -------------------------------------------------------------------------------

constexpr int32_t KFor(uint64_t blockBytes, uint16_t parsedLength)
{
    return static_cast<int32_t>(blockBytes / (uint64_t{parsedLength} + RamBufferHandler::kPerPacketOverhead));
}

struct SizingCase {
    const char* name;
    uint16_t parsedLength;
    uint16_t mb;
    int result;
    int blocks;  // N
    int32_t k;   // K
};

void PrintTo(const SizingCase& c, std::ostream* os)
{
    *os << c.name;
}

class Sizing : public ::testing::TestWithParam<SizingCase> {};

} // namespace

TEST_P(Sizing, GivesBlocksAndPackets)
{
    const SizingCase& c = GetParam();
    RamBufferHandler cache;
    cache.SetParsedLength(c.parsedLength);
    EXPECT_EQ(cache.Allocate(c.mb), c.result);
    EXPECT_EQ(cache.BlockCount(), c.blocks);
    EXPECT_EQ(cache.PacketsPerBlock(), c.k);
    EXPECT_EQ(cache.BlockBytes(), c.k * c.parsedLength);

    if (c.blocks == 0) {
        EXPECT_EQ(StoreNumbered(cache, 0, 0, 1), 0);
        return;
    }
    // The last position of the last slot is usable; one beyond either is not.
    EXPECT_EQ(StoreNumbered(cache, c.blocks - 1, c.k - 1, 9), 1);
    ExpectNumbered(cache, c.blocks - 1, c.k - 1, 9);
    EXPECT_EQ(StoreNumbered(cache, c.blocks - 1, c.k, 9), 0);
    EXPECT_EQ(StoreNumbered(cache, c.blocks, 0, 9), 0);
}

INSTANTIATE_TEST_SUITE_P(
    RamCache, Sizing,
    ::testing::Values(
        SizingCase{"one_megabyte", 1000, 1, 1, 4, 243},
        SizingCase{"twenty_megabytes", 1000, 20, 1, 24, 812},
        SizingCase{"six_megabytes_fill_24_default_blocks", 1000, 6, 1, 24, KFor(262144, 1000)},
        SizingCase{"seven_megabytes_split_in_24", 1000, 7, 1, 24, KFor(7 * 1048576 / 24, 1000)},
        SizingCase{"small_parsed_length", kP, 3, 1, 12, KFor(262144, kP)},
        SizingCase{"largest_parsed_length", 65535, 1, 1, 4, KFor(262144, 65535)},
        SizingCase{"parsed_length_one", 1, 2, 1, 8, KFor(262144, 1)},
        SizingCase{"zero_megabytes_has_no_position", 1000, 0, 0, 0, 0},
        SizingCase{"above_4000_megabytes", 1000, 4001, 0, 0, 0},
        SizingCase{"parsed_length_zero", 0, 1, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct ResizeCase {
    const char* name;
    uint16_t secondMb;
    int result;
    int blocks;
    int32_t k;
    bool earlierPacketKept;
};

void PrintTo(const ResizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Resizing : public ::testing::TestWithParam<ResizeCase> {};

} // namespace

// The store frees before sizing, but a second sizing alone must not leave earlier slots behind.
TEST_P(Resizing, SecondAllocateWithoutFree)
{
    const ResizeCase& c = GetParam();
    RamBufferHandler cache;
    Sized(cache, kP, 7);
    ASSERT_EQ(StoreNumbered(cache, 0, 3, 42), 1);
    ASSERT_EQ(StoreNumbered(cache, 20, 3, 43), 1);

    EXPECT_EQ(cache.Allocate(c.secondMb), c.result);
    EXPECT_EQ(cache.BlockCount(), c.blocks);
    EXPECT_EQ(cache.PacketsPerBlock(), c.k);

    Reader reader(kP);
    EXPECT_EQ(reader.Read(cache, 0, 3), c.earlierPacketKept ? 1 : 0);
    EXPECT_EQ(reader.Read(cache, 20, 3), c.earlierPacketKept ? 1 : 0);
    EXPECT_EQ(StoreNumbered(cache, 20, 0, 44), c.blocks > 20 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    RamCache, Resizing,
    ::testing::Values(
        ResizeCase{"refused_size_changes_nothing", 4001, 0, 24, KFor(7 * 1048576 / 24, kP), true},
        ResizeCase{"smaller_size", 1, 1, 4, KFor(262144, kP), false},
        ResizeCase{"same_size_starts_empty", 7, 1, 24, KFor(7 * 1048576 / 24, kP), false},
        ResizeCase{"zero_megabytes_serves_nothing", 0, 0, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct FailureCase {
    const char* name;
    long failingAllocation; // 1-based among the large allocations; each slot makes two
    int blocks;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class AllocationFailure : public ::testing::TestWithParam<FailureCase> {};

} // namespace

TEST_P(AllocationFailure, KeepsSlotsBeforeIt)
{
    const FailureCase& c = GetParam();
    RamBufferHandler cache;
    cache.SetParsedLength(1000);
    {
        FailLargeAllocation fail(c.failingAllocation);
        EXPECT_EQ(cache.Allocate(1), 0);
    }
    EXPECT_EQ(cache.BlockCount(), c.blocks);
    EXPECT_EQ(cache.PacketsPerBlock(), 243);
    for (int slot = 0; slot < c.blocks; ++slot) {
        EXPECT_EQ(StoreNumbered(cache, slot, 242, 5), 1) << slot;
        ExpectNumbered(cache, slot, 242, 5);
    }
    EXPECT_EQ(StoreNumbered(cache, c.blocks, 0, 5), 0);

    EXPECT_EQ(cache.Allocate(1), 1);
    EXPECT_EQ(cache.BlockCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(
    RamCache, AllocationFailure,
    ::testing::Values(
        FailureCase{"first_fields", 1, 0},
        FailureCase{"first_records", 2, 0},
        FailureCase{"third_fields", 5, 2},
        FailureCase{"third_records", 6, 2},
        FailureCase{"last_records", 8, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RamCache, SizesAboveTwoGigabytesWithoutOverflow)
{
    RamBufferHandler cache;
    cache.SetParsedLength(1000);
    FailLargeAllocation fail(1); // only the sizing is of interest, not 4000 MB of memory
    EXPECT_EQ(cache.Allocate(4000), 0);
    const int32_t k = KFor(uint64_t{4000} * 1048576 / 24, 1000);
    EXPECT_EQ(cache.PacketsPerBlock(), k);
    EXPECT_EQ(cache.BlockBytes(), k * 1000);
    EXPECT_EQ(cache.BlockCount(), 0);
}

// --- Storing and reading -------------------------------------------------------------------

TEST(RamCache, StoredPacketReadsBack)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    std::vector<char> fields = FieldsOf(77, kP);
    const PARSED_DATA stored = Describe(77, kP, fields.data());
    ASSERT_EQ(cache.StorePacket(2, 100, &stored), 1);
    fields.assign(fields.size(), 0); // the cache holds its own copy

    Reader reader(kP);
    char* const callerBuffer = reader.out.fieldBuffer;
    ASSERT_EQ(reader.Read(cache, 2, 100), 1);
    ExpectSameRecord(reader.out, stored);
    EXPECT_EQ(reader.out.fieldBuffer, callerBuffer);
    EXPECT_EQ(reader.Fields(), FieldsOf(77, kP));
    EXPECT_TRUE(reader.GuardIntact());
}

TEST(RamCache, RefusesMissingPacketOrBuffer)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    ASSERT_EQ(StoreNumbered(cache, 0, 0, 3), 1);
    EXPECT_EQ(cache.StorePacket(0, 0, nullptr), 0);
    EXPECT_EQ(cache.GetPacket(0, 0, nullptr), 0);

    PARSED_DATA noBuffer{};
    EXPECT_EQ(cache.GetPacket(0, 0, &noBuffer), 0);
    EXPECT_EQ(noBuffer.packetNumber, 0u);
    ExpectNumbered(cache, 0, 0, 3);
}

namespace {

struct FieldLengthCase {
    const char* name;
    int32_t bytesUsed;
    bool hasBuffer;
    int result;
    size_t cached; // leading bytes of the source kept; the rest of P reads as 0
};

void PrintTo(const FieldLengthCase& c, std::ostream* os)
{
    *os << c.name;
}

class FieldLength : public ::testing::TestWithParam<FieldLengthCase> {};

} // namespace

TEST_P(FieldLength, CachesAtMostP)
{
    const FieldLengthCase& c = GetParam();
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    // Neighbours on both sides, and an earlier occupant of the position itself.
    ASSERT_EQ(StoreNumbered(cache, 0, 4, 10), 1);
    ASSERT_EQ(StoreNumbered(cache, 0, 5, 11), 1);
    ASSERT_EQ(StoreNumbered(cache, 0, 6, 12), 1);

    std::vector<char> source = FieldsOf(99, kP + 50);
    PARSED_DATA p = Describe(99, c.bytesUsed, c.hasBuffer ? source.data() : nullptr);
    EXPECT_EQ(cache.StorePacket(0, 5, &p), c.result);

    ExpectNumbered(cache, 0, 4, 10);
    ExpectNumbered(cache, 0, 6, 12);
    if (c.result == 0) {
        ExpectNumbered(cache, 0, 5, 11);
        return;
    }
    Reader reader(kP);
    ASSERT_EQ(reader.Read(cache, 0, 5), 1);
    EXPECT_EQ(reader.out.bytesUsed, c.bytesUsed);
    std::vector<char> want(kP, 0);
    std::memcpy(want.data(), source.data(), c.cached);
    EXPECT_EQ(reader.Fields(), want);
    EXPECT_TRUE(reader.GuardIntact());
}

INSTANTIATE_TEST_SUITE_P(
    RamCache, FieldLength,
    ::testing::Values(
        FieldLengthCase{"exactly_p", kP, true, 1, kP},
        FieldLengthCase{"more_than_p", kP + 50, true, 1, kP},
        FieldLengthCase{"less_than_p", 10, true, 1, 10},
        FieldLengthCase{"none_without_buffer", 0, false, 1, 0},
        FieldLengthCase{"negative_counts_as_none", -5, false, 1, 0},
        FieldLengthCase{"bytes_without_buffer", 1, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

constexpr int kAtK = -1000; // stands for the cache's K

struct PlaceCase {
    const char* name;
    int slot;
    int pos;
};

void PrintTo(const PlaceCase& c, std::ostream* os)
{
    *os << c.name;
}

class OutsideCache : public ::testing::TestWithParam<PlaceCase> {};

} // namespace

TEST_P(OutsideCache, RefusesStoreAndRead)
{
    const PlaceCase& c = GetParam();
    RamBufferHandler cache;
    Sized(cache, kP, 1); // 4 slots
    const int pos = c.pos == kAtK ? cache.PacketsPerBlock() : c.pos;
    EXPECT_EQ(StoreNumbered(cache, c.slot, pos, 8), 0);

    Reader reader(kP);
    EXPECT_EQ(reader.Read(cache, c.slot, pos), 0);
    EXPECT_EQ(reader.out.packetNumber, 0u);
    EXPECT_EQ(reader.buffer, std::vector<char>(kP + kGuard, kGuardByte));
}

INSTANTIATE_TEST_SUITE_P(
    RamCache, OutsideCache,
    ::testing::Values(
        PlaceCase{"negative_slot", -1, 0},
        PlaceCase{"slot_24", 24, 0},
        PlaceCase{"huge_slot", 1 << 30, 0},
        PlaceCase{"slot_without_memory", 4, 0},
        PlaceCase{"negative_position", 0, -1},
        PlaceCase{"position_k", 0, kAtK},
        PlaceCase{"huge_position", 0, 1 << 30}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct EmptyCase {
    const char* name;
    std::function<void(RamBufferHandler&)> act; // after slots 0..3 got packets at position 3
};

void PrintTo(const EmptyCase& c, std::ostream* os)
{
    *os << c.name;
}

class EmptyPosition : public ::testing::TestWithParam<EmptyCase> {};

} // namespace

TEST_P(EmptyPosition, ReadsBackNothing)
{
    const EmptyCase& c = GetParam();
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    for (int slot = 0; slot < 4; ++slot) {
        ASSERT_EQ(StoreNumbered(cache, slot, 3, 20 + static_cast<uint32_t>(slot)), 1);
    }
    c.act(cache);

    Reader reader(kP);
    EXPECT_EQ(reader.Read(cache, 1, 3), 0);
    EXPECT_EQ(reader.out.packetNumber, 0u);
    EXPECT_EQ(reader.buffer, std::vector<char>(kP + kGuard, kGuardByte));
}

INSTANTIATE_TEST_SUITE_P(
    RamCache, EmptyPosition,
    ::testing::Values(
        EmptyCase{"stored_with_packet_number_0",
                  [](RamBufferHandler& cache) {
                      std::vector<char> fields = FieldsOf(5, kP);
                      PARSED_DATA p = Describe(0, kP, fields.data());
                      EXPECT_EQ(cache.StorePacket(1, 3, &p), 1);
                  }},
        EmptyCase{"reset_block", [](RamBufferHandler& cache) { EXPECT_EQ(cache.ResetBlock(1), 1); }},
        EmptyCase{"reset_all", [](RamBufferHandler& cache) { EXPECT_EQ(cache.ResetAll(), 1); }},
        EmptyCase{"free_all", [](RamBufferHandler& cache) { EXPECT_EQ(cache.FreeAll(), 1); }},
        EmptyCase{"parsed_length_changed",
                  [](RamBufferHandler& cache) { cache.SetParsedLength(kP + 1); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RamCache, PositionNeverStoredReadsBackNothing)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    ASSERT_EQ(StoreNumbered(cache, 0, 0, 1), 1);
    Reader reader(kP);
    EXPECT_EQ(reader.Read(cache, 0, 1), 0);
    EXPECT_EQ(reader.Read(cache, 1, 0), 0);
    EXPECT_EQ(reader.Read(cache, 0, cache.PacketsPerBlock() - 1), 0);
}

TEST(RamCache, ResetBlockEmptiesOnlyItsSlot)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    for (int slot = 0; slot < 4; ++slot) {
        ASSERT_EQ(StoreNumbered(cache, slot, 7, 30 + static_cast<uint32_t>(slot)), 1);
    }
    EXPECT_EQ(cache.ResetBlock(2), 1);
    // Slots outside the cache have nothing to empty.
    EXPECT_EQ(cache.ResetBlock(-1), 1);
    EXPECT_EQ(cache.ResetBlock(4), 1);
    EXPECT_EQ(cache.ResetBlock(24), 1);

    ExpectNumbered(cache, 0, 7, 30);
    ExpectNumbered(cache, 1, 7, 31);
    ExpectNumbered(cache, 3, 7, 33);
    Reader reader(kP);
    EXPECT_EQ(reader.Read(cache, 2, 7), 0);

    // An emptied slot takes a new block.
    ASSERT_EQ(StoreNumbered(cache, 2, 0, 40), 1);
    ExpectNumbered(cache, 2, 0, 40);
}

TEST(RamCache, FreeAllKeepsSizingButServesNothing)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    const int k = cache.PacketsPerBlock();
    const int32_t blockBytes = cache.BlockBytes();
    ASSERT_EQ(StoreNumbered(cache, 0, 0, 1), 1);

    EXPECT_EQ(cache.FreeAll(), 1);
    EXPECT_EQ(cache.BlockCount(), 0);
    EXPECT_EQ(cache.PacketsPerBlock(), k);
    EXPECT_EQ(cache.BlockBytes(), blockBytes);
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(StoreNumbered(cache, slot, 0, 2), 0) << slot;
    }
    EXPECT_EQ(cache.ResetAll(), 1);

    EXPECT_EQ(cache.Allocate(1), 1);
    ASSERT_EQ(StoreNumbered(cache, 3, 0, 2), 1);
    ExpectNumbered(cache, 3, 0, 2);
}

TEST(RamCache, SameParsedLengthKeepsSlots)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    ASSERT_EQ(StoreNumbered(cache, 0, 0, 1), 1);
    cache.SetParsedLength(kP);
    EXPECT_EQ(cache.BlockCount(), 4);
    ExpectNumbered(cache, 0, 0, 1);
}

TEST(RamCache, OutOfOrderStoresKeepEachPositionsFields)
{
    RamBufferHandler cache;
    Sized(cache, kP, 1);
    const int k = cache.PacketsPerBlock();
    const std::vector<int> order = {k - 1, 0, 17, 3, k / 2, 1, 16, 18, 2};
    for (int pos : order) {
        ASSERT_EQ(StoreNumbered(cache, 1, pos, 1000 + static_cast<uint32_t>(pos)), 1);
    }
    // Storing a position again replaces only that position.
    ASSERT_EQ(StoreNumbered(cache, 1, 17, 5000), 1);
    for (int pos : order) {
        ExpectNumbered(cache, 1, pos, pos == 17 ? 5000u : 1000 + static_cast<uint32_t>(pos));
    }
}

// The loader thread fills a slot, emptying it now and then, while the view thread reads it.
TEST(RamCache, ConcurrentReadsSeeWholePackets)
{
    constexpr uint16_t kLength = 32;
    constexpr int kRounds = 24;
    RamBufferHandler cache;
    Sized(cache, kLength, 1);
    const int k = cache.PacketsPerBlock();
    auto numberAt = [k](int round, int pos) { return static_cast<uint32_t>(round * k + pos + 1); };

    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int round = 0; round < kRounds; ++round) {
            if (round % 8 == 7) {
                cache.ResetBlock(0);
            }
            for (int pos = 0; pos < k; ++pos) {
                std::vector<char> fields = FieldsOf(numberAt(round, pos), kLength);
                PARSED_DATA p = Describe(numberAt(round, pos), kLength, fields.data());
                cache.StorePacket(0, pos, &p);
            }
        }
        done = true;
    });

    long reads = 0;
    long found = 0;
    long inconsistent = 0;
    Reader reader(kLength);
    while (!done.load() && reads < 2'000'000) {
        const int pos = static_cast<int>((reads * 7919) % k);
        ++reads;
        if (reader.Read(cache, 0, pos) != 1) {
            continue;
        }
        ++found;
        const uint32_t n = reader.out.packetNumber;
        const bool whole = (n - 1) % static_cast<uint32_t>(k) == static_cast<uint32_t>(pos) &&
                           reader.out.time == uint64_t{n} * 1000u + 3u &&
                           reader.out.correlation == static_cast<uint16_t>(n * 3u) &&
                           reader.Fields() == FieldsOf(n, kLength) && reader.GuardIntact();
        if (!whole) {
            ++inconsistent;
        }
    }
    loader.join();

    RecordProperty("packets_read", std::to_string(found));
    EXPECT_EQ(inconsistent, 0) << "of " << found << " packets read";
    for (int pos = 0; pos < k; ++pos) {
        ExpectNumbered(cache, 0, pos, numberAt(kRounds - 1, pos));
    }
}
