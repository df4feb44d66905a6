#include "plugin/tolvane/TolvaneNodeText.h"

#include <cstring>

#include "plugin/frame/HexText.h"
#include "plugin/frame/TextWriter.h"

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
    TextWriter(text + kNodePanOffset, kNodeHexWidth16).Hex(node.panId, 4);
    TextWriter(text + kNodeShortOffset, kNodeHexWidth16).Hex(node.shortAddress, 4);
    TextWriter(text + kNodeExtendedOffset, kNodeExtendedWidth).Hex(node.extendedAddress, 16);
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
