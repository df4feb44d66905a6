#include "core/store/PacketManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/DataFileRec.h"
#include "core/store/DiskBufferReader.h"
#include "core/store/NodeSink.h"
#include "core/store/ParallelFilterScan.h"
#include "core/store/ReadFileThread.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"
#include "plugin/frame/RawPacketRec.h"

namespace {

constexpr int kMinRawLength = 5;
constexpr int kMaxRecordLength = 65535;

BLOCK_INFO NewBlock(int32_t first, int32_t k)
{
    return BLOCK_INFO{first, 0, first - 1, 0, first - 1, first + k - 1, 0, BLOCK_NEW};
}

} // namespace

PacketManager::PacketManager() = default;

PacketManager::~PacketManager()
{
    fileReader_.reset();
    StopLoader();
    StopScan();
}

int PacketManager::PacketsPerBlock() const
{
    // A cache that could not be sized must still let every position fall into a block.
    return std::max(1, ram_.PacketsPerBlock());
}

int PacketManager::Init(uint16_t rawLength, uint16_t parsedLength)
{
    if (rawLength < kMinRawLength || int{rawLength} + parsedLength + kParsedDataStoredSize > kMaxRecordLength)
        return 0;
    // A reader goes on with the lengths it started with: it ends before they change.
    fileReader_.reset();
    platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
    std::lock_guard add(addMutex_);
    pluginRawLength_ = rawLength;
    pluginParsedLength_ = parsedLength;
    Resize(rawLength, parsedLength);
    return 1;
}

void PacketManager::Resize(uint16_t rawLength, uint16_t parsedLength)
{
    rawLength_ = rawLength;
    parsedLength_ = parsedLength;
    const uint16_t recordLength = static_cast<uint16_t>(rawLength + parsedLength + kParsedDataStoredSize);
    disk_.SetRecordLayout(recordLength, rawLength);
    ram_.SetParsedLength(parsedLength);
    stagingFields_.assign(parsedLength, 0);
    staging_ = PARSED_DATA{};
    staging_.fieldBuffer = stagingFields_.data();
    stagingRaw_.assign(std::max<size_t>(kStagingRawSize, rawLength), 0);
    record_.assign(recordLength, 0);
}

int32_t PacketManager::MaxBlockSize() const
{
    return kMaxRecordLength - kParsedDataStoredSize - pluginParsedLength_;
}

int PacketManager::RestorePluginSizes()
{
    if (pluginParsedLength_ == 0)
        return 0;
    if (!SizedForFile())
        return 1;
    fileReader_.reset();
    StopLoader();
    const bool filtering = filterActive_;
    StopScan();
    platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
    std::lock_guard add(addMutex_);
    std::lock_guard lock(indexMutex_);
    filterActive_ = filtering;
    // Records of the file's length cannot be read with the plug-in's: they go.
    Resize(pluginRawLength_, pluginParsedLength_);
    ram_.ResetAll();
    const int created = disk_.Create();
    ClearIndex(false);
    ClearIndex(true);
    filteredCount_ = 0;
    lastMatched_ = 0;
    errorCount_ = 0;
    return created;
}

void PacketManager::CreateBufferFile(int processId, const std::string& folder)
{
    DiskBufferHandler::DeleteStaleBufferFiles(folder);
    disk_.SetFileName(DiskBufferHandler::BufferFileName(folder, processId));
}

int PacketManager::SetCacheSize(uint16_t mb)
{
    StopLoader();
    StopScan();
    platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
    std::lock_guard add(addMutex_);
    std::lock_guard lock(indexMutex_);
    ram_.FreeAll();
    const int allocated = ram_.Allocate(mb);
    ClearIndex(false);
    ClearIndex(true);
    // K may have changed: the stored packets get an index of the new block size.
    RebuildAllIndex();
    filteredCount_ = 0;
    lastMatched_ = 0;
    return allocated;
}

void PacketManager::RebuildAllIndex()
{
    std::string fatal;
    const int32_t count = disk_.Count();
    for (int32_t n = 1; n <= count; ++n)
        UpdateBlockAdding(n, false, fatal);
    if (!all_.empty() && all_[currentBlock_].state == BLOCK_FILLING)
        all_[currentBlock_].state = BLOCK_COMPLETE;
}

// ---------------------------------------------------------------- index

void PacketManager::ClearIndex(bool filtered)
{
    std::vector<BLOCK_INFO>& index = filtered ? filtered_ : all_;
    index.clear();
    index.push_back(NewBlock(1, K()));
    loadList_.fill(LoadEntry{});
    loadPosition_ = loadLength_ = 0;
    windowFirst_ = windowLast_ = 0;
    lastRequestedBlock_ = -1;
    (filtered ? currentFilteredBlock_ : currentBlock_) = 0;
    if (filtered)
        matches_.clear();
}

int PacketManager::AddBlock(int32_t first, bool filtered, std::string& fatal)
{
    std::vector<BLOCK_INFO>& index = filtered ? filtered_ : all_;
    int32_t& current = filtered ? currentFilteredBlock_ : currentBlock_;
    index.push_back(NewBlock(first, K()));
    if (static_cast<int32_t>(index.size()) - 1 != current + 1) {
        fatal = platform::FormatText(
            filtered ? "Fatal error: Adding record in Block information for filter failed:\nCurrent block number = %d"
                     : "Fatal error: Adding record in Block information failed:\nCurrent block number = %d",
            current);
        return 0;
    }
    ++current;
    return 1;
}

int PacketManager::UpdateBlockAdding(int32_t n, bool filtered, std::string& fatal)
{
    std::vector<BLOCK_INFO>& index = filtered ? filtered_ : all_;
    BLOCK_INFO& e = index[filtered ? currentFilteredBlock_ : currentBlock_];
    if (e.firstStored == 0) {
        if (e.state != BLOCK_LOADING)
            e.state = BLOCK_FILLING;
        e.firstStored = n;
    }
    e.lastAdded = n;
    if (e.filled < e.last)
        ++e.filled;
    if (e.filled == e.last) {
        if (e.state == BLOCK_FILLING)
            e.state = BLOCK_COMPLETE;
        return AddBlock(e.filled + 1, filtered, fatal);
    }
    return 1;
}

void PacketManager::MarkAllComplete()
{
    for (BLOCK_INFO& e : all_)
        e.state = BLOCK_COMPLETE;
}

// ---------------------------------------------------------------- adding

int PacketManager::AddPacket(uint8_t* rec, int numberIt, int capturedLength, int broadcastOnly,
                             uint8_t* info)
{
    platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
    std::lock_guard add(addMutex_);
    if (host_ == nullptr || record_.empty()) {
        captureRunning_ = false;
        return 0;
    }
    broadcastOnly_ = broadcastOnly != 0;
    if (numberIt) {
        const uint32_t number = static_cast<uint32_t>(disk_.Count()) + 1;
        std::memcpy(rec, &number, sizeof number);
    }
    // The plug-in reads whatever length the record declares: never past memory we own.
    std::memcpy(stagingRaw_.data(), rec, rawLength_);
    if (host_->ParsePacket(stagingRaw_.data(), &staging_, clockMultiplier_, capturedLength) == 0) {
        captureRunning_ = false;
        return 0;
    }
    if (info != nullptr)
        *info = static_cast<uint8_t>(staging_.infoFlags & 0xFF);
    std::memcpy(record_.data(), stagingRaw_.data(), rawLength_);
    StoreParsedData(record_.data() + rawLength_, staging_);
    // Only the field records the plug-in wrote are stored: readers go no further.
    const size_t fieldBytes = staging_.bytesUsed < 0 ? parsedLength_
                                                     : std::min<size_t>(staging_.bytesUsed, parsedLength_);
    std::memcpy(record_.data() + rawLength_ + kParsedDataStoredSize, stagingFields_.data(), fieldBytes);
    if (!broadcastOnly && disk_.WriteRecord(record_.data(), rawLength_ + kParsedDataStoredSize + fieldBytes) == 0) {
        captureRunning_ = false;
        return 0;
    }
    staging_.indexed = 1;
    std::string fatal;
    int updated;
    {
        std::lock_guard lock(indexMutex_);
        updated = UpdateBlockAdding(disk_.Count() + 1, false, fatal);
    }
    if (updated == 0) {
        platform::ShowMessageBox(fatal);
        captureRunning_ = false;
        return 0;
    }
    if (staging_.crcOk) {
        if (staging_.nodeIdsChanged && nodeSink_ != nullptr) {
            nodeSink_->AddNodes(static_cast<uint32_t>(staging_.srcNodeId), static_cast<uint32_t>(staging_.dstNodeId));
        }
        if (staging_.noticesWaiting)
            platform::PostWindowMessage(addressBookWindow_, platform::WM_ADDRBOOK_PENDING, 0, 0);
    } else {
        ++errorCount_;
    }
    disk_.AddCount();
    return 1;
}

void PacketManager::AddErrorRecord(int32_t code)
{
    platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
    std::lock_guard add(addMutex_);
    if (record_.empty())
        return;
    const uint32_t number = static_cast<uint32_t>(disk_.Count()) + 1;
    std::memset(record_.data(), 0, rawLength_);
    std::memcpy(record_.data(), &number, sizeof number);
    staging_.packetNumber = number;
    staging_.status = code;
    staging_.indexed = 1;
    staging_.infoFlags = code == 1 ? INFO_EVENT_RECORD : 0;
    staging_.indent = 0;
    staging_.frameClass = 0;
    staging_.nodeIdsChanged = 0;
    staging_.rssi = 0;
    staging_.correlation = 0;
    staging_.noticesWaiting = 0;
    staging_.frameLength = 0;
    staging_.crcOk = 0;
    staging_.fieldCount = 0;
    staging_.bytesUsed = 0;
    StoreParsedData(record_.data() + rawLength_, staging_);
    if (disk_.WriteRecord(record_.data()) == 0)
        return;
    std::string fatal;
    {
        std::lock_guard lock(indexMutex_);
        UpdateBlockAdding(disk_.Count() + 1, false, fatal);
    }
    disk_.AddCount();
    if (!fatal.empty())
        platform::ShowMessageBox(fatal);
}

int32_t PacketManager::GetPacketCount(int useFilter) const
{
    if (useFilter && filterActive_)
        return filteredCount_;
    return disk_.Count();
}

// ---------------------------------------------------------------- workers

void PacketManager::Pause(Worker& worker)
{
    std::unique_lock lock(pauseMutex_);
    pauseWake_.wait_for(lock, std::chrono::milliseconds(100), [&] { return worker.stop.load(); });
}

void PacketManager::StopWorker(Worker& worker)
{
    {
        std::lock_guard lock(pauseMutex_);
        worker.stop = true;
    }
    pauseWake_.notify_all();
    if (worker.thread.joinable())
        worker.thread.join();
    worker.stop = false;
}

bool PacketManager::WaitForLoader(int timeoutMs) const
{
    return WaitUntil([&] { return !loader_.running; }, timeoutMs);
}

bool PacketManager::WaitForScan(int timeoutMs) const
{
    return WaitUntil([&] { return !scan_.running; }, timeoutMs);
}

void PacketManager::StartFilterScan()
{
    if (scan_.thread.joinable())
        scan_.thread.join();
    scan_.running = true;
    filterActive_ = true;
    scan_.thread = std::thread(&PacketManager::FilterScanThread, this);
}

bool PacketManager::TakeMatch(int32_t n)
{
    std::string fatal;
    int updated;
    {
        std::lock_guard lock(indexMutex_);
        matches_.push_back(n);
        updated = UpdateBlockAdding(n, true, fatal);
        lastMatched_ = n;
        ++filteredCount_;
    }
    if (updated == 0)
        platform::ShowMessageBox(fatal);
    return updated != 0;
}

void PacketManager::FilterScanThread()
{
    PARSED_DATA packet{};
    std::vector<char> fields(parsedLength_);
    packet.fieldBuffer = fields.data();
    DiskBufferReader reader(disk_);
    int32_t i = 1;
    bool caughtUp = false;
    // What is stored already is scanned over the cores; the newest packet and whatever comes
    // later, packet by packet below.
    if (filter_ != nullptr) {
        ParallelFilterScan stored(disk_, *filter_, parsedLength_);
        i = stored.Run(
            disk_.Count() - 1, [this] { return !filterActive_ || scan_.stop; },
            [this](int32_t n) { return TakeMatch(n); });
    }
    while (i > 0 && filterActive_ && !scan_.stop) {
        int32_t count = disk_.Count();
        // The newest counted packet is scanned once a later one is counted, or the capture ends.
        if (i >= count && captureRunning_ && !caughtUp) {
            Pause(scan_);
            continue;
        }
        if (reader.ReadPacket(i, &packet) == 0) {
            if (!captureRunning_)
                break;
            Pause(scan_);
            continue;
        }
        if (filter_ != nullptr && filter_->Indexes(packet) && !TakeMatch(i))
            break;
        count = disk_.Count();
        i = caughtUp ? 0 : i + 1;
        if (i >= count && !captureRunning_)
            caughtUp = true;
    }
    scan_.running = false;
}

// ---------------------------------------------------------------- serving the views

int PacketManager::GetPacket(int32_t n, int wait, PARSED_DATA* out)
{
    if (broadcastOnly_ || n < 1 || out == nullptr)
        return 0;
    const int32_t k = K();
    const int32_t b = (n - 1) / k;
    std::unique_lock lock(indexMutex_);
    std::vector<BLOCK_INFO>& index = Active();
    if (b >= static_cast<int32_t>(index.size())) {
        lock.unlock();
        platform::ShowMessageBox(platform::FormatText("Fatal error: Block information corrupted: Block number = %d", b));
        return 0;
    }
    const BLOCK_INFO e = index[b];
    const int32_t current = CurrentBlock();
    if (e.state == BLOCK_CACHED && e.first <= n && n <= e.loaded) {
        if (b != lastRequestedBlock_) {
            if (b == windowLast_ && windowLast_ < current) {
                const bool nextComplete = b < current && index[b + 1].state == BLOCK_COMPLETE;
                if (!captureRunning_ || nextComplete)
                    SlideWindow(windowFirst_);
            } else if (b == windowFirst_ && windowFirst_ > 0) {
                SlideWindow(windowLast_);
            }
            lastRequestedBlock_ = b;
        }
    } else if (e.state == BLOCK_LOADING) {
        if (!(e.first <= n && n <= e.loaded)) {
            if (waitingNumber_ != 0 || !(e.first <= n && n <= e.filled) || !wait)
                return 0;
            waitingNumber_ = n;
            handOff_.wait(lock, [&] { return waitingNumber_ == 0 || !loader_.running; });
        }
    } else {
        if (loader_.running)
            return 0;
        lastRequestedBlock_ = b;
        if (LoadWindow(b) == 0)
            return 0;
        // The views do not wait: they ask again at the next refresh.
        if (!wait)
            return 0;
        waitingNumber_ = n;
        handOff_.wait(lock, [&] { return waitingNumber_ == 0 || !loader_.running; });
    }

    // The index may have changed while we waited: serve only what is really cached.
    std::vector<BLOCK_INFO>& now = Active();
    if (b >= static_cast<int32_t>(now.size()))
        return 0;
    const BLOCK_INFO& cached = now[b];
    if ((cached.state != BLOCK_CACHED && cached.state != BLOCK_LOADING) || n > cached.loaded)
        return 0;
    const int32_t off = n - cached.first;
    if (cached.slot > ram_.BlockCount() - 1 || off > k - 1)
        return 0;
    return ram_.GetPacket(cached.slot, off, out);
}

int PacketManager::SlideWindow(int32_t victim)
{
    if (loader_.running)
        return 0;
    std::vector<BLOCK_INFO>& index = Active();
    const int32_t size = static_cast<int32_t>(index.size());
    int32_t newBlock;
    if (victim == windowLast_ && windowFirst_ > 0) {
        --windowFirst_;
        --windowLast_;
        newBlock = windowFirst_;
    } else if (victim == windowFirst_ && windowLast_ + 1 < size) {
        newBlock = windowLast_ + 1;
        ++windowFirst_;
        ++windowLast_;
    } else {
        return 0;
    }
    BLOCK_INFO& old = index[victim];
    BLOCK_INFO& next = index[newBlock];
    old.state = BLOCK_COMPLETE;
    next.slot = old.slot;
    next.state = BLOCK_LOADING;
    next.loaded = next.first - 1;
    old.slot = 0;
    loadList_[0] = LoadEntry{next.slot, newBlock};
    loadLength_ = 1;
    loadPosition_ = 0;
    ram_.ResetBlock(next.slot);
    StartLoader(next.firstStored);
    return 1;
}

int PacketManager::LoadWindow(int32_t b)
{
    if (loader_.running)
        return 0;
    std::vector<BLOCK_INFO>& index = Active();
    const int32_t e = static_cast<int32_t>(index.size());
    const int32_t n = ram_.BlockCount();
    if (n <= 0)
        return 0;
    int32_t first;
    int32_t last;
    loadLength_ = loadPosition_ = 0;
    // A first fill lists blocks 0..N-1; it serves only a request among them.
    if (windowLast_ < n - 1 && b < n) {
        const int32_t listed = std::min(n, e);
        for (int32_t i = 0; i < listed; ++i) {
            loadList_[i] = LoadEntry{i, i};
            ram_.ResetBlock(i);
        }
        for (BLOCK_INFO& block : index) {
            if (block.state == BLOCK_CACHED || block.state == BLOCK_LOADING)
                block.state = BLOCK_COMPLETE;
            block.loaded = block.first - 1;
        }
        loadLength_ = listed;
        first = 0;
        last = n - 1;
    } else {
        if (e >= n && b >= e - n / 2)
            first = e - n;
        else if (n / 2 < b)
            first = b - n / 2;
        else
            first = 0;
        last = std::min(n, e) + first - 1;
        std::array<bool, RamBufferHandler::kMaxSlots> marks{};
        for (int32_t k = windowFirst_; k <= windowLast_ && k < e; ++k)
            if (k >= first && k <= last && index[k].state == BLOCK_CACHED)
                marks[index[k].slot] = true;
        auto cachedInWindow = [&](int32_t d) { return index[d].state == BLOCK_CACHED; };
        int32_t d = -1;
        for (int32_t k = windowFirst_; k <= windowLast_ && k < e; ++k) {
            if (k >= first && k <= last && index[k].state == BLOCK_CACHED)
                continue;
            // The next block to list: b first, then the uncached blocks of the new window.
            if (d < 0) {
                d = b;
            } else {
                d = (d == b && b <= first) ? b + 1 : (d == b ? first : d + 1);
                while (d <= last && d < e && (d == b || cachedInWindow(d)))
                    ++d;
                if (d > last || d >= e)
                    break;
            }
            int32_t slot = 0;
            while (slot < n && marks[slot])
                ++slot;
            if (slot == n) {
                loadLength_ = 0;
                break;
            }
            marks[slot] = true;
            loadList_[loadLength_++] = LoadEntry{slot, d};
            ram_.ResetBlock(slot);
            if (index[k].state == BLOCK_CACHED || index[k].state == BLOCK_LOADING) {
                index[k].state = BLOCK_COMPLETE;
                index[k].slot = 0;
            }
            index[d].loaded = index[d].first - 1;
            index[d].state = BLOCK_LOADING;
        }
    }
    // The requested block is always among the listed ones when a slot is free for it.
    if (loadLength_ == 0 && b < e) {
        std::array<bool, RamBufferHandler::kMaxSlots> used{};
        for (int32_t k = first; k <= last && k < e; ++k)
            if (index[k].state == BLOCK_CACHED)
                used[index[k].slot] = true;
        for (int32_t slot = 0; slot < n; ++slot) {
            if (!used[slot]) {
                loadList_[loadLength_++] = LoadEntry{slot, b};
                ram_.ResetBlock(slot);
                break;
            }
        }
    }
    windowFirst_ = first;
    windowLast_ = last;
    if (loadLength_ == 0)
        return 0;
    BLOCK_INFO& head = index[loadList_[0].block];
    head.slot = loadList_[0].slot;
    head.state = BLOCK_LOADING;
    head.loaded = head.first - 1;
    StartLoader(head.firstStored);
    return 1;
}

void PacketManager::StartLoader(int32_t startPosition)
{
    // A loader that has ended has nothing left to do but return.
    if (loader_.thread.joinable())
        loader_.thread.join();
    loader_.running = true;
    loader_.thread = std::thread(&PacketManager::BlockLoaderThread, this, startPosition);
}

int32_t PacketManager::StoreLoadedPacket(int32_t i, int32_t block, const PARSED_DATA& parsed)
{
    std::vector<BLOCK_INFO>& index = Active();
    const BLOCK_INFO& e = index[block];
    const int32_t pos = e.loaded - e.first + 1;
    if (pos >= K() || ram_.StorePacket(e.slot, pos, &parsed) == 0)
        return 0;
    const bool completes = e.loaded + 1 == e.last;
    if (loadPosition_ + 1 < loadLength_ && (completes || LastToLoad(i))) {
        const int32_t next = loadList_[loadPosition_ + 1].block;
        return next > CurrentBlock() ? 0 : index[next].firstStored;
    }
    if (loadPosition_ + 1 == loadLength_ && completes)
        return 0;
    return i + 1;
}

bool PacketManager::LastToLoad(int32_t n) const
{
    // The filtered index ends with the last match, which need not be the last packet.
    if (filterActive_)
        return n == lastMatched_.load() && !scan_.running.load();
    return n == disk_.Count() && !captureRunning_.load();
}

int PacketManager::UpdateBlockLoading(int32_t n, int32_t block)
{
    std::vector<BLOCK_INFO>& index = Active();
    if (n == 0) {
        EndLoad();
        return 1;
    }
    BLOCK_INFO& e = index[block];
    if (e.loaded < e.last)
        ++e.loaded;
    // Positions of this index, so that a filtered reader is released only once its own
    // packet is in the cache.
    if (waitingNumber_ != 0 && e.loaded >= waitingNumber_ && block == (waitingNumber_ - 1) / K()) {
        waitingNumber_ = 0;
        handOff_.notify_all();
    }
    if (e.loaded != e.last && !LastToLoad(n))
        return 1;
    e.state = BLOCK_CACHED;
    ++loadPosition_;
    if (loadPosition_ < loadLength_) {
        const LoadEntry& next = loadList_[loadPosition_];
        const int32_t end = filterActive_ ? lastMatched_.load() : disk_.Count();
        if (n < end || next.block <= CurrentBlock()) {
            BLOCK_INFO& nextBlock = index[next.block];
            nextBlock.slot = next.slot;
            nextBlock.state = BLOCK_LOADING;
            nextBlock.loaded = nextBlock.first - 1;
            return 1;
        }
    }
    EndLoad();
    return 1;
}

void PacketManager::EndLoad()
{
    // A window cut short ends after the last block loaded; listed blocks not reached go back
    // to uncached so that they load on the next request.
    if (loadPosition_ < loadLength_ - 1)
        windowLast_ = loadPosition_ > 0 ? windowFirst_ + loadPosition_ - 1 : windowFirst_;
    std::vector<BLOCK_INFO>& index = Active();
    for (int32_t p = loadPosition_; p < loadLength_; ++p) {
        const int32_t block = loadList_[p].block;
        if (block < static_cast<int32_t>(index.size()) && index[block].state == BLOCK_LOADING)
            index[block].state = BLOCK_COMPLETE;
    }
    loadLength_ = 0;
    loadPosition_ = 0;
    waitingNumber_ = 0;
    handOff_.notify_all();
}

void PacketManager::BlockLoaderThread(int32_t startPosition)
{
    PARSED_DATA packet{};
    std::vector<char> fields(parsedLength_);
    packet.fieldBuffer = fields.data();
    DiskBufferReader reader(disk_);
    int32_t i = startPosition;
    while (i > 0 && !loader_.stop) {
        const bool filtered = filterActive_;
        const int32_t limit = filtered ? lastMatched_.load() : disk_.Count();
        const bool more = filtered ? scan_.running.load() : captureRunning_.load();
        if (i > limit && more) {
            Pause(loader_);
            continue;
        }
        if (reader.ReadPacket(i, &packet) == 0)
            break; // nothing more, or a read error: either way this load is over
        int32_t next = i + 1;
        // The filtered index holds only packets without status that pass.
        const bool passes = !filtered || (filter_ != nullptr && filter_->Indexes(packet));
        if (passes) {
            std::lock_guard lock(indexMutex_);
            if (loadLength_ == 0)
                break;
            const int32_t block = loadList_[loadPosition_].block;
            next = StoreLoadedPacket(i, block, packet);
            if (UpdateBlockLoading(i, block) == 0)
                break;
            if (loadLength_ == 0)
                break;
        }
        if (!more && i == limit)
            break;
        if (next == 0) {
            std::lock_guard lock(indexMutex_);
            if (loadPosition_ >= loadLength_)
                break;
            next = i + 1;
        }
        i = next;
    }
    {
        std::lock_guard lock(indexMutex_);
        EndLoad();
    }
    loader_.running = false;
}

// ---------------------------------------------------------------- filter and life cycle

void PacketManager::SetFilter(PacketFilter* filter)
{
    StopLoader();
    filterActive_ = false;
    StopScan();
    if (filter != nullptr)
        filter_ = filter;
    filteredCount_ = 0;
    lastMatched_ = 0;
    {
        std::lock_guard lock(indexMutex_);
        ClearIndex(true);
        MarkAllComplete();
        ram_.ResetAll();
    }
    if (disk_.Count() > 0)
        StartFilterScan();
    else
        filterActive_ = true;
}

void PacketManager::FilterOff()
{
    StopLoader();
    filterActive_ = false;
    StopScan();
    filter_ = nullptr;
    std::lock_guard lock(indexMutex_);
    ClearIndex(true);
    MarkAllComplete();
    filteredCount_ = 0;
    lastMatched_ = 0;
}

void PacketManager::Reset()
{
    // A file still being read would fill the store again behind the reset.
    fileReader_.reset();
    StopLoader();
    // The scan would go on from positions that no longer exist; a filter stays installed
    // and its scan starts again with the next capture.
    const bool filtering = filterActive_;
    StopScan();
    platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
    std::lock_guard add(addMutex_);
    std::lock_guard lock(indexMutex_);
    ram_.ResetAll();
    disk_.Create();
    ClearIndex(false);
    ClearIndex(true);
    filteredCount_ = 0;
    lastMatched_ = 0;
    errorCount_ = 0;
    filterActive_ = filtering;
}

int PacketManager::Restart(int clearAll)
{
    if (clearAll || fileOpened_ || SizedForFile()) {
        // The file's packets go, and with them a reader that would still add some.
        fileReader_.reset();
        StopLoader();
        const bool filtering = filterActive_;
        StopScan();
        platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
        std::lock_guard add(addMutex_);
        std::lock_guard lock(indexMutex_);
        filterActive_ = filtering;
        // The capture hands over records of the plug-in's length, not of the file's.
        if (SizedForFile())
            Resize(pluginRawLength_, pluginParsedLength_);
        if (disk_.Create() == 0)
            return 0;
        filteredCount_ = 0;
        lastMatched_ = 0;
        ClearIndex(false);
        ClearIndex(true);
        if (ram_.ResetAll() == 0)
            return 0;
    } else {
        StopLoader();
        if (disk_.Open() == 0)
            return 0;
        ReloadCurrentBlock();
    }
    captureRunning_ = true;
    fileOpened_ = false;
    if (filterActive_ && !scan_.running) {
        if (disk_.Count() > 0)
            SetFilter(nullptr);
        else
            StartFilterScan();
    }
    return 1;
}

int PacketManager::Stop(int clearRunning)
{
    if (clearRunning)
        captureRunning_ = false;
    std::lock_guard lock(indexMutex_);
    if (!all_.empty() && all_[currentBlock_].state == BLOCK_FILLING)
        all_[currentBlock_].state = BLOCK_COMPLETE;
    return 1;
}

int PacketManager::ReloadCurrentBlock()
{
    std::unique_lock lock(indexMutex_);
    if (loader_.running)
        return 0;
    std::vector<BLOCK_INFO>& index = Active();
    windowLast_ = std::min(windowLast_, CurrentBlock());
    if (windowLast_ < 0 || windowLast_ >= static_cast<int32_t>(index.size()))
        return 1;
    BLOCK_INFO& e = index[windowLast_];
    // Only a block that holds its own slot can go on loading into it.
    if (e.state != BLOCK_CACHED || e.loaded >= e.last || disk_.Count() == 0)
        return 1;
    int32_t start;
    if (filterActive_) {
        if (e.loaded < e.first)
            start = e.firstStored;
        else if (e.loaded - 1 < static_cast<int32_t>(matches_.size()))
            start = matches_[e.loaded - 1] + 1; // after the last packet already copied
        else
            return 0;
    } else {
        start = e.loaded + 1;
    }
    if (start <= 0)
        return 1;
    e.state = BLOCK_LOADING;
    loadList_[0] = LoadEntry{e.slot, windowLast_};
    loadLength_ = 1;
    loadPosition_ = 0;
    StartLoader(start);
    return 1;
}

int PacketManager::GetParsedData(int32_t n, uint8_t* destination)
{
    int32_t number = n;
    if (filterActive_) {
        std::lock_guard lock(indexMutex_);
        if (n < 1 || n > static_cast<int32_t>(matches_.size()))
            return 0;
        number = matches_[n - 1];
    }
    return disk_.ReadRecord(number, destination);
}

bool PacketManager::BlockOf(int32_t b, bool filtered, BLOCK_INFO& out) const
{
    std::lock_guard lock(indexMutex_);
    const std::vector<BLOCK_INFO>& index = filtered ? filtered_ : all_;
    if (b < 0 || b >= static_cast<int32_t>(index.size()))
        return false;
    out = index[b];
    return true;
}

int32_t PacketManager::BlockCount(bool filtered) const
{
    std::lock_guard lock(indexMutex_);
    return static_cast<int32_t>((filtered ? filtered_ : all_).size());
}

void PacketManager::Window(int32_t& first, int32_t& last) const
{
    std::lock_guard lock(indexMutex_);
    first = windowFirst_;
    last = windowLast_;
}

// ---------------------------------------------------------------- data files

namespace {

constexpr size_t kSaveBuffer = 1 << 16;
constexpr size_t kTemporaryStem = 200;

std::string OpenFailure(int error)
{
    return std::string("Can't open file: ") + std::strerror(error);
}

std::string WriteFailure(int error)
{
    return std::string("Can't write to file: ") + std::strerror(error);
}

// A data file written beside its target and put in its place only once every byte is on
// disk, so that a save that fails leaves the file that was there as it was. A device (not a
// regular file) is written directly: there is no file to keep and nothing to rename over it.
class DataFileOutput {
public:
    DataFileOutput() { buffer_.reserve(kSaveBuffer); }
    ~DataFileOutput() { Discard(); }
    DataFileOutput(const DataFileOutput&) = delete;
    DataFileOutput& operator=(const DataFileOutput&) = delete;

    bool Open(const std::string& path, std::string& failure)
    {
        target_ = platform::ResolveLinkTarget(path);
        struct stat existing {};
        const bool exists = ::stat(target_.c_str(), &existing) == 0;
        if (exists && S_ISDIR(existing.st_mode)) {
            failure = OpenFailure(EISDIR);
            return false;
        }
        if (exists && !S_ISREG(existing.st_mode)) {
            device_ = true;
            fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd_ < 0)
                failure = OpenFailure(errno);
            return fd_ >= 0;
        }
        // Renaming would replace a file that its owner made read-only.
        if (exists && ::access(target_.c_str(), W_OK) != 0) {
            failure = OpenFailure(errno);
            return false;
        }
        if (target_.empty() || target_.back() == '/') {
            failure = OpenFailure(EISDIR);
            return false;
        }
        // The temporary name must stay within a name's limit whatever the target's length.
        fd_ = platform::CreateTemporaryBeside(target_, kTemporaryStem, &temporary_);
        if (fd_ < 0) {
            failure = OpenFailure(errno);
            temporary_.clear();
            return false;
        }
        if (exists) {
            (void)::fchmod(fd_, existing.st_mode & 07777);
            (void)!::fchown(fd_, existing.st_uid, existing.st_gid);
        }
        return true;
    }

    bool Write(const uint8_t* data, size_t length, std::string& failure)
    {
        buffer_.insert(buffer_.end(), data, data + length);
        return buffer_.size() < kSaveBuffer || Flush(failure);
    }

    bool Commit(std::string& failure)
    {
        if (!Flush(failure))
            return false;
        // A full disk may show only when the file's blocks are written out.
        if (!device_ && ::fsync(fd_) != 0) {
            failure = WriteFailure(errno);
            return false;
        }
        const int fd = fd_;
        fd_ = -1;
        if (const int error = platform::CloseChecked(fd); error != 0) {
            failure = WriteFailure(error);
            return false;
        }
        if (device_)
            return true;
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            failure = WriteFailure(errno);
            return false;
        }
        temporary_.clear();
        // The new name on disk too; the file itself is in place whatever this gives.
        const size_t slash = target_.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : target_.substr(0, slash + 1);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            (void)::fsync(dir);
            ::close(dir);
        }
        return true;
    }

private:
    bool Flush(std::string& failure)
    {
        const int error = platform::WriteAll(fd_, buffer_.data(), buffer_.size());
        buffer_.clear();
        if (error != 0)
            failure = WriteFailure(error);
        return error == 0;
    }

    void Discard()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        if (!temporary_.empty())
            ::unlink(temporary_.c_str());
        temporary_.clear();
    }

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool device_ = false;
    std::vector<uint8_t> buffer_;
};

} // namespace

bool PacketManager::SaveToFile(const std::string& path, std::string* error)
{
    std::string failure;
    const bool saved = WriteDataFile(path, failure);
    if (!saved) {
        if (error != nullptr)
            *error = failure;
        else
            platform::ShowMessageBox(failure);
    }
    return saved;
}

bool PacketManager::WriteDataFile(const std::string& path, std::string& failure)
{
    const int32_t count = disk_.Count();
    if (count == 0) {
        failure = "No packets in buffer";
        return false;
    }
    DataFileOutput output;
    if (!output.Open(path, failure))
        return false;
    PARSED_DATA packet{};
    std::vector<char> fields(parsedLength_);
    packet.fieldBuffer = fields.data();
    std::vector<uint8_t> out(1 + static_cast<size_t>(rawLength_));
    const PacketFilter* filter = filterActive_ ? filter_ : nullptr;
    DiskBufferReader reader(disk_);
    for (int32_t n = 1; n <= count; ++n) {
        if (reader.ReadPacket(n, &packet) == 0) {
            failure = platform::FormatText("Not able to read packet %d from file buffer", n);
            return false;
        }
        if (filter != nullptr && !filter->Evaluate(packet))
            continue;
        const uint8_t* stored = reader.Record(n);
        if (stored == nullptr) {
            failure = platform::FormatText("Not able to read raw data from file buffer. Packet number %d", n);
            return false;
        }
        int32_t declared = 0;
        if (!DataFileRec::MakeRecord(out.data(), stored, rawLength_, static_cast<uint8_t>(packet.infoFlags & 0xFF),
                                     &declared)) {
            failure = platform::FormatText("Illegal value of length byte. Length = %d", declared);
            return false;
        }
        if (!output.Write(out.data(), out.size(), failure))
            return false;
    }
    return output.Commit(failure);
}

int PacketManager::OpenFile(const std::string& path, platform::WindowHandle window, bool newLayout,
                            const std::string& protocolName, int32_t blockSize, std::string* error)
{
    if (pluginParsedLength_ == 0) {
        if (error != nullptr)
            *error = "No protocol plug-in is loaded: the data file cannot be read.";
        return 0;
    }
    const int32_t size = blockSize == 0 ? pluginRawLength_ : blockSize;
    // Refused before anything is touched: the store keeps what it holds.
    if (size < kMinRawLength || size > MaxBlockSize()) {
        const std::string text = platform::FormatText(
            "Can't open file with a block size of %d bytes: the block size must be %d to %d bytes.", blockSize,
            kMinRawLength, MaxBlockSize());
        if (error != nullptr)
            *error = text;
        else
            platform::ShowMessageBox(text);
        return 0;
    }
    // One reader at a time: an earlier one is finished with before the store is emptied.
    fileReader_.reset();
    StopLoader();
    // The scan would go on over positions that no longer exist; the filter stays in force.
    const bool filtering = filterActive_;
    StopScan();
    {
        platform::MessageBoxDeferral boxesAfterUnlock; // no box while a lock is held
        std::lock_guard add(addMutex_);
        std::lock_guard lock(indexMutex_);
        filterActive_ = filtering;
        // The reader hands over records of the file's block size.
        if (size != rawLength_ || parsedLength_ != pluginParsedLength_)
            Resize(static_cast<uint16_t>(size), pluginParsedLength_);
        ram_.ResetAll();
        ClearIndex(false);
        ClearIndex(true);
        disk_.Create();
        filteredCount_ = 0;
        lastMatched_ = 0;
        errorCount_ = 0;
        fileOpened_ = true;
    }
    fileReader_ = std::make_unique<ReadFileThread>(this, size);
    return fileReader_->Start(path, window, newLayout, protocolName);
}

void PacketManager::DeleteFileReader()
{
    fileReader_.reset();
}

int PacketManager::DeleteFileReader(uint64_t serial)
{
    if (fileReader_ == nullptr || fileReader_->Serial() != serial)
        return 0;
    fileReader_.reset();
    // The filter's scan ran before the file's packets were there.
    if (filterActive_ && !scan_.running)
        SetFilter(nullptr);
    return 1;
}
