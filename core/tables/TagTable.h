#pragma once

#include <istream>
#include <map>
#include <string>

// Reader of the tag-table grammar: key lines "key=value" first, then "[section]" lines,
// each followed by free lines that the subclass takes.
class TagTable {
public:
    virtual ~TagTable() = default;

    // 1 when the file was opened, whatever it holds; 0 (after "Not able to open table: %s")
    // when it could not be.
    int Read(const std::string& path);
    // The same grammar from a stream that is already open.
    void ReadLines(std::istream& in);

    // True while no key line and no section line has been taken.
    bool IsEmpty() const { return empty_; }

    // The value of a header key, or nullptr. Valid while the table lives.
    const char* GetValue(const std::string& key) const;

protected:
    // Takes one line of the current section: 1 taken, 0 rejected.
    virtual int ParseLine(const std::string& line) = 0;
    virtual void SetSection(const std::string& name) = 0;

private:
    void TakeLine(const std::string& line);

    std::map<std::string, std::string> header_;
    bool empty_ = true;
    bool sectionsBegun_ = false;
};
