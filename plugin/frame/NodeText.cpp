#include "plugin/frame/NodeText.h"

#include <cstring>

#include "plugin/frame/HexText.h"
#include "plugin/frame/TextWriter.h"

void CopyNodeName(char* dst, int dstSize, const char* src)
{
    std::memset(dst, 0, static_cast<size_t>(dstSize));
    if (src == nullptr)
        return;
    size_t limit = static_cast<size_t>(dstSize - 1 < kNodeNameChars ? dstSize - 1 : kNodeNameChars);
    std::memcpy(dst, src, strnlen(src, limit));
}

void FormatNodeText(char* text, const char* name, uint32_t address)
{
    // A name of the slice's full width keeps no NUL of its own: the address slice ends it.
    std::memset(text + kNodeNameOffset, 0, kNodeNameWidth);
    if (name != nullptr)
        std::memcpy(text + kNodeNameOffset, name, strnlen(name, kNodeNameWidth));
    TextWriter(text + kNodeAddressOffset, kNodeAddressWidth).Hex(address, 8);
}

void ReadNodeText(const char* text, char* name, uint32_t* address)
{
    CopyNodeName(name, kNodeNameChars + 1, text + kNodeNameOffset);
    // The slice may be full without a NUL; the hex reader scans to one, so give it one.
    char slice[kNodeAddressWidth + 1] = {};
    std::memcpy(slice, text + kNodeAddressOffset, strnlen(text + kNodeAddressOffset, kNodeAddressWidth));
    *address = HexStrToU32(slice);
}
