#pragma once

#include <cstdint>
#include <utility>

#include "core/host/CRegSettings.h"
#include "platform/RegistryRoot.h"
#include "platform/TextFormat.h"

// The main program's per-user settings: 38 values under one key. Not cached: each use builds
// one on its own stack (every value at its default), loads it, reads or changes values, saves
// it when it changed something. Two objects alive at once do not see each other's changes
// until one saves and the other loads again.
class CPelagorSettings : public CRegSettings {
public:
    static constexpr const char* kKeyPath = "Software\\Korvath\\Pelagor\\Settings";

    // The current user's settings under kKeyPath.
    CPelagorSettings();
    // The key path is printf-formatted from keyPathFormat and args.
    template <typename... Args>
    CPelagorSettings(platform::RegistryRoot root, const char* keyPathFormat, Args... args)
        : CRegSettings(std::move(root), platform::FormatText(keyPathFormat, args...))
    {
        CPelagorSettings::ExchangeValues(nullptr, false, true);
    }

    // In map order, the order of every load and save.
    Text<21> PacketBufferSize;      // RAM cache size in MB
    int32_t ChannelListIndex{};
    int32_t ChannelBleIndex{};
    Text<21> ClockMultiplier;
    bool HardwareFcsChecking{};
    bool HardwareIncompleteChecking{};
    bool FlushBufferOnStart{};
    bool ShowTabs{};
    Text<512> PathRegisterFile;
    int32_t RegisterFileIndex{};
    uint32_t ChipType{};            // chip code in the low 16 bits
    int32_t SelectedTimeStampMode{};
    int32_t SelectedPayLoadMode{};
    int32_t SelectedLqiRssiMode{};
    int32_t SelectedFieldGroup{};
    Text<512> PathBackgroundImage;
    int32_t ImageWidth{};
    int32_t ImageHeight{};
    int32_t ImageOffsetX{};
    int32_t ImageOffsetY{};
    bool ShowGrid{};
    bool ShowBackground{};
    int32_t protVer{};
    Text<32> strChannel;
    int32_t top{};
    int32_t left{};
    int32_t bottom{};
    int32_t right{};
    bool ConnectToInitiatorAddr{};
    Text<16> strInitiatorAddr;
    Text<48> strBleLtk;
    int32_t bcEnabled{};
    int32_t bcOnly{};
    int32_t bcPort{};
    uint32_t bcAddress{};           // a.b.c.d with a in bits 31-24
    int32_t dataVer{};
    int32_t blockSize{};
    int32_t chipTypeIndex{};

protected:
    long ExchangeValues(platform::RegistryKey* key, bool save, bool defaults) override;
};
