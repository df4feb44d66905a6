#pragma once

// Counts every allocation of the process (malloc, calloc, realloc, operator new) while on.
// Linking it replaces the allocator, which the sanitizers own: only for builds without them.
namespace testsupport {

void CountAllocations(bool on);
long AllocationCount();

} // namespace testsupport
