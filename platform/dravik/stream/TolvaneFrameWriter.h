// TOLVANE network-layer frames: the payload of the simulated 802.15.4 data frames.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What a node tells about itself in discovery and pairing commands.
struct TolvaneIdentity {
    uint8_t nodeCapabilities = 0;
    uint16_t vendorId = 0;
    std::string vendorString; // 7 bytes on the air, NUL-padded
    std::string userString;   // 15 bytes on the air when not empty
    std::vector<uint8_t> deviceTypes; // at most 3
    std::vector<uint8_t> profiles;    // at most 7
};

// Appends network frames: [frame control][u32 frame counter] and what the frame type adds.
class TolvaneFrameWriter {
public:
    static constexpr int kStandardData = 1;
    static constexpr int kCommand = 2;
    static constexpr int kVendorData = 3;

    enum Command : uint8_t {
        kDiscoveryRequest = 1,
        kDiscoveryResponse = 2,
        kPairRequest = 3,
        kPairResponse = 4,
        kUnpairRequest = 5,
        kKeySeed = 6,
        kPingRequest = 7,
        kPingResponse = 8,
    };

    // The channel designator of the frame control follows the channel (15, 20, 25 or none).
    explicit TolvaneFrameWriter(uint8_t channel);

    void StandardData(std::vector<uint8_t>& out, uint32_t counter, uint8_t profile,
                      std::span<const uint8_t> payload) const;
    void VendorData(std::vector<uint8_t>& out, uint32_t counter, uint8_t profile, uint16_t vendorId,
                    std::span<const uint8_t> payload) const;
    // A secured standard data frame: 4 bytes of security fields, then the enciphered bytes.
    void SecuredData(std::vector<uint8_t>& out, uint32_t counter, uint8_t profile,
                     std::span<const uint8_t> securityFields, std::span<const uint8_t> enciphered) const;

    void DiscoveryRequest(std::vector<uint8_t>& out, uint32_t counter, const TolvaneIdentity& self,
                          uint8_t requestedDeviceType) const;
    void DiscoveryResponse(std::vector<uint8_t>& out, uint32_t counter, uint8_t status,
                           const TolvaneIdentity& self, uint8_t requestLqi) const;
    void PairRequest(std::vector<uint8_t>& out, uint32_t counter, uint16_t networkAddress,
                     const TolvaneIdentity& self, uint8_t keyExchangeCount) const;
    void PairResponse(std::vector<uint8_t>& out, uint32_t counter, uint8_t status, uint16_t allocatedAddress,
                      uint16_t networkAddress, const TolvaneIdentity& self) const;
    void UnpairRequest(std::vector<uint8_t>& out, uint32_t counter) const;
    void KeySeed(std::vector<uint8_t>& out, uint32_t counter, uint8_t sequence, std::span<const uint8_t> seed) const;
    void Ping(std::vector<uint8_t>& out, uint32_t counter, bool response, uint8_t options,
              std::span<const uint8_t> payload) const;

private:
    void Header(std::vector<uint8_t>& out, int type, bool secured, uint32_t counter) const;
    void CommandHeader(std::vector<uint8_t>& out, uint32_t counter, Command command) const;
    static void Identity(std::vector<uint8_t>& out, const TolvaneIdentity& self);

    uint8_t designator_;
};
