// The Intel HEX reader on arbitrary text: any result, never a write outside the image.
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "platform/dravik/DravikHexFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    auto image = DravikHexFile::Create(data[0] % 2 ? DravikHexFile::kKindLargeFlash : DravikHexFile::kKindSmallFlash);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const int result = image->ReadHexText(text);
    Check(result <= static_cast<int>(size));
    if (result < 1) {
        // A failed read leaves the image erased.
        for (uint8_t b : image->Image())
            Check(b == 0xFF);
    }
    return 0;
}
