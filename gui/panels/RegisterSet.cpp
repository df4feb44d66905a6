#include "gui/panels/RegisterSet.h"

#include <cstring>

#include "core/tables/RegisterFileWriter.h"
#include "gui/panels/ForcedRegRec.h"
#include "platform/TextFormat.h"

namespace {

// Status bytes appended to every packet, CRC check, staying in receive after a packet.
constexpr FORCED_REG_REC kSubGhzFamily[] = {
    {"PKTCTRL1", 0x07, 0x04, 0x04, FORCED_REG_REC::kOrMask},
    {"PKTCTRL0", 0x08, 0x04, 0x04, FORCED_REG_REC::kOrMask},
    {"MCSM1", 0x17, 0x3C, 0x0C, FORCED_REG_REC::kOrMask},
    {"", 0, 0, 0, FORCED_REG_REC::kEndOfTable},
};

constexpr FORCED_REG_REC kWideRegisterFamily[] = {
    {"PKT_CFG1", 0x27, 0x35, 0x30, FORCED_REG_REC::kOrMask},
    {"RFEND_CFG1", 0x29, 0x3F, 0x30, FORCED_REG_REC::kOrMask},
    {"", 0, 0, 0, FORCED_REG_REC::kEndOfTable},
};

const FORCED_REG_REC* ForcedRegisters(uint16_t chip)
{
    switch (chip) {
    case 0x3A02: case 0x3A0B: case 0x3A0C:
        return kSubGhzFamily;
    case 0x3A5C: case 0x3A5D: case 0x3A5F:
        return kWideRegisterFamily;
    default:
        return nullptr;
    }
}

} // namespace

std::string RegisterSet::Check(const std::vector<TAB_RADIO_SETTINGS_REC>& rows)
{
    if (rows.size() > kMaxRows)
        return platform::FormatText("The file holds %zu registers; a register set holds at most %zu.", rows.size(),
                                    kMaxRows);
    for (const TAB_RADIO_SETTINGS_REC& row : rows) {
        std::string reason = RegisterFileWriter::CheckRow(row);
        if (!reason.empty())
            return reason;
    }
    return std::string();
}

void RegisterSet::Assign(const std::vector<TAB_RADIO_SETTINGS_REC>& rows)
{
    rows_ = rows;
    rows_.reserve(rows.size() + kRoomPairs);
    list_.assign(2 * (rows.size() + kRoomPairs), 0);
    count_ = static_cast<uint16_t>(2 * rows.size());
    loaded_ = true;
}

void RegisterSet::ApplyMandatoryRegisters(uint16_t chip)
{
    const FORCED_REG_REC* entry = ForcedRegisters(chip);
    if (entry == nullptr)
        return;
    for (; entry->mode != FORCED_REG_REC::kEndOfTable; ++entry) {
        TAB_RADIO_SETTINGS_REC* found = nullptr;
        for (TAB_RADIO_SETTINGS_REC& row : rows_) {
            if (row.REGADDRESS == entry->address) {
                found = &row;
                break;
            }
        }
        if (found != nullptr) {
            found->REGVALUE = entry->mode == FORCED_REG_REC::kOrMask ? (found->REGVALUE | entry->mask) : entry->value;
            continue;
        }
        if (list_.size() < 2 * (rows_.size() + 1))
            continue; // never: the room holds more than any family's table
        TAB_RADIO_SETTINGS_REC added{};
        std::strncpy(added.REGNAME, entry->name, sizeof added.REGNAME - 1);
        added.REGADDRESS = entry->address;
        added.REGVALUE = entry->value;
        rows_.push_back(added);
        count_ = static_cast<uint16_t>(count_ + 2);
    }
}

void RegisterSet::FillList()
{
    for (size_t i = 0; i < rows_.size() && 2 * i + 1 < list_.size(); ++i) {
        list_[2 * i] = static_cast<int>(rows_[i].REGADDRESS);
        list_[2 * i + 1] = static_cast<int>(rows_[i].REGVALUE);
    }
}

bool RegisterSet::SetValue(int row, uint32_t value)
{
    if (row < 0 || row >= RowCount() || value > RegisterFileWriter::kMaxValue)
        return false;
    rows_[static_cast<size_t>(row)].REGVALUE = value;
    list_[2 * static_cast<size_t>(row) + 1] = static_cast<int>(value);
    return true;
}
