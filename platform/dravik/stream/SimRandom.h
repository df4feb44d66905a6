// Deterministic random numbers for the simulated radio traffic.
#pragma once

#include <cstdint>
#include <random>

// A fixed engine with draws written out here rather than taken from <random>'s distributions,
// so that a seed gives the same traffic with every standard library.
class SimRandom {
public:
    explicit SimRandom(uint32_t seed) : engine_(seed) {}

    uint32_t Bits() { return static_cast<uint32_t>(engine_()); }
    uint8_t Byte() { return static_cast<uint8_t>(Bits() >> 24); }
    // Uniform in [lo, hi]; lo when hi < lo.
    int Between(int lo, int hi);
    // Uniform in [0, 1).
    double Unit() { return Bits() * (1.0 / 4294967296.0); }
    bool Chance(double probability) { return Unit() < probability; }
    double Exponential(double mean);

    // A seed of its own for each use of one seed (models, channels, the stream).
    static uint32_t Mix(uint32_t seed, uint32_t salt);

private:
    std::mt19937 engine_;
};
