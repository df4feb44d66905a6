#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/store/FileCloser.h"
#include "core/store/RecordBatch.h"
#include "plugin/frame/ParsedData.h"

// The temporary file of fixed-size records that holds every stored packet of a run:
// [raw record, H bytes][PARSED_DATA, 80 bytes][field records, P bytes], numbered from 1.
//
// Records are appended to a batch in memory; a full batch goes to the file in one write on a
// thread of its own while the next one fills. Reads serve records from the batches until they
// are in the file, so a record can be read back as soon as it is written. A write the file
// refuses is reported by the next WriteRecord; the batch it held stays readable.
class DiskBufferHandler {
public:
    static constexpr uint64_t kSizeLimit = 4294967296ull; // 4 GiB
    static constexpr const char* kFilePrefix = "capdb";
    static constexpr size_t kBatchBytes = size_t{1} << 20; // rounded down to whole records

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

    // Appends one record of L bytes; 0 on a write error (this one's or an earlier batch's) or
    // past the 4 GiB limit. With used, only the record's first used bytes are copied: the rest
    // of the record reads back as whatever bytes were left there (a packet's unused fields).
    int WriteRecord(const uint8_t* record, size_t used = SIZE_MAX);
    // Writes the records still in memory to the file and waits for them; 0 on a write error.
    int Flush();
    // Copies record n (1..count) into destination (L bytes).
    int ReadRecord(int32_t n, uint8_t* destination);
    // Reads record n into parsed (which keeps its field-buffer pointer) and P bytes of field
    // records into parsed's field buffer.
    int ReadPacket(int32_t n, PARSED_DATA* parsed);
    // Copies records n, n + 1, ... (at most count, none past the count) into destination, back to
    // back; returns how many, only those before the gap when the file is short. No message: 0
    // with *error set to the system's error number, or to 0 when there was nothing to read.
    int32_t ReadRecords(int32_t n, int32_t count, uint8_t* destination, int* error);
    // A whole record of L bytes with an H-byte header into parsed, as ReadPacket hands it out.
    static void UnpackPacket(const uint8_t* record, uint16_t length, uint16_t header, PARSED_DATA* parsed);
    // ReadPacket's message for a read that failed with error (0: the record was short).
    static void ReportPacketReadFailure(int error);

    // The per-user temporary folder ($TMPDIR, else /tmp), with a trailing '/'.
    static std::string TemporaryFolder();
    // folder + "capdb" + process id.
    static std::string BufferFileName(const std::string& folder, int processId);
    // Deletes the buffer files in folder whose process no longer runs; returns how many.
    static int DeleteStaleBufferFiles(const std::string& folder);

private:
    // Bytes [offset, offset + length) into destination, with lock holding mutex_; release lets
    // it go before the read from the file. Returns how many bytes from offset on are there:
    // length, fewer when the file was short, 0 with *error set when a read failed.
    size_t CopyOut(std::unique_lock<std::mutex>& lock, bool release, uint64_t offset, size_t length,
                   uint8_t* destination, int* error);
    // All with mutex_ held.
    void WaitForWriter(std::unique_lock<std::mutex>& lock);
    // Lets go of lock while writing_ is busy (or not), at most a short while, then takes it again.
    void WaitAwake(std::unique_lock<std::mutex>& lock, bool busy);
    void DropBatches();
    int WriteFillBatch(); // errno, 0 when written
    int RetryFailedWrite(); // writes both batches; errno, 0 when written
    void WriterThread();

    std::string fileName_;
    int fd_ = -1;
    std::atomic<int32_t> count_{0};
    uint64_t fileSize_ = 0; // bytes of the records written, in the file or in the batches
    // Bytes [fillStart_, fileSize_) are in fill_; while flushing_ holds bytes, they are
    // [flushStart_, fillStart_) and the writer (writing_) or a failed write (writeError_) has them.
    RecordBatch fill_;
    RecordBatch flushing_;
    uint64_t fillStart_ = 0;
    uint64_t flushStart_ = 0;
    size_t batchCapacity_ = 0;
    std::atomic<bool> writing_{false}; // changed with mutex_ held; read without it to wait awake
    int writeError_ = 0;
    bool stopWriter_ = false;
    uint64_t reservedEnd_ = 0; // the writer's: file space reserved up to here
    std::condition_variable writerWake_;
    std::condition_variable writerIdle_;
    std::thread writer_;
    std::vector<uint8_t> recordBuffer_;
    uint16_t recordLength_ = 0;
    uint16_t headerLength_ = 0;
    mutable std::mutex mutex_;
    // Held shared by a read from the file while mutex_ is let go, and exclusively, with
    // mutex_, to close or replace the descriptor.
    std::shared_mutex fileMutex_;
    FileCloser closer_; // last member: joined first, before anything it could need
};
