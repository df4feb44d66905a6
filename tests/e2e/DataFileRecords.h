#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/store/DataFileRec.h"

namespace e2e {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The records of a data file of records of recordSize bytes; a cut last record is left out.
inline std::vector<Bytes> DataFileRecords(const Bytes& file, size_t recordSize)
{
    std::vector<Bytes> records;
    for (size_t at = 0; recordSize > 0 && at + recordSize <= file.size(); at += recordSize)
        records.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at),
                             file.begin() + static_cast<std::ptrdiff_t>(at + recordSize));
    return records;
}

inline uint32_t RecordNumber(const Bytes& record)
{
    uint32_t number = 0;
    if (record.size() >= DataFileRec::kNumberOffset + sizeof number)
        std::memcpy(&number, record.data() + DataFileRec::kNumberOffset, sizeof number);
    return number;
}

// Byte i of what the record holds after its header: the radio frame's own length byte, then
// the frame (its frame control from byte 1). 0 past the record.
inline uint8_t FrameByte(const Bytes& record, size_t i)
{
    const size_t at = DataFileRec::kNewHeaderSize + i;
    return at < record.size() ? record[at] : 0;
}

} // namespace e2e
