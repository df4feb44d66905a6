#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/tables/PelagorTable.h"

// A protocol table whose good lines become records of type Rec, kept in file order. The
// columns are bound to row_, the current row record; every row read appends a copy of it.
template <typename Rec>
class PelagorTableRows : public PelagorTable {
public:
    int Count() const { return static_cast<int>(rows_.size()); }
    const Rec& At(int index) const { return rows_.at(static_cast<size_t>(index)); }
    const std::vector<Rec>& Rows() const { return rows_; }

protected:
    PelagorTableRows(const std::string& folder, const std::string& tableName)
        : PelagorTable(folder, tableName)
    {
    }

    // Starts a new row array and reads the whole table into it; 1 when every line was read.
    int ReadRows(const std::string& suffix, bool showRejection = true,
                 const std::function<void(const char*)>& takeDirective = nullptr)
    {
        rows_.clear();
        return ReadTable(suffix, showRejection, [this] { rows_.push_back(row_); }, takeDirective);
    }

    Rec row_{};
    std::vector<Rec> rows_;
};
