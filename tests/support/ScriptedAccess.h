#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/device/PelagorAccess.h"

namespace testsupport {

// What a scripted device-access object was asked, and how it answers. Shared with the test,
// because the engine deletes the access object whenever it likes.
struct AccessScript {
    struct Read {
        int status = 9;
        uint8_t kind = 0;
        std::vector<uint8_t> record; // copied to the caller; its size is the length
    };
    struct Parameter {
        uint8_t type;
        int subtype; // -1 for the 8-bit form
        std::vector<uint8_t> bytes;
    };

    // Answers.
    int connectResult = 0;
    bool startOk = true;
    bool stopOk = true;
    int failParameterType = -1; // this parameter type is refused
    int maxRegistersPerWrite = 60;
    // During Connect: ask this question, report progress, start a worker thread.
    std::string connectQuestion;
    bool connectStartsWorker = false;

    // Calls seen.
    std::mutex mutex;
    std::vector<Parameter> parameters;
    int connects = 0;
    int starts = 0;
    int stops = 0;
    int created = 0;
    int destroyed = 0;
    int startLength = 0;
    int questionAnswer = -1;
    std::string firmwarePath;

    // Reads: handed out in order; then status 9 after a short pause. While holdReads is set
    // a read blocks until it is cleared.
    void Add(Read read)
    {
        std::lock_guard lock(mutex);
        reads.push_back(std::move(read));
    }
    void Hold(bool on)
    {
        {
            std::lock_guard lock(mutex);
            holdReads = on;
        }
        released.notify_all();
    }
    bool ReadsDone()
    {
        std::lock_guard lock(mutex);
        return reads.empty();
    }
    bool WaitUntilReadsDone(int timeoutMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!ReadsDone()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    std::deque<Read> reads;
    bool holdReads = false;
    std::condition_variable released;
};

// A device-access object that answers from an AccessScript instead of a board.
class ScriptedAccess : public PelagorAccess {
public:
    ScriptedAccess(std::shared_ptr<AccessScript> script, const char* boardFolder, const char* chipFolder)
        : PelagorAccess(boardFolder, chipFolder), script_(std::move(script))
    {
        std::lock_guard lock(script_->mutex);
        ++script_->created;
    }
    ~ScriptedAccess() override
    {
        std::lock_guard lock(script_->mutex);
        ++script_->destroyed;
    }

    bool SetFirmwareFile(const char* name) override
    {
        const bool ok = PelagorAccess::SetFirmwareFile(name);
        std::lock_guard lock(script_->mutex);
        script_->firmwarePath = ChipFirmwarePath();
        return ok;
    }

    int Connect(int) override
    {
        {
            std::lock_guard lock(script_->mutex);
            ++script_->connects;
        }
        if (!script_->connectQuestion.empty() && question_ != nullptr) {
            const int answer = question_(script_->connectQuestion.c_str());
            std::lock_guard lock(script_->mutex);
            script_->questionAnswer = answer;
        }
        if (script_->connectStartsWorker && starter_ != nullptr && progress_ != nullptr) {
            progress_(1);
            starter_(&ScriptedAccess::Worker);
        }
        return script_->connectResult;
    }

    bool SetParameter16(uint8_t type, uint8_t subtype, uint8_t* data, int length) override
    {
        return Record(type, subtype, data, length);
    }
    bool SetParameter(uint8_t type, uint8_t* data, int length) override
    {
        return Record(type, -1, data, length);
    }
    bool StartCapture(uint8_t mode, int maximumRecordLength) override
    {
        PelagorAccess::StartCapture(mode, maximumRecordLength);
        std::lock_guard lock(script_->mutex);
        ++script_->starts;
        script_->startLength = maximumRecordLength;
        return script_->startOk;
    }
    bool StopCapture() override
    {
        std::lock_guard lock(script_->mutex);
        ++script_->stops;
        return script_->stopOk;
    }
    int ReadPacket(uint8_t* kind, int* length, uint8_t* record, int) override
    {
        std::unique_lock lock(script_->mutex);
        script_->released.wait(lock, [this] { return !script_->holdReads; });
        if (script_->reads.empty()) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return 9;
        }
        AccessScript::Read read = std::move(script_->reads.front());
        script_->reads.pop_front();
        *kind = read.kind;
        if (!read.record.empty()) {
            const int size = std::min<int>(static_cast<int>(read.record.size()), MaximumRecordLength());
            std::copy_n(read.record.begin(), size, record);
            *length = size;
        }
        return read.status;
    }
    int GetMaxRegistersPerWrite() override { return script_->maxRegistersPerWrite; }

    // Routes the callbacks the way the real access object does, so tests see the engine's.
    void SetProgressCallback(ProgressCallback callback) override { progress_ = callback; }
    void SetMessageCallback(MessageCallback callback) override { message_ = callback; }
    void SetQuestionCallback(QuestionCallback callback) override { question_ = callback; }
    void SetThreadStarter(ThreadStarter starter) override { starter_ = starter; }

    static inline ProgressCallback progress_ = nullptr;
    static inline MessageCallback message_ = nullptr;

private:
    // A stand-in for a firmware update: reports and ends.
    static void Worker()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (message_ != nullptr)
            message_("update finished");
        if (progress_ != nullptr)
            progress_(0);
    }

    bool Record(uint8_t type, int subtype, const uint8_t* data, int length)
    {
        std::lock_guard lock(script_->mutex);
        script_->parameters.push_back({type, subtype, std::vector<uint8_t>(data, data + length)});
        return type != script_->failParameterType;
    }

    std::shared_ptr<AccessScript> script_;
    QuestionCallback question_ = nullptr;
    ThreadStarter starter_ = nullptr;
};

} // namespace testsupport
