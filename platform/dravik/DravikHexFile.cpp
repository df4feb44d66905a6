#include "platform/dravik/DravikHexFile.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/HexDigit.h"

namespace {

constexpr uint8_t kErased = 0xFF;

enum RecordType : uint8_t {
    kData = 0x00,
    kEndOfFile = 0x01,
    kExtendedSegmentAddress = 0x02,
    kStartSegmentAddress = 0x03,
    kExtendedLinearAddress = 0x04,
    kStartLinearAddress = 0x05,
};

// The bytes of one record line (after ':'); false when the text is no sequence of hex pairs.
bool DecodeRecord(const std::string& line, std::vector<uint8_t>& bytes)
{
    size_t end = line.size();
    while (end > 1 && (line[end - 1] == '\r' || line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    if ((end - 1) % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 1; i < end; i += 2) {
        const int high = platform::HexDigit(line[i]);
        const int low = platform::HexDigit(line[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

} // namespace

std::unique_ptr<DravikHexFile> DravikHexFile::Create(int kind)
{
    switch (kind) {
    case kKindSmallFlash: return std::unique_ptr<DravikHexFile>(new DravikHexFile(kind, 32u * 1024));
    case kKindLargeFlash: return std::unique_ptr<DravikHexFile>(new DravikHexFile(kind, 256u * 1024));
    default: return nullptr;
    }
}

DravikHexFile::DravikHexFile(int kind, uint32_t size) : kind_(kind), image_(size, kErased) {}

void DravikHexFile::Clear()
{
    std::fill(image_.begin(), image_.end(), kErased);
}

int DravikHexFile::ReadHexFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Clear();
        errorLine_ = 0;
        return kCannotOpen;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ReadHexText(text.str());
}

int DravikHexFile::ReadHexText(const std::string& text)
{
    Clear();
    errorLine_ = 0;
    std::istringstream in(text);
    std::string line;
    std::vector<uint8_t> bytes;
    uint32_t base = 0;
    int lineNumber = 0;
    int dataBytes = 0;
    auto fail = [&](int result) {
        Clear();
        errorLine_ = lineNumber;
        return result;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line == "\r")
            continue;
        if (line[0] != ':' || !DecodeRecord(line, bytes) || bytes.size() < 5)
            return fail(kBadRecord);
        const uint8_t count = bytes[0];
        if (bytes.size() != 5u + count)
            return fail(kBadRecord);
        uint8_t sum = 0;
        for (uint8_t b : bytes)
            sum = static_cast<uint8_t>(sum + b);
        if (sum != 0)
            return fail(kBadRecord);
        const uint16_t offset = static_cast<uint16_t>(bytes[1] << 8 | bytes[2]);
        const uint8_t type = bytes[3];
        const uint8_t* data = bytes.data() + 4;
        switch (type) {
        case kData:
            for (uint32_t i = 0; i < count; ++i) {
                // Offsets wrap inside their 64 KiB segment, as the format defines.
                const uint32_t address = base + static_cast<uint16_t>(offset + i);
                if (address >= image_.size())
                    return fail(kOutsideImage);
                image_[address] = data[i];
            }
            dataBytes += count;
            break;
        case kEndOfFile:
            if (count != 0)
                return fail(kBadRecord);
            return dataBytes > 0 ? dataBytes : fail(kNoData);
        case kExtendedSegmentAddress:
            if (count != 2)
                return fail(kBadRecord);
            base = static_cast<uint32_t>(data[0] << 8 | data[1]) << 4;
            break;
        case kExtendedLinearAddress:
            if (count != 2)
                return fail(kBadRecord);
            base = static_cast<uint32_t>(data[0] << 8 | data[1]) << 16;
            break;
        case kStartSegmentAddress:
        case kStartLinearAddress:
            if (count != 4)
                return fail(kBadRecord);
            break;
        default:
            return fail(kBadRecord);
        }
    }
    return fail(kNoEndRecord);
}
