#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/store/FileCloser.h"
#include "plugin/frame/ParsedData.h"

// The temporary file of fixed-size records that holds every stored packet of a run:
// [raw record, H bytes][PARSED_DATA, 80 bytes][field records, P bytes], numbered from 1.
class DiskBufferHandler {
public:
    static constexpr uint64_t kSizeLimit = 4294967296ull; // 4 GiB
    static constexpr const char* kFilePrefix = "capdb";

    DiskBufferHandler();
    virtual ~DiskBufferHandler(); // closes and deletes the file
    DiskBufferHandler(const DiskBufferHandler&) = delete;
    DiskBufferHandler& operator=(const DiskBufferHandler&) = delete;

    void SetFileName(const std::string& path);
    const std::string& FileName() const { return fileName_; }
    // Record length L = H + 80 + P and header length H.
    void SetRecordLayout(uint16_t recordLength, uint16_t headerLength);
    uint16_t RecordLength() const { return recordLength_; }
    uint16_t HeaderLength() const { return headerLength_; }

    // Creates the file anew (truncating it); count 0.
    int Create();
    // Opens the file keeping its records; count = whole records it holds.
    int Open();
    bool IsOpen() const { return fd_ >= 0; }

    // When flag is non-zero, *next := count + 1. Returns 1.
    int GetCount(int32_t* next, int flag) const;
    int32_t Count() const { return count_.load(std::memory_order_acquire); }
    void AddCount();

    // Appends one record of L bytes; 0 on a write error or past the 4 GiB limit.
    int WriteRecord(const uint8_t* record);
    // Copies record n (1..count) into destination (L bytes).
    int ReadRecord(int32_t n, uint8_t* destination);
    // Reads record n into parsed (which keeps its field-buffer pointer) and P bytes of field
    // records into parsed's field buffer.
    int ReadPacket(int32_t n, PARSED_DATA* parsed);

    // The per-user temporary folder ($TMPDIR, else /tmp), with a trailing '/'.
    static std::string TemporaryFolder();
    // folder + "capdb" + process id.
    static std::string BufferFileName(const std::string& folder, int processId);
    // Deletes the buffer files in folder whose process no longer runs; returns how many.
    static int DeleteStaleBufferFiles(const std::string& folder);

private:
    std::string fileName_;
    int fd_ = -1;
    std::atomic<int32_t> count_{0};
    uint64_t fileSize_ = 0;
    std::vector<uint8_t> recordBuffer_;
    uint16_t recordLength_ = 0;
    uint16_t headerLength_ = 0;
    mutable std::mutex mutex_;
    FileCloser closer_; // last member: joined first, before anything it could need
};
