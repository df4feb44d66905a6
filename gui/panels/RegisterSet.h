#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/tables/TabRadioSettingsRec.h"

// The radio registers the register panel holds: the rows of the loaded file in file order,
// the forced registers appended, and the list handed to the capture engine, {address, value}
// per row with a 16-bit count of ints. The list stays where it is until the next Assign.
class RegisterSet {
public:
    // Pairs of room behind the file's rows, for the forced registers.
    static constexpr size_t kRoomPairs = 6;
    // The most rows whose list, room included, the 16-bit count of ints can still count.
    static constexpr size_t kMaxRows = (0xFFFF - 2 * kRoomPairs) / 2;

    // "" when the rows of a register file can make a set; else the reason.
    static std::string Check(const std::vector<TAB_RADIO_SETTINGS_REC>& rows);

    // Replaces the set with rows that passed Check: room for them and kRoomPairs pairs,
    // a count of 2 x rows.
    void Assign(const std::vector<TAB_RADIO_SETTINGS_REC>& rows);
    // Sets the registers that capture needs for the family of chip, ORing bits into the
    // file's rows or appending rows (and two ints of count each) for registers it lacks.
    void ApplyMandatoryRegisters(uint16_t chip);
    // Writes the pairs of every row, in row order.
    void FillList();
    // Changes a row's value and its pair's; false for a row outside the set or a value
    // that does not fit a register byte.
    bool SetValue(int row, uint32_t value);

    bool Loaded() const { return loaded_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const TAB_RADIO_SETTINGS_REC& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }
    const std::vector<TAB_RADIO_SETTINGS_REC>& Rows() const { return rows_; }
    const int* List() const { return list_.data(); }
    uint16_t Count() const { return count_; }

private:
    std::vector<TAB_RADIO_SETTINGS_REC> rows_;
    std::vector<int> list_;
    uint16_t count_ = 0;
    bool loaded_ = false;
};
