#include "core/host/FilterDatabase.h"

#include <cstring>
#include <unordered_set>
#include <utility>

#include "core/host/FilterFileLines.h"
#include "core/host/FilterFileWriter.h"
#include "platform/TextFormat.h"

namespace {

constexpr const char* kRowSeparator = "\r\n";
constexpr size_t kShownNameLength = 40;

std::string JoinRows(const std::vector<std::string>& rows)
{
    std::string text;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += kRowSeparator;
        text += rows[i];
    }
    return text;
}

// A row ends at each CR (an LF after it is skipped) and at the end of the text.
std::vector<std::string> SplitText(const std::string& text)
{
    std::vector<std::string> rows(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            rows.emplace_back();
        } else {
            rows.back().push_back(text[i]);
        }
    }
    return rows;
}

void StripLineEnds(std::string* text)
{
    while (!text->empty() && (text->back() == '\r' || text->back() == '\n'))
        text->pop_back();
}

// A name as messages show it: in brackets as in the file, cut when long.
std::string Shown(const std::string& name)
{
    if (name.size() <= kShownNameLength)
        return "[" + name + "]";
    return "[" + name.substr(0, kShownNameLength) + "...]";
}

std::string LengthRefusal(size_t rowLength, size_t lengthSoFar)
{
    if (rowLength > FilterDatabase::kMaxRowLength)
        return "Filter Condition to long.";
    if (lengthSoFar > FilterDatabase::kMaxFilterLength)
        return "Filter to long.";
    return std::string();
}

} // namespace

// One pass over a file: collects the rows of the filter being read and hands each completed
// filter to the database. Run gives the text to show, empty when there is none.
class FilterDatabase::Reading {
public:
    Reading(FilterDatabase& database, const std::string& path, bool merge, std::vector<std::string>* names)
        : database_(database), path_(path), merge_(merge), names_(names)
    {
    }

    std::string Run(FilterFileLines& lines)
    {
        std::string line;
        for (;;) {
            const FilterFileLines::Status status = lines.Next(&line);
            const size_t number = lines.LineNumber();
            switch (status) {
            case FilterFileLines::Status::End:
                if (named_ && !Complete())
                    return message_;
                return std::string();
            case FilterFileLines::Status::TooLong:
                return Stop(number, platform::FormatText("the line is longer than %zu characters.", kMaxLineLength));
            case FilterFileLines::Status::Nul:
                return Stop(number, "the line holds a NUL character.");
            case FilterFileLines::Status::TooLarge:
                return Stop(number, platform::FormatText("the file is larger than %zu bytes.", kMaxFileSize));
            case FilterFileLines::Status::ReadError:
                return Stop(number, std::strerror(lines.Error()));
            case FilterFileLines::Status::Line:
                if (!Take(line, number))
                    return message_;
                break;
            }
        }
    }

private:
    // false when the reading stops, with message_ set.
    bool Take(const std::string& line, size_t number)
    {
        if (line.empty() || line[0] == '#')
            return true;
        const size_t open = line.find('[');
        if (open != std::string::npos)
            return Header(line, open, number);
        if (!pendingRefusal_.empty())
            return true; // rows before the first header that no filter can take
        const std::string refusal = LengthRefusal(line.size(), length_ + line.size());
        if (!refusal.empty()) {
            if (named_)
                return Refuse(number, name_, refusal);
            pendingRefusal_ = refusal;
            pendingLine_ = number;
            return true;
        }
        rows_.push_back(line);
        length_ += line.size();
        return true;
    }

    bool Header(const std::string& line, size_t open, size_t number)
    {
        // A header line completes the filter being read, also a header that is refused: its
        // rows were whole, and a typo further down must not lose them.
        if (named_) {
            if (!Complete())
                return false;
            rows_.clear();
            length_ = 0;
            named_ = false;
        }
        const size_t close = line.find(']', open + 1);
        if (close == std::string::npos) {
            message_ = platform::FormatText("Invalid Filter name: %s", line.c_str() + open + 1);
            return false;
        }
        // Rows before the first header are the first filter's first rows.
        named_ = true;
        name_ = line.substr(open + 1, close - open - 1);
        headerLine_ = number;
        if (!pendingRefusal_.empty())
            return Refuse(pendingLine_, name_, pendingRefusal_);
        // "[]" names a filter with the empty name: the file format holds it, unlike "Add".
        if (!name_.empty()) {
            const std::string refusal = CheckName(name_);
            if (!refusal.empty())
                return Refuse(number, name_, refusal);
        }
        return true;
    }

    // A refusal names the line of the filter's header.
    bool Complete()
    {
        std::string text = JoinRows(rows_);
        return merge_ ? Merge(headerLine_, std::move(text)) : Replace(headerLine_, std::move(text));
    }

    bool Replace(size_t number, std::string text)
    {
        if (!database_.Contains(name_)) {
            if (!Room(number))
                return false;
            // A name given twice keeps its later filter and is listed once.
            if (names_ != nullptr)
                names_->push_back(name_);
        }
        database_.filters_[name_] = std::move(text);
        return true;
    }

    bool Merge(size_t number, std::string text)
    {
        if (!stripped_) {
            // The stored texts lose their trailing line ends for good.
            for (auto& [name, stored] : database_.filters_) {
                StripLineEnds(&stored);
                texts_.insert(stored);
            }
            stripped_ = true;
        }
        StripLineEnds(&text);
        if (texts_.count(text) != 0)
            return true; // stored already, under some name
        std::string name = name_;
        for (unsigned clash = 0; database_.Contains(name); ++clash) {
            name += std::to_string(clash);
            if (name.size() > kMaxNameLength)
                break;
        }
        if (name.size() > kMaxNameLength)
            return Refuse(number, name_,
                          platform::FormatText("its name would be longer than %zu characters after renaming "
                                               "it to keep it apart from the stored filters.",
                                               kMaxNameLength));
        if (!Room(number))
            return false;
        texts_.insert(text);
        database_.filters_.emplace(name, std::move(text));
        if (names_ != nullptr)
            names_->push_back(std::move(name));
        return true;
    }

    bool Room(size_t number)
    {
        if (database_.Size() < kMaxFilters)
            return true;
        Stop(number, platform::FormatText("the filter database cannot hold more than %zu filters.", kMaxFilters));
        return false;
    }

    bool Refuse(size_t number, const std::string& name, const std::string& refusal)
    {
        Stop(number, platform::FormatText("filter %s: %s", Shown(name).c_str(), refusal.c_str()));
        return false;
    }

    const std::string& Stop(size_t number, const std::string& reason)
    {
        message_ = platform::FormatText("Reading of %s stopped at line %zu: %s", path_.c_str(), number, reason.c_str());
        return message_;
    }

    FilterDatabase& database_;
    const std::string& path_;
    const bool merge_;
    std::vector<std::string>* const names_;

    // The filter being read; before the first header its name is not known yet.
    bool named_ = false;
    std::string name_;
    size_t headerLine_ = 0;
    std::vector<std::string> rows_;
    size_t length_ = 0;
    std::string pendingRefusal_;
    size_t pendingLine_ = 0;

    // Merge only: every stored text, for dropping a filter that is stored already.
    bool stripped_ = false;
    std::unordered_set<std::string> texts_;

    std::string message_;
};

std::string FilterDatabase::CheckRows(const std::vector<std::string>& rows)
{
    if (rows.empty())
        return "No filter defined.";
    size_t length = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        length += row.size();
        std::string refusal = LengthRefusal(row.size(), length);
        if (!refusal.empty())
            return refusal;
        // A filter of one empty row is the empty text, which a file holds; other empty rows it drops.
        if (row.empty() && rows.size() > 1)
            return platform::FormatText("Row %zu of the filter is empty: a filter file cannot hold an empty row.", i + 1);
        if (row.find('\0') != std::string::npos)
            return platform::FormatText("Row %zu of the filter holds a NUL character.", i + 1);
        if (row.find_first_of("\r\n") != std::string::npos)
            return platform::FormatText("Row %zu of the filter holds a line break.", i + 1);
        if (!row.empty() && row[0] == '#')
            return platform::FormatText(
                "Row %zu of the filter starts with '#': a filter file reads such a line as a comment.", i + 1);
        if (row.find('[') != std::string::npos)
            return platform::FormatText(
                "Row %zu of the filter holds '[': a filter file reads such a line as a filter name.", i + 1);
    }
    return std::string();
}

std::string FilterDatabase::CheckName(const std::string& name)
{
    if (name.empty())
        return "You have to give a Filter name.";
    if (name.size() > kMaxNameLength)
        return platform::FormatText("The filter name is longer than %zu characters.", kMaxNameLength);
    if (name.find('\0') != std::string::npos)
        return "The filter name holds a NUL character.";
    if (name.find_first_of("\r\n") != std::string::npos)
        return "The filter name holds a line break.";
    if (name.find(']') != std::string::npos)
        return "The filter name holds ']': a filter file ends the name there.";
    return std::string();
}

bool FilterDatabase::Contains(const std::string& name) const
{
    return filters_.count(name) != 0;
}

void FilterDatabase::Store(const std::string& name, const std::vector<std::string>& rows)
{
    filters_[name] = JoinRows(rows);
}

bool FilterDatabase::Remove(const std::string& name)
{
    return filters_.erase(name) != 0;
}

std::optional<std::vector<std::string>> FilterDatabase::Rows(const std::string& name) const
{
    const auto found = filters_.find(name);
    if (found == filters_.end())
        return std::nullopt;
    return SplitText(found->second);
}

std::vector<std::string> FilterDatabase::Names() const
{
    std::vector<std::string> names;
    names.reserve(filters_.size());
    for (const auto& [name, text] : filters_)
        names.push_back(name);
    return names;
}

size_t FilterDatabase::Size() const
{
    return filters_.size();
}

void FilterDatabase::Clear()
{
    filters_.clear();
}

bool FilterDatabase::Save(const std::string& path, std::string* message) const
{
    std::string ignored;
    if (message == nullptr)
        message = &ignored;
    message->clear();
    // Refused here rather than lost when the file is read back.
    if (filters_.size() > kMaxFilters) {
        *message = platform::FormatText("The filter database holds %zu filters; a filter file holds at most %zu.",
                                        filters_.size(), kMaxFilters);
        return false;
    }
    std::string bytes;
    for (const auto& [name, text] : filters_) {
        const std::vector<std::string> rows = SplitText(text);
        std::string refusal = name.empty() ? std::string() : CheckName(name);
        if (refusal.empty())
            refusal = CheckRows(rows);
        if (!refusal.empty()) {
            *message = platform::FormatText("The filter %s cannot be saved: %s", Shown(name).c_str(), refusal.c_str());
            return false;
        }
        bytes += "[" + name + "]\r\n";
        if (!text.empty())
            for (const std::string& row : rows)
                bytes += row + "\r\n";
    }
    return FilterFileWriter::Write(path, bytes, message);
}

bool FilterDatabase::Read(const std::string& path, bool merge, std::vector<std::string>* names, std::string* message)
{
    std::string ignored;
    if (message == nullptr)
        message = &ignored;
    message->clear();
    if (names != nullptr)
        names->clear();
    FilterFileLines lines(kMaxLineLength, kMaxFileSize);
    if (!lines.Open(path)) {
        *message = platform::FormatText("Not able to open table: %s", path.c_str());
        return false;
    }
    if (!merge)
        Clear();
    Reading reading(*this, path, merge, names);
    *message = reading.Run(lines);
    return true;
}
