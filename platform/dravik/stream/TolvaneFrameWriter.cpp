#include "platform/dravik/stream/TolvaneFrameWriter.h"

#include <algorithm>

namespace {

constexpr int kProtocolVersion = 1;

void AppendU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendPadded(std::vector<uint8_t>& out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

} // namespace

TolvaneFrameWriter::TolvaneFrameWriter(uint8_t channel)
    : designator_(channel == 15 ? 1 : channel == 20 ? 2 : channel == 25 ? 3 : 0)
{
}

void TolvaneFrameWriter::Header(std::vector<uint8_t>& out, int type, bool secured, uint32_t counter) const
{
    out.push_back(static_cast<uint8_t>((type & 3) | (secured ? 0x04 : 0) | kProtocolVersion << 3 | designator_ << 6));
    AppendU32(out, counter);
}

void TolvaneFrameWriter::CommandHeader(std::vector<uint8_t>& out, uint32_t counter, Command command) const
{
    Header(out, kCommand, false, counter);
    out.push_back(command);
}

void TolvaneFrameWriter::Identity(std::vector<uint8_t>& out, const TolvaneIdentity& self)
{
    out.push_back(self.nodeCapabilities);
    AppendU16(out, self.vendorId);
    AppendPadded(out, self.vendorString, 7);
    const size_t types = std::min<size_t>(self.deviceTypes.size(), 3);
    const size_t profiles = std::min<size_t>(self.profiles.size(), 7);
    out.push_back(static_cast<uint8_t>((self.userString.empty() ? 0 : 1) | types << 1 | profiles << 4));
    if (!self.userString.empty())
        AppendPadded(out, self.userString, 15);
    out.insert(out.end(), self.deviceTypes.begin(), self.deviceTypes.begin() + static_cast<long>(types));
    out.insert(out.end(), self.profiles.begin(), self.profiles.begin() + static_cast<long>(profiles));
}

void TolvaneFrameWriter::StandardData(std::vector<uint8_t>& out, uint32_t counter, uint8_t profile,
                                      std::span<const uint8_t> payload) const
{
    Header(out, kStandardData, false, counter);
    out.push_back(profile);
    out.insert(out.end(), payload.begin(), payload.end());
}

void TolvaneFrameWriter::VendorData(std::vector<uint8_t>& out, uint32_t counter, uint8_t profile,
                                    uint16_t vendorId, std::span<const uint8_t> payload) const
{
    Header(out, kVendorData, false, counter);
    out.push_back(profile);
    AppendU16(out, vendorId);
    out.insert(out.end(), payload.begin(), payload.end());
}

void TolvaneFrameWriter::SecuredData(std::vector<uint8_t>& out, uint32_t counter, uint8_t profile,
                                     std::span<const uint8_t> securityFields,
                                     std::span<const uint8_t> enciphered) const
{
    Header(out, kStandardData, true, counter);
    out.push_back(profile);
    out.insert(out.end(), securityFields.begin(), securityFields.end());
    out.insert(out.end(), enciphered.begin(), enciphered.end());
}

void TolvaneFrameWriter::DiscoveryRequest(std::vector<uint8_t>& out, uint32_t counter,
                                          const TolvaneIdentity& self, uint8_t requestedDeviceType) const
{
    CommandHeader(out, counter, kDiscoveryRequest);
    Identity(out, self);
    out.push_back(requestedDeviceType);
}

void TolvaneFrameWriter::DiscoveryResponse(std::vector<uint8_t>& out, uint32_t counter, uint8_t status,
                                           const TolvaneIdentity& self, uint8_t requestLqi) const
{
    CommandHeader(out, counter, kDiscoveryResponse);
    out.push_back(status);
    Identity(out, self);
    out.push_back(requestLqi);
}

void TolvaneFrameWriter::PairRequest(std::vector<uint8_t>& out, uint32_t counter, uint16_t networkAddress,
                                     const TolvaneIdentity& self, uint8_t keyExchangeCount) const
{
    CommandHeader(out, counter, kPairRequest);
    AppendU16(out, networkAddress);
    Identity(out, self);
    out.push_back(keyExchangeCount);
}

void TolvaneFrameWriter::PairResponse(std::vector<uint8_t>& out, uint32_t counter, uint8_t status,
                                      uint16_t allocatedAddress, uint16_t networkAddress,
                                      const TolvaneIdentity& self) const
{
    CommandHeader(out, counter, kPairResponse);
    out.push_back(status);
    AppendU16(out, allocatedAddress);
    AppendU16(out, networkAddress);
    Identity(out, self);
}

void TolvaneFrameWriter::UnpairRequest(std::vector<uint8_t>& out, uint32_t counter) const
{
    CommandHeader(out, counter, kUnpairRequest);
}

void TolvaneFrameWriter::KeySeed(std::vector<uint8_t>& out, uint32_t counter, uint8_t sequence,
                                 std::span<const uint8_t> seed) const
{
    CommandHeader(out, counter, kKeySeed);
    out.push_back(sequence);
    out.insert(out.end(), seed.begin(), seed.end());
}

void TolvaneFrameWriter::Ping(std::vector<uint8_t>& out, uint32_t counter, bool response, uint8_t options,
                              std::span<const uint8_t> payload) const
{
    CommandHeader(out, counter, response ? kPingResponse : kPingRequest);
    out.push_back(options);
    out.insert(out.end(), payload.begin(), payload.end());
}
