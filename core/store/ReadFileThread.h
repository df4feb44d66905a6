#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/WindowMessages.h"

class PacketManager;

// Reads a capture data file record by record into the packet store on a thread of its own,
// then posts WM_FILE_READ_DONE to the window, whether or not the file could be read. The
// message's wParam is the reader's serial, so that the window can tell the end of an earlier
// reader from the end of the one it holds now.
class ReadFileThread {
public:
    ReadFileThread(PacketManager* store, int32_t blockSize);
    virtual ~ReadFileThread(); // stops the thread at the next record and joins it
    ReadFileThread(const ReadFileThread&) = delete;
    ReadFileThread& operator=(const ReadFileThread&) = delete;

    int Start(const std::string& path, platform::WindowHandle window, bool newLayout,
              const std::string& protocolName);
    bool Running() const { return running_.load(); }
    int64_t RecordsRead() const { return recordsRead_.load(); }
    // Unique in the process, never 0.
    uint64_t Serial() const { return serial_; }
    int32_t BlockSize() const { return blockSize_; }

private:
    void ThreadProc(std::string path, platform::WindowHandle window, bool newLayout, bool generic);

    PacketManager* store_;
    int32_t blockSize_;
    const uint64_t serial_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> recordsRead_{0};
    std::thread thread_;
};
