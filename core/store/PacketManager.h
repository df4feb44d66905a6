#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/store/BlockInfo.h"
#include "core/store/DiskBufferHandler.h"
#include "core/store/RamBufferHandler.h"
#include "platform/WindowMessages.h"
#include "plugin/frame/ParsedData.h"

class NodeSink;
class ReadFileThread;
class PacketFilter;
class PluginHandler;

// The one store of every packet of a run: numbers and parses each packet, keeps it in the
// disk buffer and a block index, and serves the views from a RAM-cache window that a loader
// thread fills. A display filter switches the views to a second index of matching packets,
// built by a scan thread.
class PacketManager {
public:
    static constexpr int kLoadListSize = RamBufferHandler::kMaxSlots;
    // What a length field can declare: ParsePacket reads from a buffer this large.
    static constexpr int kStagingRawSize = 14 + 65535 + 1;

    PacketManager();
    virtual ~PacketManager();
    PacketManager(const PacketManager&) = delete;
    PacketManager& operator=(const PacketManager&) = delete;

    void SetPluginHandler(PluginHandler* host) { host_ = host; }
    void SetNodeSink(NodeSink* sink) { nodeSink_ = sink; }
    void SetAddressBookWindow(platform::WindowHandle window) { addressBookWindow_ = window; }

    // The plug-in's record lengths: the store goes back to them whenever a data file of
    // another block size has been read (RestorePluginSizes, Restart). Stops a file reader.
    int Init(uint16_t rawLength, uint16_t parsedLength);
    // Back to the lengths Init was given, discarding the stored packets when the store was
    // sized for a data file. 1 when the store has the plug-in's lengths (again).
    int RestorePluginSizes();
    uint16_t PluginRawLength() const { return pluginRawLength_; }
    // Removes stale buffer files and names this run's one after processId.
    void CreateBufferFile(int processId, const std::string& folder = DiskBufferHandler::TemporaryFolder());
    int SetCacheSize(uint16_t mb);
    void SetClockMultiplier(double multiplier) { clockMultiplier_ = multiplier; }

    // The road of every packet; rec is H bytes and gets its number when numberIt is set.
    // info, when given, receives the packet's information byte once the plug-in parsed it.
    int AddPacket(uint8_t* rec, int numberIt, int capturedLength, int broadcastOnly,
                  uint8_t* info = nullptr);
    void AddErrorRecord(int32_t code);

    int32_t GetPacketCount(int useFilter) const;
    // Copies packet n (a filtered position while a filter is active) into out and its field
    // buffer (P bytes). 0 when it is not in the cache yet; with wait set the caller blocks
    // until the loader has copied it.
    int GetPacket(int32_t n, int wait, PARSED_DATA* out);
    // Copies the whole stored record of packet n (L bytes) into destination.
    int GetParsedData(int32_t n, uint8_t* destination);

    // Writes every stored packet (with a filter active, every passing one) as a data-file
    // record of 1 + H bytes. The records go to a temporary file beside path, which replaces
    // path only once every byte is on disk: on failure path is as it was and false comes back
    // with the reason (with the system's text) in *error, or in a message box when error is
    // nullptr.
    bool SaveToFile(const std::string& path, std::string* error = nullptr);
    // Empties the store, sizes it for records of blockSize bytes (0: the plug-in's H) and
    // starts reading the data file; WM_FILE_READ_DONE goes to window at the end, with the
    // reader's serial as wParam. 0 without a plug-in or for a block size the store cannot take:
    // the store is then untouched and the reason is in *error, or (block size) in a message
    // box when error is nullptr.
    int OpenFile(const std::string& path, platform::WindowHandle window, bool newLayout,
                 const std::string& protocolName, int32_t blockSize, std::string* error = nullptr);
    // Stops and deletes the reader, whether it has finished or not.
    void DeleteFileReader();
    // For WM_FILE_READ_DONE: deletes the reader only when serial (the message's wParam) is its
    // serial; the end of an earlier reader leaves the current one alone. When a display filter
    // is in force, the file's packets are then scanned for it. 1 when a reader was deleted.
    int DeleteFileReader(uint64_t serial);
    // The largest block size OpenFile takes with the plug-in's parsed length (the smallest is 5).
    int32_t MaxBlockSize() const;
    ReadFileThread* FileReader() { return fileReader_.get(); }

    void SetFilter(PacketFilter* filter);
    void FilterOff();
    // Empties the store; a file still being read is no longer read.
    void Reset();
    int Restart(int clearAll);
    int Stop(int clearRunning);
    int ReloadCurrentBlock();

    bool FilterActive() const { return filterActive_.load(); }
    bool CaptureRunning() const { return captureRunning_.load(); }
    bool LoaderRunning() const { return loader_.running.load(); }
    bool ScanRunning() const { return scan_.running.load(); }
    int32_t ErrorCount() const { return errorCount_.load(); }
    int32_t FilteredCount() const { return filteredCount_.load(); }
    uint16_t RawLength() const { return rawLength_; }
    uint16_t ParsedLength() const { return parsedLength_; }
    uint16_t RecordLength() const { return disk_.RecordLength(); }
    int PacketsPerBlock() const;
    DiskBufferHandler& Disk() { return disk_; }
    RamBufferHandler& Cache() { return ram_; }

    // A copy of block b of the all-packets (or filtered) index, for inspection; false if none.
    bool BlockOf(int32_t b, bool filtered, BLOCK_INFO& out) const;
    int32_t BlockCount(bool filtered) const;
    void Window(int32_t& first, int32_t& last) const;

    // Wait up to timeoutMs for the loader or the scan to end; true when it has.
    bool WaitForLoader(int timeoutMs) const;
    bool WaitForScan(int timeoutMs) const;

private:
    struct LoadEntry {
        int32_t slot = 0;
        int32_t block = 0;
    };
    struct Worker {
        std::thread thread;
        std::atomic<bool> running{false};
        std::atomic<bool> stop{false};
    };

    std::vector<BLOCK_INFO>& Active() { return filterActive_ ? filtered_ : all_; }
    int32_t& CurrentBlock() { return filterActive_ ? currentFilteredBlock_ : currentBlock_; }
    int K() const { return PacketsPerBlock(); }

    // Under the index mutex.
    void ClearIndex(bool filtered);
    int AddBlock(int32_t first, bool filtered, std::string& fatal);
    int UpdateBlockAdding(int32_t n, bool filtered, std::string& fatal);
    int UpdateBlockLoading(int32_t n, int32_t block);
    // Disk position n is the last packet there is to load into the active index.
    bool LastToLoad(int32_t n) const;
    int32_t StoreLoadedPacket(int32_t i, int32_t block, const PARSED_DATA& parsed);
    int SlideWindow(int32_t victim);
    int LoadWindow(int32_t b);
    void StartLoader(int32_t startPosition);
    void EndLoad();
    void MarkAllComplete();
    // Under addMutex_: new record lengths; the stored packets must be discarded with it.
    void Resize(uint16_t rawLength, uint16_t parsedLength);
    bool SizedForFile() const { return rawLength_ != pluginRawLength_ || parsedLength_ != pluginParsedLength_; }
    bool WriteDataFile(const std::string& path, std::string& failure);

    void StopWorker(Worker& worker);
    void StopLoader() { StopWorker(loader_); }
    void StopScan() { StopWorker(scan_); }
    void StartFilterScan();
    void BlockLoaderThread(int32_t startPosition);
    void FilterScanThread();
    // Enters filter match n in the filtered index; false, after the message, when it cannot.
    bool TakeMatch(int32_t n);
    // Sleeps about 100 ms unless the worker is asked to stop.
    void Pause(Worker& worker);
    void RebuildAllIndex();
    template <typename Done>
    static bool WaitUntil(Done done, int timeoutMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    PluginHandler* host_ = nullptr;
    NodeSink* nodeSink_ = nullptr;
    platform::WindowHandle addressBookWindow_ = 0;
    PacketFilter* filter_ = nullptr;

    std::atomic<bool> captureRunning_{false};
    std::atomic<bool> filterActive_{false};
    std::atomic<bool> broadcastOnly_{false};
    std::atomic<bool> fileOpened_{false};
    uint16_t rawLength_ = 0;
    uint16_t parsedLength_ = 0;
    uint16_t pluginRawLength_ = 0;
    uint16_t pluginParsedLength_ = 0;
    double clockMultiplier_ = 1.0;

    std::vector<BLOCK_INFO> all_;
    std::vector<BLOCK_INFO> filtered_;
    // Disk position of each matching packet, by filtered position - 1.
    std::vector<int32_t> matches_;
    int32_t currentBlock_ = 0;
    int32_t currentFilteredBlock_ = 0;
    std::atomic<int32_t> filteredCount_{0};
    std::atomic<int32_t> lastMatched_{0};
    std::atomic<int32_t> errorCount_{0};

    std::array<LoadEntry, kLoadListSize> loadList_{};
    int32_t loadPosition_ = 0;
    int32_t loadLength_ = 0;
    int32_t lastRequestedBlock_ = -1;
    int32_t waitingNumber_ = 0;
    int32_t windowFirst_ = 0;
    int32_t windowLast_ = 0;

    mutable std::mutex indexMutex_;
    std::condition_variable handOff_;
    std::mutex addMutex_; // one packet is added at a time
    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;

    DiskBufferHandler disk_;
    RamBufferHandler ram_;
    PARSED_DATA staging_{};
    std::vector<char> stagingFields_;
    std::vector<uint8_t> stagingRaw_;
    std::vector<uint8_t> record_;

    Worker loader_;
    Worker scan_;
    std::unique_ptr<ReadFileThread> fileReader_;
};
