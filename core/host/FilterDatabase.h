#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The display filter's named filters and their *.pft files. A filter is kept as its text: the
// rows joined by CR LF, no line end after the last one. Whatever passes CheckName and CheckRows
// comes back unchanged from Save and Read; what does not fit a filter file is refused there.
// Filters are written sorted by name (byte order), the order Names() gives.
class FilterDatabase {
public:
    static constexpr size_t kMaxNameLength = 254;
    static constexpr size_t kMaxRowLength = 999;
    static constexpr size_t kMaxFilterLength = 1999; // the sum of a filter's row lengths

    // Files are untrusted: reading stops with a message at a longer line, a larger file or a
    // database that would grow past kMaxFilters.
    static constexpr size_t kMaxLineLength = 65536;
    static constexpr size_t kMaxFileSize = size_t{64} << 20;
    static constexpr size_t kMaxFilters = 10000;

    // Why the rows cannot be stored ("No filter defined.", "Filter Condition to long.", "Filter to long.",
    // or a row a filter file cannot hold); empty when they can.
    static std::string CheckRows(const std::vector<std::string>& rows);
    // Why a name cannot be stored ("You have to give a Filter name." for an empty one, or a name a
    // filter file cannot hold); empty when it can.
    static std::string CheckName(const std::string& name);

    bool Contains(const std::string& name) const;
    // Stores rows under name, replacing a stored filter of that name (checked by the caller with the two checks).
    void Store(const std::string& name, const std::vector<std::string>& rows);
    bool Remove(const std::string& name);
    // The stored rows (an empty text gives one empty row); nullopt when not stored.
    std::optional<std::vector<std::string>> Rows(const std::string& name) const;
    std::vector<std::string> Names() const; // sorted, once each
    size_t Size() const;
    void Clear();

    // Writes every filter to path through a temporary file beside it, renamed over path once every
    // write, the flush and the close have succeeded. false with *message set ("Not able to open table: %s"
    // when the file cannot be created, else the reason with the system's text); path is then left as it was.
    bool Save(const std::string& path, std::string* message) const;

    // Open (merge false: the database is replaced) or Merge (merge true: renaming on a name clash,
    // dropping a text that is stored already). false with *message when the file cannot be opened
    // ("Not able to open table: %s"), the database unchanged. A bad header ("Invalid Filter name: %s") or
    // a file beyond the limits stops the reading: what was completed before stays, the result is true
    // and *message holds the text to show (empty otherwise). *names receives the names added, once
    // each, in file order.
    bool Read(const std::string& path, bool merge, std::vector<std::string>* names, std::string* message);

private:
    class Reading;

    std::map<std::string, std::string> filters_; // name -> text
};
