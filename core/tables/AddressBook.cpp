#include "core/tables/AddressBook.h"

#include <algorithm>
#include <cstring>

#include "core/tables/TabAddrBook.h"

AddressBook::AddressBook() = default;

AddressBook::~AddressBook() = default;

int AddressBook::Load(const std::string& folder)
{
    columns_.clear();
    record_.ready = 0;
    TabAddrBook table(folder);
    if (table.Read() == 1)
        columns_ = table.Rows();
    if (columns_.empty())
        return 0;
    return BuildEntryBuffer();
}

int AddressBook::BuildEntryBuffer()
{
    slices_.clear();
    texts_.assign(columns_.size(), std::string());
    size_t total = 0;
    for (const TAB_ADDR_BOOK_REC& column : columns_)
        total += column.MAX_CHAR;
    std::vector<char> buffer(std::max(total, kMinBufferAllocation), '\0');
    size_t offset = 0;
    for (const TAB_ADDR_BOOK_REC& column : columns_) {
        slices_.push_back({buffer.data() + offset, column.MAX_CHAR});
        offset += column.MAX_CHAR;
    }
    buffer_ = std::move(buffer);
    bufferSize_ = total;
    record_.text = buffer_.data();
    record_.ready = 1;
    return 1;
}

uint16_t AddressBook::GetColumnCount() const
{
    return static_cast<uint16_t>(columns_.size());
}

bool AddressBook::HasSlice(uint16_t column) const
{
    return column < columns_.size() && column < slices_.size();
}

const char* AddressBook::GetColumnText(uint16_t column)
{
    if (!HasSlice(column))
        return nullptr;
    const REC_PTR& slice = slices_[column];
    if (slice.len == 0 || slice.ptr[0] == '\0')
        return nullptr;
    std::string& text = texts_[column];
    text.assign(slice.ptr, strnlen(slice.ptr, static_cast<size_t>(slice.len)));
    return text.c_str();
}

int AddressBook::GetColumnWidth(uint16_t column) const
{
    return column < columns_.size() ? columns_[column].MAX_CHAR : 0;
}

void AddressBook::SetColumnText(uint16_t column, const char* text)
{
    if (!HasSlice(column))
        return;
    const REC_PTR& slice = slices_[column];
    size_t length = static_cast<size_t>(slice.len);
    std::memset(slice.ptr, 0, length);
    if (text != nullptr)
        std::memcpy(slice.ptr, text, strnlen(text, length));
}
