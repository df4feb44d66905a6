// The tag-table reader and the description's firmware lines on arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/tables/TabPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    TabPlugin table(in);

    std::vector<std::string> versions, radio;
    std::vector<FW_REC> firmware;
    const int versionCount = table.GetProtocolVersions(versions);
    const int radioCount = table.GetRadioSettings(radio);
    const int firmwareCount = table.GetFirmwareList(firmware);
    if (versionCount != static_cast<int>(versions.size()) || radioCount != static_cast<int>(radio.size()) ||
        firmwareCount != static_cast<int>(firmware.size()))
        std::abort();
    if (table.IsEmpty() && (versionCount + radioCount + firmwareCount) != 0)
        std::abort();
    for (const FW_REC& entry : firmware)
        if (entry.usartChoice != 0 && entry.usartChoice != 1)
            std::abort();
    for (const char* key : {"Protocol_name", "Packet_length_raw_data", "Packet_length_parsed_data",
                            "Hex_file_page_size"})
        if (const char* value = table.GetValue(key))
            (void)std::string(value);
    return 0;
}
