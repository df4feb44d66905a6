#include "tests/support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

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

namespace testsupport {

void CountAllocations(bool on)
{
    if (on)
        g_allocations = 0;
    g_counting = on;
}

long AllocationCount()
{
    return g_allocations.load();
}

} // namespace testsupport

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
