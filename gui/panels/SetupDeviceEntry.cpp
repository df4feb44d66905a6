#include "gui/panels/SetupDeviceEntry.h"

#include <cstdio>

#include "platform/dravik/DravikEb.h"

namespace setupdevice {

namespace {

int Width(std::string_view text)
{
    return static_cast<int>(text.size());
}

} // namespace

std::string EntryText(const DravikEbInfo& info)
{
    const std::string_view device = FieldText(info.deviceText);
    // Room for the longest texts the fields can hold.
    char text[sizeof info.deviceText + sizeof info.portName + sizeof info.chipName + 64];
    if (info.boardType == DravikEb::kBoardSerialPort) {
        const std::string_view port = FieldText(info.portName);
        std::snprintf(text, sizeof text, "%.*s (PORT=%.*s) -- QZ%X", Width(device), device.data(), Width(port),
                      port.data(), static_cast<unsigned>(info.chipCode));
    } else {
        const std::string_view chip = FieldText(info.chipName);
        std::snprintf(text, sizeof text, "%.*s (USB Device ID=%04x) -- %.*s", Width(device), device.data(),
                      static_cast<unsigned>(info.usbDeviceId), Width(chip), chip.data());
    }
    return text;
}

bool Listable(const DravikEbInfo& info)
{
    return info.boardType == DravikEb::kBoardSerialPort || (info.usbDeviceId != 0 && info.usbDeviceId != 0xFFFF);
}

bool SameDevice(const DravikEbInfo& a, const DravikEbInfo& b)
{
    return a.boardType == b.boardType && a.chipCode == b.chipCode && a.usbDeviceId == b.usbDeviceId &&
           a.serialNumber == b.serialNumber && FieldText(a.deviceText) == FieldText(b.deviceText) &&
           FieldText(a.chipName) == FieldText(b.chipName) && FieldText(a.portName) == FieldText(b.portName);
}

} // namespace setupdevice
