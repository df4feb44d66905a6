#include "core/host/PluginHandler.h"

#include <cstring>

#include "chips/ChipTypeRec.h"
#include "core/tables/TabPlugin.h"
#include "platform/MessageBox.h"
#include "platform/PathText.h"
#include "platform/TextFormat.h"

namespace {

constexpr const char* kLibrarySuffix = ".so";

// Decimal text to integer the way atoi reads it (leading blanks, a sign, digits up to the
// first other character; no digits: 0), kept to 16 bits.
uint16_t DecimalValue16(const char* text, uint16_t absent)
{
    if (text == nullptr)
        return absent;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + static_cast<uint32_t>(*p - '0');
    return static_cast<uint16_t>(negative ? 0u - value : value);
}

} // namespace

PluginHandler::PluginHandler() = default;

PluginHandler::~PluginHandler() = default;

uint32_t PluginHandler::ChipIdFromName(const std::string& name)
{
    for (const CHIP_TYPE_REC& row : kChipTable)
        if (name == row.name)
            return row.code;
    return 0;
}

bool PluginHandler::DescriptionPath(const std::string& pluginPath, const std::string& deviceName,
                                    std::string& descriptionPath)
{
    const size_t suffix = pluginPath.find(kLibrarySuffix);
    if (suffix == std::string::npos)
        return false;
    descriptionPath = pluginPath;
    descriptionPath.erase(suffix, std::strlen(kLibrarySuffix));
    if (!deviceName.empty())
        descriptionPath += "_" + deviceName;
    descriptionPath += ".plt";
    return true;
}

std::string PluginHandler::CommonTablePath(const std::string& descriptionPath)
{
    std::string folder = descriptionPath;
    for (int cut = 0; cut < 2; ++cut) {
        const size_t separator = platform::LastPathSeparator(folder);
        folder.resize(separator != std::string::npos ? separator : 0);
    }
    return folder + "/common.plt";
}

int PluginHandler::ReadDescription(const char* pluginPath, const std::string& deviceName)
{
    pluginPath_ = pluginPath != nullptr ? pluginPath : "";
    std::string descriptionPath;
    if (!DescriptionPath(pluginPath_, deviceName, descriptionPath))
        return 0;

    TabPlugin description(descriptionPath);
    if (description.IsEmpty())
        return 0;
    if (const char* name = description.GetValue("Protocol_name"))
        protocolName_ = name;
    rawLength_ = DecimalValue16(description.GetValue("Packet_length_raw_data"), rawLength_);
    parsedLength_ = DecimalValue16(description.GetValue("Packet_length_parsed_data"), parsedLength_);
    hexPageSize_ = DecimalValue16(description.GetValue("Hex_file_page_size"), hexPageSize_);
    description.GetProtocolVersions(protocolVersions_);

    const char* path = descriptionPath.c_str();
    if (protocolName_.empty())
        platform::ShowMessageBox(platform::FormatText(
            "Protocol name not found in file: %s.\nThe following tag should be present: "
            "Protocol_name", path));
    if (rawLength_ == 0) {
        platform::ShowMessageBox(platform::FormatText(
            "Length of raw data not given in file: %s\nThe following tag should be present: "
            "Packet_length_raw_data", path));
        return 0;
    }
    if (parsedLength_ == 0) {
        platform::ShowMessageBox(platform::FormatText(
            "Length of Parsed data not given in file: %s\nThe following tag should be present: "
            "Packet_length_parsed_data", path));
        return 0;
    }

    TabPlugin common(CommonTablePath(descriptionPath));
    if (common.IsEmpty())
        return 0;
    common.GetRadioSettings(radioSettings_);
    common.GetFirmwareList(firmware_);
    return 1;
}

int PluginHandler::Load(const char* pluginPath, const std::string& deviceName)
{
    if (ReadDescription(pluginPath, deviceName) == 0)
        return 0;
    // Nothing of an earlier library may stay bound once it is unloaded.
    exports_ = Exports{};
    library_.Unload();
    if (!library_.Load(platform::ToNativePath(pluginPath_)))
        return 0;
    BindExports();
    return exports_.parsePacket != nullptr ? 1 : 0;
}

template <typename Fn>
bool PluginHandler::Bind(Fn& entry, const char* name)
{
    entry = library_.Function<Fn>(name);
    return entry != nullptr;
}

void PluginHandler::BindExports()
{
    Exports& e = exports_;
    if (!Bind(e.parsePacket, "ParsePacket"))
        return;
    if (Bind(e.setPacketLength, "SetPacketLength"))
        e.setPacketLength(parsedLength_);
    if (!protocolVersions_.empty())
        Bind(e.setProtocolVersion, "SetProtocolVersion");
    if (Bind(e.getPendingRec, "GetPendingRec")) {
        Bind(e.setAddrBookAutoRegister, "SetAddrBookAutoRegister");
        Bind(e.getNodeAdrB, "GetNodeAdrB");
        Bind(e.setNodeAdrB, "SetNodeAdrB");
        Bind(e.removeAllNodesAddrBook, "RemoveAllNodesAddrBook");
        Bind(e.removeNodeAdrB, "RemoveNodeAdrB");
        Bind(e.moveNodeDownAdrB, "MoveNodeDownAdrB");
        Bind(e.moveNodeUpAdrB, "MoveNodeUpAdrB");
        Bind(e.setChipType, "SetChipType");
        Bind(e.getFieldIndexTable, "GetFieldIndexTable");
    }
    Bind(e.setBleKeys, "SetBleKeys");
    Bind(e.setBleLtkUpdateCb, "SetBleLtkUpdateCb");
}

bool PluginHandler::HasRadioSettings(const std::string& deviceName) const
{
    for (const std::string& device : radioSettings_)
        if (device == deviceName)
            return true;
    return false;
}

std::string PluginHandler::GetFirmwareFile(uint16_t chipCode, int usartChoice) const
{
    for (const FW_REC& entry : firmware_)
        if (entry.chipCode == chipCode && entry.usartChoice == usartChoice)
            return entry.file;
    return "";
}

int PluginHandler::SetChipType(const std::string& chipName)
{
    const uint32_t code = ChipIdFromName(chipName);
    if (code == 0 || exports_.setChipType == nullptr)
        return 0;
    exports_.setChipType(static_cast<int>(code));
    return 1;
}

int PluginHandler::ParsePacket(const uint8_t* raw, PARSED_DATA* out, double clockMultiplier,
                               int capturedLength)
{
    if (exports_.parsePacket == nullptr)
        return 0;
    return exports_.parsePacket(raw, out, clockMultiplier, capturedLength);
}

void PluginHandler::SetAddrBookAutoRegister(int on)
{
    if (exports_.setAddrBookAutoRegister != nullptr)
        exports_.setAddrBookAutoRegister(on);
}

int PluginHandler::GetPendingRec(ADDR_BOOK_REC* rec)
{
    return exports_.getPendingRec != nullptr ? exports_.getPendingRec(rec) : 0;
}

int PluginHandler::GetNodeAdrB(int index, ADDR_BOOK_REC* rec)
{
    return exports_.getNodeAdrB != nullptr ? exports_.getNodeAdrB(index, rec) : 0;
}

int PluginHandler::SetNodeAdrB(ADDR_BOOK_REC* rec)
{
    return exports_.setNodeAdrB != nullptr ? exports_.setNodeAdrB(rec) : 0;
}

int PluginHandler::RemoveAllNodesAddrBook()
{
    return exports_.removeAllNodesAddrBook != nullptr ? exports_.removeAllNodesAddrBook() : 0;
}

int PluginHandler::RemoveNodeAdrB(int index)
{
    return exports_.removeNodeAdrB != nullptr ? exports_.removeNodeAdrB(index) : 0;
}

int PluginHandler::MoveNodeDownAdrB(int index)
{
    return exports_.moveNodeDownAdrB != nullptr ? exports_.moveNodeDownAdrB(index) : 0;
}

int PluginHandler::MoveNodeUpAdrB(int index)
{
    return exports_.moveNodeUpAdrB != nullptr ? exports_.moveNodeUpAdrB(index) : 0;
}

int PluginHandler::SetProtocolVersion(int versionIndex)
{
    if (exports_.setProtocolVersion == nullptr)
        return 0;
    exports_.setProtocolVersion(versionIndex);
    return 1;
}

int PluginHandler::SetBleKeys(const uint8_t* key, int keyLength, int passKey)
{
    if (exports_.setBleKeys == nullptr || keyLength != 16)
        return 0;
    exports_.setBleKeys(key, passKey);
    return 1;
}

void PluginHandler::SetBleLtkUpdateCb(BleLtkUpdateCallback callback)
{
    if (exports_.setBleLtkUpdateCb != nullptr)
        exports_.setBleLtkUpdateCb(callback);
}

const char* const* PluginHandler::GetFieldIndexTable()
{
    return exports_.getFieldIndexTable != nullptr ? exports_.getFieldIndexTable() : nullptr;
}
