// Decoding allocates nothing per packet: every allocation of the process is counted
// while a stream of frames goes through the loaded plug-in.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "tests/support/GenericRecord.h"
#include "tests/support/PluginUnderTest.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void Count()
{
    if (g_counting.load(std::memory_order_relaxed))
        g_allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" void* malloc(size_t size)
{
    Count();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    Count();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* p, size_t size)
{
    Count();
    return __libc_realloc(p, size);
}

void* operator new(size_t size)
{
    Count();
    if (void* p = __libc_malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}

TEST(HalyardAllocation, DecodingAStreamAllocatesNothing)
{
    testsupport::PluginUnderTest halyard(HALYARD_PATH);
    std::mt19937 random(7);
    std::vector<std::vector<uint8_t>> records;
    for (uint32_t i = 0; i < 256; ++i) {
        std::vector<uint8_t> payload(20 + random() % 101);
        for (auto& b : payload)
            b = static_cast<uint8_t>(random());
        records.push_back(testsupport::MakeGenericRecord(i + 1, i * 3200ull, payload,
                                                         static_cast<uint8_t>(random()),
                                                         static_cast<uint8_t>(random()), 256));
    }
    std::vector<char> buffer(1024);
    halyard.setPacketLength(static_cast<int>(buffer.size()));
    halyard.setChipType(0x6F86);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();

    g_counting = true;
    for (int round = 0; round < 20; ++round)
        for (const auto& record : records)
            halyard.parsePacket(record.data(), &out, 1.0, 0);
    g_counting = false;

    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(out.status, PARSE_OK);

    // The counter does see allocations.
    g_counting = true;
    auto* probe = new std::vector<int>(10);
    g_counting = false;
    delete probe;
    EXPECT_GE(g_allocations.load(), 1);
}
