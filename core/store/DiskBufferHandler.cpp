#include "core/store/DiskBufferHandler.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

namespace {

std::string SystemText(int error)
{
    return std::strerror(error);
}

// A batch goes to the file in writes that end on multiples of this size. The page cache takes
// a write in folios as large as the write: a megabyte at once needs large free blocks, which a
// machine that has run for a while (or a virtual machine that gave its free memory back) finds
// slowly; 64 KiB writes cost as little when memory is plentiful and stay fast when it is not.
constexpr size_t kWritePiece = 64 * 1024;

// Writes all of data at offset; false with errno set when the file refused any part of it.
bool WriteAll(int fd, const uint8_t* data, size_t length, uint64_t offset)
{
    while (length > 0) {
        const size_t toPieceEnd = kWritePiece - static_cast<size_t>(offset % kWritePiece);
        ssize_t done = pwrite(fd, data, std::min(length, toPieceEnd), static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (done == 0) {
            errno = EIO;
            return false;
        }
        data += done;
        length -= static_cast<size_t>(done);
        offset += static_cast<uint64_t>(done);
    }
    return true;
}

// The writer reserves the file's space this far ahead of its writes: a write into blocks that
// are already allocated costs the file system about a tenth less.
constexpr uint64_t kReserveAhead = uint64_t{32} << 20;

// Makes sure the file's space up to end is reserved, without changing the file's size. Only a
// hint: where the file system refuses, the writes go on without it (and report what fails).
void ReserveSpace(int fd, uint64_t end, uint64_t* reservedEnd)
{
    if (end <= *reservedEnd)
        return;
#ifdef FALLOC_FL_KEEP_SIZE
    const uint64_t to = end + kReserveAhead;
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(*reservedEnd), static_cast<off_t>(to - *reservedEnd)) == 0) {
        *reservedEnd = to;
        return;
    }
#else
    (void)fd;
#endif
    *reservedEnd = UINT64_MAX; // not asked again for this file
}

// How long the writer and a thread handing it batches wait for each other awake before they
// sleep. While a file is read or a board streams, a batch is full every fraction of a
// millisecond: waking a sleeping thread then costs the waker more than this wait costs.
constexpr auto kAwakeWait = std::chrono::microseconds(200);

// Reads up to length bytes at offset; the number read, or -1 with errno set.
ssize_t ReadAll(int fd, uint8_t* data, size_t length, uint64_t offset)
{
    size_t total = 0;
    while (total < length) {
        ssize_t done = pread(fd, data + total, length - total, static_cast<off_t>(offset + total));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (done == 0)
            break;
        total += static_cast<size_t>(done);
    }
    return static_cast<ssize_t>(total);
}

// "capdb" followed by one or more decimal digits; *pid gets the number (0 when it cannot be a
// process id at all).
bool IsBufferFileName(const char* name, pid_t* pid)
{
    const size_t prefixLength = std::strlen(DiskBufferHandler::kFilePrefix);
    if (std::strncmp(name, DiskBufferHandler::kFilePrefix, prefixLength) != 0)
        return false;
    const char* digits = name + prefixLength;
    if (*digits == '\0')
        return false;
    uint64_t value = 0;
    for (const char* p = digits; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        if (value <= static_cast<uint64_t>(INT_MAX))
            value = value * 10 + static_cast<uint64_t>(*p - '0');
    }
    *pid = value <= static_cast<uint64_t>(INT_MAX) ? static_cast<pid_t>(value) : 0;
    return true;
}

bool ProcessIsGone(pid_t pid)
{
    // Pid 0 and numbers beyond any pid name no process; kill(0, ...) would mean our own group.
    if (pid <= 0)
        return true;
    return kill(pid, 0) == -1 && errno == ESRCH;
}

} // namespace

DiskBufferHandler::DiskBufferHandler() = default;

DiskBufferHandler::~DiskBufferHandler()
{
    {
        std::unique_lock lock(mutex_);
        WaitForWriter(lock);
        stopWriter_ = true;
    }
    writerWake_.notify_all();
    if (writer_.joinable())
        writer_.join();
    std::lock_guard file(fileMutex_);
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
        unlink(fileName_.c_str());
    }
}

void DiskBufferHandler::SetFileName(const std::string& path)
{
    fileName_ = path;
}

void DiskBufferHandler::SetRecordLayout(uint16_t recordLength, uint16_t headerLength)
{
    std::unique_lock lock(mutex_);
    // Records of the old length still in memory belong in the file as they are.
    WaitForWriter(lock);
    if (fd_ >= 0)
        writeError_ = RetryFailedWrite();
    recordLength_ = recordLength;
    headerLength_ = headerLength;
    recordBuffer_.assign(recordLength, 0);
    batchCapacity_ = recordLength == 0 ? 0 : std::max<size_t>(1, kBatchBytes / recordLength) * recordLength;
    fill_.Reserve(batchCapacity_);
    flushing_.Reserve(batchCapacity_);
}

void DiskBufferHandler::WaitForWriter(std::unique_lock<std::mutex>& lock)
{
    if (writing_)
        WaitAwake(lock, true);
    writerIdle_.wait(lock, [this] { return !writing_; });
}

void DiskBufferHandler::WaitAwake(std::unique_lock<std::mutex>& lock, bool busy)
{
    lock.unlock();
    const auto until = std::chrono::steady_clock::now() + kAwakeWait;
    while (writing_.load(std::memory_order_relaxed) == busy && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    lock.lock();
}

void DiskBufferHandler::DropBatches()
{
    fill_.Clear();
    flushing_.Clear();
    fillStart_ = 0;
    flushStart_ = 0;
    writeError_ = 0;
}

int DiskBufferHandler::RetryFailedWrite()
{
    // Writes in place of what failed, from the batch's start: a part written before the failure
    // is written over.
    if (!flushing_.Empty()) {
        if (!WriteAll(fd_, flushing_.Data(), flushing_.Size(), flushStart_))
            return errno;
        flushing_.Clear();
    }
    if (!fill_.Empty())
        return WriteFillBatch();
    return 0;
}

int DiskBufferHandler::WriteFillBatch()
{
    if (!WriteAll(fd_, fill_.Data(), fill_.Size(), fillStart_))
        return errno;
    fillStart_ = fileSize_;
    fill_.Clear();
    return 0;
}

void DiskBufferHandler::WriterThread()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!writing_ && !stopWriter_)
            WaitAwake(lock, false);
        writerWake_.wait(lock, [this] { return stopWriter_ || writing_; });
        if (!writing_)
            return;
        // Nothing else touches flushing_'s bytes or the descriptor while writing_ is set.
        const int fd = fd_;
        const uint8_t* data = flushing_.Data();
        const size_t length = flushing_.Size();
        const uint64_t offset = flushStart_;
        lock.unlock();
        ReserveSpace(fd, offset + length, &reservedEnd_);
        const bool written = WriteAll(fd, data, length, offset);
        const int error = written ? 0 : errno;
        lock.lock();
        if (written)
            flushing_.Clear();
        else
            writeError_ = error; // the batch stays readable
        writing_ = false;
        writerIdle_.notify_all();
    }
}

int DiskBufferHandler::Create()
{
    int error = 0;
    {
        std::unique_lock lock(mutex_);
        WaitForWriter(lock);
        DropBatches();
        std::lock_guard file(fileMutex_); // no read of the old file is under way
        if (fd_ >= 0) {
            // Truncating a full buffer in place makes the caller wait while the file system
            // frees every block. Unlinked, the old file lives on through its descriptor, and
            // the closer frees it on its own thread; the name gets a new, empty file.
            if (unlink(fileName_.c_str()) == 0)
                closer_.Close(fd_);
            else
                close(fd_);
            fd_ = -1;
        }
        count_.store(0, std::memory_order_release);
        fileSize_ = 0;
        reservedEnd_ = 0;
        fd_ = open(fileName_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0)
            error = errno;
    }
    if (error != 0) {
        platform::ShowMessageBox("Can't open file: " + SystemText(error));
        return 0;
    }
    return 1;
}

int DiskBufferHandler::Flush()
{
    int error = 0;
    {
        std::unique_lock lock(mutex_);
        WaitForWriter(lock);
        if (fd_ < 0)
            return 1;
        error = writeError_ = RetryFailedWrite();
    }
    if (error != 0) {
        platform::ShowMessageBox("Can't write to file: " + SystemText(error));
        return 0;
    }
    return 1;
}

int DiskBufferHandler::Open()
{
    // What waits in memory goes to the file first: the file's size gives the count.
    if (Flush() == 0)
        return 0;
    int error = 0;
    {
        std::unique_lock lock(mutex_);
        WaitForWriter(lock);
        if (recordLength_ == 0)
            return 0;
        std::lock_guard file(fileMutex_); // no read of the old file is under way
        if (fd_ >= 0) {
            close(fd_);
            fd_ = -1;
        }
        DropBatches();
        int fd = open(fileName_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = errno;
        } else {
            struct stat info {};
            if (fstat(fd, &info) != 0) {
                close(fd);
                return 0;
            }
            const uint64_t records = static_cast<uint64_t>(info.st_size) / recordLength_;
            count_.store(records > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX
                                                                     : static_cast<int32_t>(records),
                         std::memory_order_release);
            // Append after the last whole record, over any partial tail, so that the next
            // record lands where its number says.
            fileSize_ = records * recordLength_;
            fillStart_ = fileSize_;
            reservedEnd_ = fileSize_;
            fd_ = fd;
        }
    }
    if (error != 0) {
        platform::ShowMessageBox("Can't open file: " + SystemText(error));
        return 0;
    }
    return 1;
}

int DiskBufferHandler::GetCount(int32_t* next, int flag) const
{
    if (flag != 0 && next != nullptr)
        *next = Count() + 1;
    return 1;
}

void DiskBufferHandler::AddCount()
{
    count_.fetch_add(1, std::memory_order_acq_rel);
}

// Message boxes are shown after the mutex is released: a box raised on a worker thread waits
// for the GUI thread, which may itself be waiting for this mutex to read a record.
int DiskBufferHandler::WriteRecord(const uint8_t* record, size_t used)
{
    if (record == nullptr)
        return 0;
    int error = 0;
    bool overflow = false;
    bool wake = false;
    {
        std::unique_lock lock(mutex_);
        if (fd_ < 0 || recordLength_ == 0)
            return 0;
        if (writeError_ != 0) {
            // The file refused a batch: nothing more is taken until it is written.
            WaitForWriter(lock);
            writeError_ = RetryFailedWrite();
        }
        if (writeError_ == 0 && fill_.Size() + recordLength_ > batchCapacity_) {
            WaitForWriter(lock);
            if (writeError_ == 0) {
                // The writer is idle and has written its batch: the full one goes next.
                fill_.Swap(flushing_);
                flushStart_ = fillStart_;
                fillStart_ = flushStart_ + flushing_.Size();
                fill_.Clear();
                writing_ = true;
                wake = true;
                if (!writer_.joinable())
                    writer_ = std::thread(&DiskBufferHandler::WriterThread, this);
            }
        }
        error = writeError_;
        if (error == 0) {
            fill_.Append(record, used, recordLength_);
            fileSize_ += recordLength_;
            overflow = fileSize_ > kSizeLimit;
        }
    }
    if (wake)
        writerWake_.notify_one();
    if (error != 0) {
        platform::ShowMessageBox("Can't write to file: " + SystemText(error));
        return 0;
    }
    if (overflow) {
        platform::ShowMessageBox(platform::FormatText(
            "Stopping data capture.\n\nPacket buffer overflow (%" PRIu64 " bytes).", kSizeLimit));
        return 0;
    }
    return 1;
}

size_t DiskBufferHandler::CopyOut(std::unique_lock<std::mutex>& lock, bool release, uint64_t offset, size_t length,
                                  uint8_t* destination, int* error)
{
    *error = 0;
    const uint64_t end = offset + length;
    if (end > fileSize_)
        return 0;
    // The part still in the batches first: they change once the lock is let go.
    const uint64_t inFile = flushing_.Empty() ? fillStart_ : flushStart_;
    uint64_t at = std::max(offset, inFile);
    if (at < end && at < fillStart_) {
        const size_t part = static_cast<size_t>(std::min(end, fillStart_) - at);
        std::memcpy(destination + (at - offset), flushing_.Data() + (at - flushStart_), part);
        at += part;
    }
    if (at < end)
        std::memcpy(destination + (at - offset), fill_.Data() + (at - fillStart_), static_cast<size_t>(end - at));
    if (offset >= inFile)
        return length;
    if (fd_ < 0) {
        *error = EBADF;
        return 0;
    }
    // What is in the file never changes, so its read needs only the descriptor kept open.
    std::shared_lock file(fileMutex_);
    const int fd = fd_;
    if (release)
        lock.unlock();
    const size_t part = static_cast<size_t>(std::min(end, inFile) - offset);
    const ssize_t got = ReadAll(fd, destination, part, offset);
    if (got < 0) {
        *error = errno;
        return 0;
    }
    // A short file: what follows the gap is of no use.
    return static_cast<size_t>(got) == part ? length : static_cast<size_t>(got);
}

int DiskBufferHandler::ReadRecord(int32_t n, uint8_t* destination)
{
    if (n <= 0 || n > Count() || destination == nullptr)
        return 0;
    bool complete = false;
    {
        std::unique_lock lock(mutex_);
        if (recordLength_ == 0)
            return 0;
        // Through the handler's buffer, so a short read leaves destination untouched.
        int error = 0;
        const uint64_t offset = static_cast<uint64_t>(n - 1) * recordLength_;
        complete = CopyOut(lock, false, offset, recordLength_, recordBuffer_.data(), &error) == recordLength_;
        if (complete)
            std::memcpy(destination, recordBuffer_.data(), recordLength_);
    }
    if (!complete) {
        platform::ShowMessageBox("Not able to read packet.");
        return 0;
    }
    return 1;
}

void DiskBufferHandler::UnpackPacket(const uint8_t* record, uint16_t length, uint16_t header, PARSED_DATA* parsed)
{
    const uint8_t* stored = record + header;
    LoadParsedData(*parsed, stored);
    const size_t fieldArea = length - header - kParsedDataStoredSize;
    // Without a field buffer only the descriptor can be handed out.
    if (fieldArea > 0 && parsed->fieldBuffer != nullptr)
        std::memcpy(parsed->fieldBuffer, stored + kParsedDataStoredSize, fieldArea);
}

void DiskBufferHandler::ReportPacketReadFailure(int error)
{
    platform::ShowMessageBox(error != 0 ? "Can't read disk buffer: " + SystemText(error)
                                        : std::string("Not able to read packet."));
}

int DiskBufferHandler::ReadPacket(int32_t n, PARSED_DATA* parsed)
{
    if (n <= 0 || n > Count() || parsed == nullptr)
        return 0;
    int error = 0;
    bool complete = false;
    {
        std::unique_lock lock(mutex_);
        if (recordLength_ == 0 ||
            recordLength_ < static_cast<uint32_t>(headerLength_) + kParsedDataStoredSize)
            return 0;
        const uint64_t offset = static_cast<uint64_t>(n - 1) * recordLength_;
        complete = CopyOut(lock, false, offset, recordLength_, recordBuffer_.data(), &error) == recordLength_;
        if (complete)
            UnpackPacket(recordBuffer_.data(), recordLength_, headerLength_, parsed);
    }
    if (!complete) {
        ReportPacketReadFailure(error);
        return 0;
    }
    return 1;
}

int32_t DiskBufferHandler::ReadRecords(int32_t n, int32_t count, uint8_t* destination, int* error)
{
    *error = 0;
    const int32_t stored = Count();
    if (n <= 0 || n > stored || count <= 0 || destination == nullptr)
        return 0;
    const int32_t records = std::min(count, stored - n + 1);
    std::unique_lock lock(mutex_);
    if (recordLength_ == 0)
        return 0;
    const uint64_t offset = static_cast<uint64_t>(n - 1) * recordLength_;
    const uint16_t length = recordLength_;
    // The caller's own destination: the file part is read without holding up the writer.
    const size_t copied = CopyOut(lock, true, offset, static_cast<size_t>(records) * length, destination, error);
    return static_cast<int32_t>(copied / length);
}

std::string DiskBufferHandler::TemporaryFolder()
{
    const char* value = std::getenv("TMPDIR");
    std::string folder = value != nullptr && *value != '\0' ? value : "/tmp";
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder + '/';
}

std::string DiskBufferHandler::BufferFileName(const std::string& folder, int processId)
{
    return folder + kFilePrefix + std::to_string(processId);
}

int DiskBufferHandler::DeleteStaleBufferFiles(const std::string& folder)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return 0;
    const int dirFd = dirfd(dir);
    int deleted = 0;
    while (const dirent* entry = readdir(dir)) {
        pid_t pid = 0;
        if (!IsBufferFileName(entry->d_name, &pid))
            continue;
        struct stat info {};
        if (fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (ProcessIsGone(pid) && unlinkat(dirFd, entry->d_name, 0) == 0)
            ++deleted;
    }
    closedir(dir);
    return deleted;
}
