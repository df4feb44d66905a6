// Capture figures through the whole road: a simulated board's pipe, the framing, the reader
// thread, the packet store and Halyard. First a board that streams as fast as it is read, then
// one at the radio's real maximum rate on one channel, with the CPU time the process used.
// Run: build/release/bench/capture_bench [seconds a phase]   (default 5)
#include <cstdio>
#include <cstdlib>

#include "bench/EngineCapture.h"

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;

    const benchsupport::EngineCaptureResult fast = benchsupport::CaptureWithEngine(HALYARD_PATH, 0, 0, seconds);
    std::printf("as fast as read: %d packets in %.2f s = %.0f packets/s, %d capture events, CPU %.0f %%\n",
                fast.packets, fast.seconds, fast.packets / fast.seconds, fast.events,
                100.0 * fast.cpuSeconds / fast.seconds);

    const int rate = 1000000 / benchsupport::PacedAcknowledgements::kOnAirMicroseconds;
    const benchsupport::EngineCaptureResult real = benchsupport::CaptureWithEngine(
        HALYARD_PATH, rate, benchsupport::PacedAcknowledgements::kOnAirMicroseconds, seconds);
    std::printf("at %d frames/s: %d packets in %.2f s = %.0f packets/s, %d capture events, CPU %.1f %% of one core\n",
                rate, real.packets, real.seconds, real.packets / real.seconds, real.events,
                100.0 * real.cpuSeconds / real.seconds);
    // Keeping up means no event and about the board's rate.
    const bool keptUp = real.events == 0 && real.packets > 0.9 * rate * real.seconds;
    std::printf("%s\n", keptUp ? "kept up" : "FELL BEHIND");
    return keptUp ? 0 : 1;
}
