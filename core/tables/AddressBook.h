#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/tables/TabAddrBookRec.h"
#include "plugin/frame/AddrBookRec.h"

// The main program's side of the address-book exchange: the columns of the protocol
// folder's "AddrBook.plt" and the one ADDR_BOOK_REC whose text buffer holds one slice per
// column, back to back. Used on the GUI thread only.
class AddressBook {
public:
    // Where a column's slice begins in the text buffer, and its length (MAX_CHAR).
    struct REC_PTR {
        char* ptr;
        int len;
    };

    // The plug-ins write their own fixed layouts (41 or 65 bytes) into the buffer whatever
    // the table says; the allocation never falls below this, so a short table cannot make
    // them write past it.
    static constexpr size_t kMinBufferAllocation = 128;

    AddressBook();
    virtual ~AddressBook();
    AddressBook(const AddressBook&) = delete;
    AddressBook& operator=(const AddressBook&) = delete;

    // Reads folder/AddrBook.plt and builds the buffer: 1 done; 0 when the table cannot be
    // read or has no line (then no column, while the old buffer and slices stay).
    int Load(const std::string& folder);
    // Rebuilds a zeroed buffer and its slices from the column definitions; 1.
    int BuildEntryBuffer();

    uint16_t GetColumnCount() const;
    // The slice's text (up to its first zero byte or its end), as a terminated copy that stays
    // valid until the column is read again or the buffer is rebuilt; null when the slice's
    // first byte is zero or there is no such column.
    const char* GetColumnText(uint16_t column);
    // The column's MAX_CHAR; 0 for no such column.
    int GetColumnWidth(uint16_t column) const;
    // Copies at most MAX_CHAR bytes of text into the slice and zero-fills the rest; a text
    // that fills the slice keeps no terminator. Nothing happens for no such column.
    void SetColumnText(uint16_t column, const char* text);

    // Read directly by the panel; the record's address goes to the plug-in's exports.
    const std::vector<TAB_ADDR_BOOK_REC>& Columns() const { return columns_; }
    const std::vector<REC_PTR>& Slices() const { return slices_; }
    ADDR_BOOK_REC& Record() { return record_; }
    // Bytes the slices span: the sum of MAX_CHAR.
    size_t GetBufferSize() const { return bufferSize_; }

private:
    bool HasSlice(uint16_t column) const;

    std::vector<TAB_ADDR_BOOK_REC> columns_;
    std::vector<REC_PTR> slices_;
    std::vector<char> buffer_;
    size_t bufferSize_ = 0;
    std::vector<std::string> texts_; // GetColumnText's terminated copies
    ADDR_BOOK_REC record_{};
};
