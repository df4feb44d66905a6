#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <thread>
#include <vector>

#include "platform/dravik/DravikPipe.h"

namespace testsupport {

// A data pipe that answers from a script: each step is a result code and, for 0, the bytes
// that arrive (handed out over as many reads as the reader's requests need).
class ScriptedPipe : public DravikPipe {
public:
    struct Step {
        int result = 0;
        std::vector<uint8_t> bytes;
    };

    ScriptedPipe() = default;
    explicit ScriptedPipe(std::vector<Step> steps) : steps_(steps.begin(), steps.end()) {}

    void Add(Step step) { steps_.push_back(std::move(step)); }
    bool Done() const { return steps_.empty(); }

    int Read(uint8_t* buffer, int requested, int* received, int) override
    {
        if (recordRequests)
            requests.push_back(requested);
        *received = 0;
        if (steps_.empty()) {
            ++starved;
            // A quiet pipe waits a little, as a USB transfer would, so a polling reader doesn't spin.
            if (idleMicroseconds > 0)
                std::this_thread::sleep_for(std::chrono::microseconds(idleMicroseconds));
            return 0;
        }
        Step& step = steps_.front();
        if (step.result != 0) {
            const int result = step.result;
            steps_.pop_front();
            return result;
        }
        const int count = std::max(0, std::min<int>(requested, static_cast<int>(step.bytes.size())));
        std::copy_n(step.bytes.begin(), count, buffer);
        step.bytes.erase(step.bytes.begin(), step.bytes.begin() + count);
        if (step.bytes.empty())
            steps_.pop_front();
        *received = count;
        return 0;
    }

    std::vector<int> requests;
    int starved = 0; // reads after the script ran out
    // For a reader thread that polls for long: pause when starved, and keep no request list.
    int idleMicroseconds = 0;
    bool recordRequests = true;

private:
    std::deque<Step> steps_;
};

} // namespace testsupport
