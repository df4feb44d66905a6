#include "platform/dravik/SimulatedBoardConfig.h"

#include <cstdio>
#include <cstring>

namespace {

template <size_t N>
void CopyText(char (&field)[N], const std::string& text)
{
    const size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

} // namespace

std::string SimulatedBoardConfig::ChipNameText() const
{
    if (!chipName.empty())
        return chipName;
    char name[16];
    std::snprintf(name, sizeof name, "QZ%X", chipCode);
    return name;
}

DravikEbInfo SimulatedBoardConfig::Info() const
{
    DravikEbInfo info;
    info.boardType = boardType;
    info.chipCode = chipCode;
    info.usbDeviceId = usbDeviceId;
    info.firmwareId = firmwareId;
    info.firmwareRevision = firmwareRevision;
    info.serialNumber = serialNumber;
    CopyText(info.deviceText, deviceText);
    CopyText(info.chipName, ChipNameText());
    CopyText(info.portName, portName);
    return info;
}
