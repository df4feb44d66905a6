#pragma once

#include <string>

// Appends report lines for one program to the file the test named. Each line is one write
// to a file opened for appending, so the lines of two programs never mix.
class ReportWriter {
public:
    ReportWriter(std::string path, std::string program);

    void Write(const std::string& kind, const std::string& text) const;
    void Value(const std::string& name, long long value) const;
    void Value(const std::string& name, const std::string& value) const;

    const std::string& Program() const { return program_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string program_;
};
