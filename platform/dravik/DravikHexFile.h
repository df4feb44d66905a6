#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A firmware image read from an Intel HEX file into the flash layout of one image kind.
// Bytes the file does not set read as 0xFF, as erased flash does.
class DravikHexFile {
public:
    static constexpr int kKindSmallFlash = 10; // 32 KiB
    static constexpr int kKindLargeFlash = 11; // 256 KiB

    // Results of ReadHexFile below 1.
    static constexpr int kCannotOpen = -1;
    static constexpr int kBadRecord = -2;     // syntax, length or checksum
    static constexpr int kOutsideImage = -3;  // data beyond the kind's flash
    static constexpr int kNoEndRecord = -4;
    static constexpr int kNoData = 0;

    // An empty image of that kind; nullptr for a kind there is none of.
    static std::unique_ptr<DravikHexFile> Create(int kind);

    // Reads the file; the number of data bytes set (above 0) on success. On failure the image
    // is empty again and ErrorLine() names the line at fault (0 when none).
    int ReadHexFile(const std::string& path);
    // The same from text already in memory.
    int ReadHexText(const std::string& text);

    int Kind() const { return kind_; }
    uint32_t Size() const { return static_cast<uint32_t>(image_.size()); }
    const std::vector<uint8_t>& Image() const { return image_; }
    uint8_t Byte(uint32_t address) const { return address < image_.size() ? image_[address] : 0xFF; }
    // Little-endian 16-bit value at address (0xFFFF past the image).
    uint16_t Word(uint32_t address) const { return static_cast<uint16_t>(Byte(address) | Byte(address + 1) << 8); }
    int ErrorLine() const { return errorLine_; }

private:
    DravikHexFile(int kind, uint32_t size);
    void Clear();

    int kind_;
    std::vector<uint8_t> image_;
    int errorLine_ = 0;
};
