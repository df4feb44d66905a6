#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dravik/DravikPipe.h"
#include "platform/dravik/SimulatedFrameSource.h"
#include "platform/dravik/stream/DeviceFrameWriter.h"

// How a simulated board's pipe behaves.
struct SimulatedPipeSettings {
    int layout = 1;           // of the frames the board makes itself (overflow, status)
    bool paced = true;        // false: frames are made as fast as they are read
    int deviceBufferBytes = 65536;
    // Stream faults, each every N radio frames (0: never); read errors every N reads.
    int junkEvery = 0;
    int statusEvery = 0;
    int cutEvery = 0;
    int overflowEvery = 0;
    int readErrorEvery = 0;
};

// A board's USB data pipe. While capture runs, a radio frame is released into the device
// buffer once its radio time has passed; a buffer that the reader does not empty fast enough
// loses frames and then carries an overflow frame. Read runs on the reader thread while
// Start, Stop and SetChannel come from another.
class SimulatedPipe : public DravikPipe {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kPollWaitMs = 2;     // longest wait of a read with time-out 0
    static constexpr int kIdleWaitMs = 10;    // longest wait of a read while not capturing
    static constexpr int kMaxFramesPerRead = 4096; // bounds the work of one read behind a slow reader

    SimulatedPipe(const SimulatedPipeSettings& settings, std::unique_ptr<SimulatedFrameSource> source);
    ~SimulatedPipe() override;

    int Read(uint8_t* buffer, int requested, int* received, int timeoutMs) override;

    // Start begins with an empty device buffer; Stop drops what was not read.
    void Start();
    void Stop();
    void SetChannel(uint8_t channel);

    bool Capturing() const;
    uint64_t FramesSent() const;    // radio frames put into the device buffer
    uint64_t FramesDropped() const; // radio frames lost to a full device buffer

private:
    // Puts the frames due by now into the device buffer; unpaced, until wanted bytes wait.
    void ReleaseDue(Clock::time_point now, size_t wanted);
    void StageNext();
    // Into the device buffer, with the faults due; a frame that does not fit is dropped.
    void Deliver(std::vector<uint8_t>& frame);
    void Compact();
    size_t Unread() const { return device_.size() - head_; }

    const SimulatedPipeSettings settings_;
    const DeviceFrameWriter writer_; // the frames the board makes itself (overflow, status)
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::unique_ptr<SimulatedFrameSource> source_;
    bool capturing_ = false;
    uint64_t runs_ = 0; // counts Start and Stop, so a waiting read notices either

    std::vector<uint8_t> staged_; // the next radio frame, not yet due
    bool haveStaged_ = false;
    uint32_t stagedGapUs_ = 0;
    Clock::time_point stagedDue_;
    Clock::time_point lastDue_;

    std::vector<uint8_t> device_; // the device buffer; bytes before head_ were read
    size_t head_ = 0;
    bool overflowPending_ = false;

    uint64_t frames_ = 0;
    uint64_t sent_ = 0;
    uint64_t dropped_ = 0;
    uint64_t reads_ = 0;
};
