#include <cstddef>
#include <cstdint>

// Filled in with the data-file check.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
