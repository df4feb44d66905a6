#pragma once

#include <optional>
#include <string>

// One line of the report the agent writes from inside the programs and the test reads:
// "<program>\t<kind>\t<text>\n". Kinds: "up" (the program's window is there; text: the pid),
// "step" (a step went through), "value" (text: name=value), "box" (a message box's text),
// "screen" (a PNG written), "fail" (the road stopped; text: why), "end" (the road is through).
namespace e2e {

struct ReportLine {
    std::string program;
    std::string kind;
    std::string text;
};

inline std::string FormatReportLine(const ReportLine& line)
{
    std::string text = line.text;
    // One line per record: a text of several lines is joined.
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return line.program + '\t' + line.kind + '\t' + text + '\n';
}

inline std::optional<ReportLine> ParseReportLine(const std::string& line)
{
    const size_t first = line.find('\t');
    if (first == std::string::npos)
        return std::nullopt;
    const size_t second = line.find('\t', first + 1);
    if (second == std::string::npos)
        return std::nullopt;
    std::string text = line.substr(second + 1);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return ReportLine{line.substr(0, first), line.substr(first + 1, second - first - 1), text};
}

// The environment the test hands the agent through the programs.
constexpr const char* kReportVariable = "PELAGOR_E2E_REPORT";
constexpr const char* kScreensVariable = "PELAGOR_E2E_SCREENS";
constexpr const char* kFilesVariable = "PELAGOR_E2E_FILES";
// How many packets the capture is to hold before it is paused.
constexpr const char* kPacketsVariable = "PELAGOR_E2E_PACKETS";

} // namespace e2e
