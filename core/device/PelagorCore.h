#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/device/CaptureStartParam.h"
#include "platform/WindowMessages.h"
#include "platform/dravik/DravikEbInfo.h"

class PelagorAccess;
class UdpDataChannel;

// The one capture engine of the process: opens the device, configures it, starts the capture
// and runs the reader thread that hands each packet to the derived class.
class PelagorCore {
public:
    static constexpr int kStartRunning = 1;
    static constexpr int kStartUpdating = 2;
    static constexpr int kStartFailed = 3;
    static constexpr int kStopped = 0;
    static constexpr int kStopFailed = 3;
    static constexpr int kStopWaitMs = 8000;
    static constexpr int kCommunicationErrorLimit = 10;

    // Capture events raised by the engine.
    static constexpr int kEventOverflow = 1;
    static constexpr int kEventCommunication = 3;
    static constexpr int kEventUnknownData = 4;
    static constexpr int kEventIncomplete = 6;
    static constexpr int kEventResync = 7;
    static constexpr int kEventStatusFrame = 10;

    // The firmware folders follow from the running program's folder.
    PelagorCore();
    // The same for a given program folder (with its trailing '/').
    explicit PelagorCore(const std::string& programFolder);
    virtual ~PelagorCore();

    PelagorCore(const PelagorCore&) = delete;
    PelagorCore& operator=(const PelagorCore&) = delete;

    static PelagorCore* Instance();

    void SetPacketLimits(uint16_t maximumRecordLength, uint16_t hexPageSize);
    void SetHardwareFcsFilter(uint8_t on) { hardwareFcsFilter_ = on; }
    void SetHardwareIncompleteFilter(uint8_t on) { hardwareIncompleteFilter_ = on; }

    int Start(const DravikEbInfo& device, const CAPTURE_START_PARAM& param);
    int Stop();

    bool Running() const { return running_.load() != 0; }
    uint16_t MaximumRecordLength() const { return maximumRecordLength_; }
    uint16_t HexPageSize() const { return hexPageSize_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& BoardFirmwareFolder() const { return boardFirmwareFolder_; }
    const std::string& ChipFirmwareFolder() const { return chipFirmwareFolder_; }
    uint8_t Channel() const { return channel_; }
    uint8_t HardwareFcsFilter() const { return hardwareFcsFilter_; }
    uint8_t HardwareIncompleteFilter() const { return hardwareIncompleteFilter_; }

    // Waits for the worker threads started for the device layer (firmware updates).
    static void JoinWorkerThreads();

protected:
    virtual bool OnPacket(uint8_t* record, uint8_t numberIt, int length, uint8_t broadcastOnly,
                          uint8_t* info);
    virtual void OnCaptureEvent(int code);
    virtual void OnProgress(uint8_t on);
    virtual bool AskUser(const char* question);
    virtual void ShowMessage(const char* text);

    // Stops a capture, waits for every thread of the engine and closes the device. A derived
    // class calls it from its destructor, before the threads could call into a half-gone object.
    void Shutdown();

    // The device-access object of a start; tests put their own device in place.
    virtual std::unique_ptr<PelagorAccess> CreateAccess(const DravikEbInfo& device);

private:
    void Init(const std::string& programFolder);
    int Configure(const DravikEbInfo& device, const CAPTURE_START_PARAM& param);
    bool SendRegisters(const DravikEbInfo& device, const int* list, int count);
    void ReaderThread();
    // Waits up to timeoutMs for a started reader thread to end and joins it; false while it
    // still runs.
    bool FinishReader(int timeoutMs);

    static void ProgressTrampoline(int on);
    static void MessageTrampoline(const char* text);
    static int QuestionTrampoline(const char* question);
    static int StartWorkerThread(void (*function)());

    uint16_t maximumRecordLength_ = 0;
    uint16_t hexPageSize_ = 0;
    std::string programFolder_;
    std::string boardFirmwareFolder_;
    std::string chipFirmwareFolder_;
    uint8_t channel_ = 0;
    uint8_t hardwareFcsFilter_ = 0;
    uint8_t hardwareIncompleteFilter_ = 0;

    // Polled by the reader thread; cleared by Stop and by the reader itself on errors.
    std::atomic<uint8_t> running_{0};
    std::unique_ptr<PelagorAccess> access_;
    std::unique_ptr<UdpDataChannel> udp_;
    platform::WindowHandle notifyWindow_ = 0;
    uint8_t broadcastOnly_ = 0;
    int recordCapacity_ = 0;
    std::thread reader_;
    std::mutex readerMutex_;
    std::condition_variable readerEnded_;
    bool readerDone_ = true;
};
