#include "plugin/tolvane/TolvaneNodeText.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "plugin/frame/HexText.h"

namespace tolvane {

namespace {

// The Width bytes of a slice, up to a NUL among them, as a NUL-terminated text.
template <int Width>
struct Slice {
    explicit Slice(const char* text)
    {
        std::memcpy(chars, text, strnlen(text, Width));
    }
    char chars[Width + 1] = {};
};

} // namespace

void CopyNodeName(char (&dst)[sizeof(NODE_INFO::name)], const char* src)
{
    std::memset(dst, 0, sizeof dst);
    if (src != nullptr)
        std::memcpy(dst, src, strnlen(src, kNodeNameChars));
}

void FormatNodeText(char* text, const NODE_INFO& node)
{
    std::memset(text, 0, kNodeTextSize);
    std::memcpy(text + kNodeNameOffset, node.name, strnlen(node.name, kNodeNameChars));
    std::snprintf(text + kNodePanOffset, kNodeHexWidth16, "0x%4.4X", node.panId);
    std::snprintf(text + kNodeShortOffset, kNodeHexWidth16, "0x%4.4X", node.shortAddress);
    std::snprintf(text + kNodeExtendedOffset, kNodeExtendedWidth, "0x%016" PRIX64, node.extendedAddress);
}

NODE_INFO ReadNodeText(const char* text)
{
    NODE_INFO node{};
    // The name ends where the PAN id begins, and keeps room for its NUL.
    CopyNodeName(node.name, Slice<kNodeNameWidth>(text + kNodeNameOffset).chars);
    node.panId = HexStrToU16(Slice<kNodeHexWidth16>(text + kNodePanOffset).chars);
    node.shortAddress = HexStrToU16(Slice<kNodeHexWidth16>(text + kNodeShortOffset).chars);
    node.extendedAddress = HexStrToU64(Slice<kNodeExtendedWidth>(text + kNodeExtendedOffset).chars);
    return node;
}

} // namespace tolvane
