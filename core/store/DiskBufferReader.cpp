#include "core/store/DiskBufferReader.h"

#include <algorithm>

#include "core/store/DiskBufferHandler.h"
#include "platform/MessageBox.h"

DiskBufferReader::DiskBufferReader(DiskBufferHandler& disk) : disk_(disk) {}

const uint8_t* DiskBufferReader::Fetch(int32_t n, int* error)
{
    *error = 0;
    const uint16_t length = disk_.RecordLength();
    if (length == 0 || n <= 0 || n > disk_.Count())
        return nullptr;
    if (n >= first_ && n < first_ + count_)
        return run_.data() + static_cast<size_t>(n - first_) * length;
    const int32_t perRun = static_cast<int32_t>(std::max<size_t>(1, DiskBufferHandler::kBatchBytes / length));
    run_.resize(static_cast<size_t>(perRun) * length);
    count_ = disk_.ReadRecords(n, perRun, run_.data(), error);
    first_ = n;
    return count_ > 0 ? run_.data() : nullptr;
}

const uint8_t* DiskBufferReader::Record(int32_t n)
{
    if (n <= 0 || n > disk_.Count())
        return nullptr;
    int error = 0;
    const uint8_t* record = Fetch(n, &error);
    if (record == nullptr)
        platform::ShowMessageBox("Not able to read packet.");
    return record;
}

int DiskBufferReader::ReadPacket(int32_t n, PARSED_DATA* parsed)
{
    int error = 0;
    const int read = TryReadPacket(n, parsed, &error);
    if (read < 0) {
        DiskBufferHandler::ReportPacketReadFailure(error);
        return 0;
    }
    return read;
}

int DiskBufferReader::TryReadPacket(int32_t n, PARSED_DATA* parsed, int* error)
{
    *error = 0;
    const uint16_t length = disk_.RecordLength();
    const uint16_t header = disk_.HeaderLength();
    if (n <= 0 || n > disk_.Count() || parsed == nullptr || length == 0 ||
        length < static_cast<uint32_t>(header) + kParsedDataStoredSize)
        return 0;
    const uint8_t* record = Fetch(n, error);
    if (record == nullptr)
        return -1;
    DiskBufferHandler::UnpackPacket(record, length, header, parsed);
    return 1;
}
