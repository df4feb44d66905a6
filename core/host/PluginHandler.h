#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/tables/FwRec.h"
#include "platform/DynamicLibrary.h"
#include "plugin/frame/PluginExports.h"

// Loads the protocol plug-in of a run, reads its description file and the shared
// common.plt, binds the exports by name and wraps each of them.
class PluginHandler {
public:
    PluginHandler();
    virtual ~PluginHandler();
    PluginHandler(const PluginHandler&) = delete;
    PluginHandler& operator=(const PluginHandler&) = delete;

    // The code of a chip-table row whose name equals name exactly; 0 when none does.
    static uint32_t ChipIdFromName(const std::string& name);

    // 1 when the description and common.plt were read, the library loaded and ParsePacket found.
    int Load(const char* pluginPath, const std::string& deviceName);
    // Why the library could not be loaded or bound, for the caller's message.
    const std::string& LoadErrorText() const { return library_.ErrorText(); }
    // 1 when the description and common.plt were read and both lengths are given.
    int ReadDescription(const char* pluginPath, const std::string& deviceName);

    bool HasRadioSettings(const std::string& deviceName) const;
    std::string GetFirmwareFile(uint16_t chipCode, int usartChoice) const;
    int SetChipType(const std::string& chipName);

    const std::string& ProtocolName() const { return protocolName_; }
    uint16_t RawLength() const { return rawLength_; }
    uint16_t ParsedLength() const { return parsedLength_; }
    uint16_t HexPageSize() const { return hexPageSize_; }
    const std::vector<std::string>& ProtocolVersions() const { return protocolVersions_; }
    const std::vector<std::string>& RadioSettingsDevices() const { return radioSettings_; }
    const std::vector<FW_REC>& FirmwareList() const { return firmware_; }

    // The description file and common.plt read for a plug-in path and device name.
    static bool DescriptionPath(const std::string& pluginPath, const std::string& deviceName,
                                std::string& descriptionPath);
    static std::string CommonTablePath(const std::string& descriptionPath);

    // Which exports were bound at the last load.
    bool HasAutoRegister() const { return exports_.setAddrBookAutoRegister != nullptr; }
    bool AddressBookSupported() const { return exports_.getPendingRec != nullptr; }
    bool HasSetPacketLength() const { return exports_.setPacketLength != nullptr; }
    bool HasSetProtocolVersion() const { return exports_.setProtocolVersion != nullptr; }
    bool HasRemoveAllNodes() const { return exports_.removeAllNodesAddrBook != nullptr; }
    bool HasRemoveNode() const { return exports_.removeNodeAdrB != nullptr; }
    bool HasGetNode() const { return exports_.getNodeAdrB != nullptr; }
    bool HasSetNode() const { return exports_.setNodeAdrB != nullptr; }
    bool HasMoveNodeDown() const { return exports_.moveNodeDownAdrB != nullptr; }
    bool HasMoveNodeUp() const { return exports_.moveNodeUpAdrB != nullptr; }

    int ParsePacket(const uint8_t* raw, PARSED_DATA* out, double clockMultiplier,
                    int capturedLength);
    void SetAddrBookAutoRegister(int on);
    int GetPendingRec(ADDR_BOOK_REC* rec);
    int GetNodeAdrB(int index, ADDR_BOOK_REC* rec);
    int SetNodeAdrB(ADDR_BOOK_REC* rec);
    int RemoveAllNodesAddrBook();
    int RemoveNodeAdrB(int index);
    int MoveNodeDownAdrB(int index);
    int MoveNodeUpAdrB(int index);
    int SetProtocolVersion(int versionIndex);
    int SetBleKeys(const uint8_t* key, int keyLength, int passKey);
    void SetBleLtkUpdateCb(BleLtkUpdateCallback callback);
    const char* const* GetFieldIndexTable();

private:
    struct Exports {
        ParsePacketFn parsePacket = nullptr;
        SetPacketLengthFn setPacketLength = nullptr;
        SetProtocolVersionFn setProtocolVersion = nullptr;
        GetPendingRecFn getPendingRec = nullptr;
        SetAddrBookAutoRegisterFn setAddrBookAutoRegister = nullptr;
        GetNodeAdrBFn getNodeAdrB = nullptr;
        SetNodeAdrBFn setNodeAdrB = nullptr;
        RemoveAllNodesAddrBookFn removeAllNodesAddrBook = nullptr;
        RemoveNodeAdrBFn removeNodeAdrB = nullptr;
        MoveNodeDownAdrBFn moveNodeDownAdrB = nullptr;
        MoveNodeUpAdrBFn moveNodeUpAdrB = nullptr;
        SetChipTypeFn setChipType = nullptr;
        GetFieldIndexTableFn getFieldIndexTable = nullptr;
        SetBleKeysFn setBleKeys = nullptr;
        SetBleLtkUpdateCbFn setBleLtkUpdateCb = nullptr;
    };

    void BindExports();
    template <typename Fn>
    bool Bind(Fn& entry, const char* name);

    std::string protocolName_;
    uint16_t rawLength_ = 0;
    uint16_t parsedLength_ = 0;
    uint16_t hexPageSize_ = 11;
    std::vector<std::string> protocolVersions_;
    std::vector<std::string> radioSettings_;
    std::vector<FW_REC> firmware_;
    std::string pluginPath_;

    platform::DynamicLibrary library_;
    Exports exports_;
};
