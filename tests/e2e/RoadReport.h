#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/ReportLine.h"

namespace e2e {

// The report the agents wrote, as the test reads it.
class RoadReport {
public:
    explicit RoadReport(const std::string& path) : path_(path) { Read(); }

    void Read()
    {
        lines_.clear();
        text_.clear();
        std::ifstream in(path_);
        std::string line;
        while (std::getline(in, line)) {
            text_ += line + '\n';
            if (auto parsed = ParseReportLine(line))
                lines_.push_back(*parsed);
        }
    }

    // The texts of the lines of a kind, of one program ("" for any).
    std::vector<std::string> Texts(const std::string& kind, const std::string& program = "") const
    {
        std::vector<std::string> texts;
        for (const ReportLine& line : lines_)
            if (line.kind == kind && (program.empty() || line.program == program))
                texts.push_back(line.text);
        return texts;
    }

    // The last value reported under name; "" when none was.
    std::string Value(const std::string& name) const
    {
        std::string found;
        for (const std::string& text : Texts("value"))
            if (text.compare(0, name.size() + 1, name + "=") == 0)
                found = text.substr(name.size() + 1);
        return found;
    }

    long long Number(const std::string& name) const
    {
        const std::string text = Value(name);
        return text.empty() ? -1 : std::strtoll(text.c_str(), nullptr, 10);
    }

    const std::string& Text() const { return text_; }

private:
    std::string path_;
    std::vector<ReportLine> lines_;
    std::string text_;
};

} // namespace e2e
