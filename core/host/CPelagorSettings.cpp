#include "core/host/CPelagorSettings.h"

CPelagorSettings::CPelagorSettings() : CPelagorSettings(platform::RegistryRoot::CurrentUser(), "%s", kKeyPath) {}

long CPelagorSettings::ExchangeValues(platform::RegistryKey* key, bool save, bool defaults)
{
    if (save && !defaults)
        OnBeforeSave();
    ValueExchange value(key, save, defaults);
    value.String("PacketBufferSize", PacketBufferSize, "20");
    value.Dword("ChannelListIndex", ChannelListIndex, 0);
    value.Dword("ChannelBleIndex", ChannelBleIndex, 0);
    value.String("ClockMultiplier", ClockMultiplier, "1.0");
    value.Bool("HardwareFcsChecking", HardwareFcsChecking, false);
    value.Bool("HardwareIncompleteChecking", HardwareIncompleteChecking, false);
    value.Bool("FlushBufferOnStart", FlushBufferOnStart, false);
    value.Bool("ShowTabs", ShowTabs, true);
    value.String("PathRegisterFile", PathRegisterFile, "");
    value.Dword("RegisterFileIndex", RegisterFileIndex, 0);
    value.Dword("ChipType", ChipType, 0u);
    value.Dword("SelectedTimeStampMode", SelectedTimeStampMode, 0);
    value.Dword("SelectedPayLoadMode", SelectedPayLoadMode, 0);
    value.Dword("SelectedLqiRssiMode", SelectedLqiRssiMode, 0);
    value.Dword("SelectedFieldGroup", SelectedFieldGroup, 0);
    value.String("PathBackgroundImage", PathBackgroundImage, "bmp\\qz6e7b.bmp");
    value.Dword("ImageWidth", ImageWidth, 0);
    value.Dword("ImageHeight", ImageHeight, 0);
    value.Dword("ImageOffsetX", ImageOffsetX, 0);
    value.Dword("ImageOffsetY", ImageOffsetY, 0);
    value.Bool("ShowGrid", ShowGrid, true);
    value.Bool("ShowBackground", ShowBackground, false);
    value.Dword("protVer", protVer, 0);
    value.String("strChannel", strChannel, "");
    value.Dword("top", top, 0);
    value.Dword("left", left, 0);
    value.Dword("bottom", bottom, 0);
    value.Dword("right", right, 0);
    value.Bool("ConnectToInitiatorAddr", ConnectToInitiatorAddr, false);
    value.String("strInitiatorAddr", strInitiatorAddr, "");
    value.String("strBleLtk", strBleLtk, "");
    value.Dword("bcEnabled", bcEnabled, 0);
    value.Dword("bcOnly", bcOnly, 0);
    value.Dword("bcPort", bcPort, 5000);
    value.Dword("bcAddress", bcAddress, 0x7F0000FFu);
    value.Dword("dataVer", dataVer, 1);
    value.Dword("blockSize", blockSize, 0);
    // A load tells an error only through its last value (or the open of the key).
    value.Dword("chipTypeIndex", chipTypeIndex, -1);
    if (!save && !defaults)
        OnAfterLoad();
    return value.Result();
}
