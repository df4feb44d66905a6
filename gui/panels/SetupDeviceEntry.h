#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/dravik/DravikEbInfo.h"

// What the capture-device panel makes of one enumeration record. The record comes from the
// board library: its texts need not be terminated, so they are never read beyond their field.
namespace setupdevice {

// The text of a fixed-width field, up to its terminator or its end.
template <size_t N>
std::string_view FieldText(const char (&field)[N])
{
    return std::string_view(field, strnlen(field, N));
}

// The list entry of a device: "<text> (PORT=<port>) -- QZ<chip code>" for a serial-port device,
// "<text> (USB Device ID=<id>) -- <chip name>" for a USB device.
std::string EntryText(const DravikEbInfo& info);

// Whether the record is shown at all: a USB device needs a usable id.
bool Listable(const DravikEbInfo& info);

// Whether two records name the same attached device. Firmware values are left out: they
// change when a board is updated, and it is still the same device.
bool SameDevice(const DravikEbInfo& a, const DravikEbInfo& b);

} // namespace setupdevice
