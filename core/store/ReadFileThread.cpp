#include "core/store/ReadFileThread.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/store/DataFileRec.h"
#include "core/store/PacketManager.h"
#include "platform/MessageBox.h"

namespace {

constexpr size_t kNameLimit = 256;
constexpr size_t kReadBuffer = 1 << 16;

uint64_t NextSerial()
{
    static std::atomic<uint64_t> serial{0};
    return ++serial;
}

} // namespace

ReadFileThread::ReadFileThread(PacketManager* store, int32_t blockSize)
    : store_(store), blockSize_(blockSize), serial_(NextSerial())
{
}

ReadFileThread::~ReadFileThread()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

int ReadFileThread::Start(const std::string& path, platform::WindowHandle window, bool newLayout,
                          const std::string& protocolName)
{
    if (thread_.joinable())
        thread_.join();
    running_ = true;
    const bool generic = protocolName.substr(0, kNameLimit - 1) == "Generic";
    // The whole path: a path cut short would name another file.
    thread_ = std::thread(&ReadFileThread::ThreadProc, this, path, window, newLayout, generic);
    return 1;
}

void ReadFileThread::ThreadProc(std::string path, platform::WindowHandle window, bool newLayout, bool generic)
{
    const int32_t recordSize = 1 + blockSize_;
    // AddPacket takes H bytes of the raw record whatever the block size: never read past ours.
    const size_t bufferSize = static_cast<size_t>(std::max<int32_t>(recordSize, 1 + store_->RawLength()));
    std::vector<uint8_t> record(bufferSize, 0);
    FILE* file = std::fopen(path.c_str(), "rb");
    struct stat info {};
    if (file != nullptr && fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        file = nullptr;
        errno = EISDIR;
    }
    if (file == nullptr) {
        platform::ShowMessageBox(std::string("Can't open file: ") + std::strerror(errno));
    } else {
        std::setvbuf(file, nullptr, _IOFBF, kReadBuffer);
        while (!stop_) {
            errno = 0;
            if (std::fread(record.data(), 1, static_cast<size_t>(recordSize), file) != static_cast<size_t>(recordSize)) {
                // The end, or a trailing partial record; a read error must not pass for the end.
                if (std::ferror(file))
                    platform::ShowMessageBox(std::string("Can't read file: ") + std::strerror(errno != 0 ? errno : EIO));
                break;
            }
            const int captured = DataFileRec::PrepareReadRecord(record.data(), recordSize, newLayout, generic);
            ++recordsRead_;
            // A store that refuses a packet (disk full, buffer limit) refuses the rest too:
            // stop instead of failing, and reporting, once per remaining record.
            if (store_->AddPacket(record.data() + 1, 0, captured, 0) == 0)
                break;
        }
        std::fclose(file);
    }
    running_ = false;
    platform::PostWindowMessage(window, platform::WM_FILE_READ_DONE, serial_, 0);
}
