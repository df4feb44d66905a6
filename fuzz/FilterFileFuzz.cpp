// The filter-file reader on arbitrary bytes. Whatever it stores must be what the database's
// checks allow (a file may name a filter "[]", which "Add" cannot); saved and read again it
// must give the same database, and merging that file into it must add nothing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/host/FilterDatabase.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFolder.h"

namespace {

bool SameFilters(const FilterDatabase& a, const FilterDatabase& b)
{
    if (a.Names() != b.Names())
        return false;
    for (const std::string& name : a.Names())
        if (a.Rows(name) != b.Rows(name))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = FuzzFolder() + "/input.pft";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        Check(static_cast<bool>(out));
    }

    FilterDatabase database;
    database.Store("stale", {"X=1"});
    std::vector<std::string> names;
    std::string message;
    Check(database.Read(input, false, &names, &message));

    // Listed once each, and exactly the stored names.
    std::vector<std::string> listed = names;
    std::sort(listed.begin(), listed.end());
    Check(std::adjacent_find(listed.begin(), listed.end()) == listed.end());
    Check(listed == database.Names());
    Check(database.Size() <= FilterDatabase::kMaxFilters);
    for (const std::string& name : database.Names()) {
        Check(name.empty() || FilterDatabase::CheckName(name).empty());
        const std::optional<std::vector<std::string>> rows = database.Rows(name);
        Check(rows.has_value() && FilterDatabase::CheckRows(*rows).empty());
    }

    const std::string saved = FuzzFolder() + "/saved.pft";
    Check(database.Save(saved, &message));
    Check(message.empty());

    FilterDatabase again;
    Check(again.Read(saved, false, &names, &message));
    Check(message.empty());
    Check(names == again.Names());
    Check(SameFilters(database, again));

    Check(again.Read(saved, true, &names, &message));
    Check(message.empty());
    Check(names.empty());
    Check(SameFilters(database, again));
    return 0;
}
