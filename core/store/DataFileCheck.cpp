#include "core/store/DataFileCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/store/DataFileRec.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kCheckedRecords = 3;

// The records of the "Generic" plug-in are numbered one by one: three in a row tell a file of
// its own layout even when the first record's frame does not look like one.
bool NumberedInARow(const uint8_t* data, size_t size, size_t recordSize)
{
    if (size < kCheckedRecords * recordSize)
        return false;
    const int32_t r = static_cast<int32_t>(recordSize);
    const uint32_t first = DataFileRec::PacketNumber(data, r);
    return DataFileRec::PacketNumber(data + recordSize, r) == first + 1 &&
           DataFileRec::PacketNumber(data + 2 * recordSize, r) == first + 2;
}

int Decide(bool determined, int* layout)
{
    *layout = determined ? 1 : 0;
    return determined ? 1 : 0;
}

// Reads up to length bytes from the start of the file; a read error ends what was read (the
// reader meets it again and reports it).
size_t ReadStart(int fd, uint8_t* data, size_t length)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd, data + done, length - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

} // namespace

size_t DataFileCheckLength(uint16_t rawLength)
{
    return kCheckedRecords * (1 + static_cast<size_t>(rawLength));
}

int CheckDataFileBytes(const uint8_t* data, size_t size, uint16_t rawLength, bool generic, int* layout)
{
    const size_t recordSize = 1 + static_cast<size_t>(rawLength);
    const int32_t r = static_cast<int32_t>(recordSize);
    const bool numbered = generic && NumberedInARow(data, size, recordSize);
    // A record too short for the length fields cannot show its layout.
    if (size < recordSize || r <= DataFileRec::kLengthByteOffset)
        return Decide(numbered, layout);
    const uint8_t info = data[0];
    const int lengthByte = data[DataFileRec::kLengthByteOffset];
    if (data[DataFileRec::kLengthOffset + 1] != 0)
        return Decide(numbered, layout);
    const bool countsStatus = (info & DataFileRec::kInfoLengthCountsStatus) != 0;
    // The new layout's N is the length byte's frame plus the length byte itself.
    if (data[DataFileRec::kLengthOffset] != lengthByte + (countsStatus ? 1 : 3))
        return Decide(numbered, layout);
    // Behind the used bytes a record of the new layout holds zeros only.
    const int32_t firstUnused = lengthByte + (countsStatus ? 16 : 18);
    for (int32_t i = firstUnused; i < r; ++i)
        if (data[i] != 0)
            return Decide(false, layout);
    return Decide(true, layout);
}

int CheckDataFileLayout(const std::string& path, uint16_t rawLength, int* layout,
                        const std::string& protocolName, std::string* error)
{
    // O_NONBLOCK: a pipe without a writer must not hold up the window.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        fd = -1;
        errno = EISDIR;
    }
    if (fd < 0) {
        const std::string text = std::string("Can't open file: ") + std::strerror(errno);
        if (error != nullptr)
            *error = text;
        else
            platform::ShowMessageBox(text);
        return 0;
    }
    std::vector<uint8_t> start(DataFileCheckLength(rawLength));
    const size_t size = ReadStart(fd, start.data(), start.size());
    ::close(fd);
    // Exactly the bytes the file holds, so that a read beyond them is caught where it is made.
    const std::vector<uint8_t> bytes(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(size));
    return CheckDataFileBytes(bytes.data(), bytes.size(), rawLength, protocolName == "Generic", layout);
}
