// What simulated boards stream: traffic models and the device frames that carry them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// What a simulated board's radio hears, as the byte stream its capture firmware sends.
struct SimulatedStreamConfig {
    uint16_t chipCode = 0x6F1C; // picks the protocol family and the tick rate
    int layout = 1;             // 0 old, 1 new frame layout
    uint8_t channel = 11;
    uint32_t seed = 1;
    uint32_t firstTick = 0;     // start value of the 32-bit tick counter
    double framesPerSecond = 200; // mean rate of radio frames on the channel

    // 0: the chip's own values (ChipRadioFor).
    uint32_t ticksPerMicrosecond = 0;
    uint32_t bitsPerSecond = 0;
    // Packets longer than fragmentAbove bytes go out as fragments with this probability.
    size_t fragmentAbove = 64;
    double fragmentShare = 0.3;
    double crcErrorShare = 0.02; // frames that arrive damaged, CRC-ok bit clear
    // The largest frame length the reader accepts (its record capacity). In the new layout
    // no packet's bytes may look like a frame header to the reader's look-ahead; the
    // default assumes every length is accepted, which is always safe.
    int readerCapacity = 0xFFFF;
};

class TrafficModel;

// Turns a traffic model into device frames: timer frames whenever the tick counter's high
// byte moves (so the counter is carried across its wrap), fragments for long packets.
class SimulatedStream {
public:
    explicit SimulatedStream(const SimulatedStreamConfig& config);
    // With a model of the caller's instead of the chip's (config.chipCode still sets the
    // tick rate and radio timing). SetChannel then leaves the model as it is.
    SimulatedStream(const SimulatedStreamConfig& config, std::unique_ptr<TrafficModel> model);
    ~SimulatedStream();

    // Appends the device frames of the next radio frame (and any timer frames due before it)
    // to out; returns the radio time in microseconds since the previous frame ended.
    uint32_t NextFrame(std::vector<uint8_t>& out);
    void SetChannel(uint8_t channel);
    uint32_t Tick() const;

    // The packet bytes, tick value and number of device frames of the last radio frame, and
    // the radio time in microseconds at which it began.
    const std::vector<uint8_t>& LastPacket() const;
    uint32_t LastPacketTick() const;
    int LastFragmentCount() const;
    uint64_t LastPacketTime() const;
    // Radio time since the start (the sum of what NextFrame returned) and frames sent.
    uint64_t RadioTimeMicroseconds() const;
    uint64_t FrameCount() const;
    const SimulatedStreamConfig& Config() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
