#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Reads a text file line by line, whole lines, with bounds for untrusted files. A line ends at
// LF, CR LF or a lone CR; the line end is not part of the line.
class FilterFileLines {
public:
    enum class Status {
        Line,      // *line holds the next line
        End,       // the file is read
        TooLong,   // the line is longer than the line limit
        Nul,       // the line holds a NUL byte
        TooLarge,  // the file is larger than the size limit
        ReadError, // Error() holds errno
    };

    FilterFileLines(size_t maxLineLength, size_t maxFileSize);
    ~FilterFileLines();
    FilterFileLines(const FilterFileLines&) = delete;
    FilterFileLines& operator=(const FilterFileLines&) = delete;

    // false with Error() set when path cannot be opened for reading or is a folder.
    bool Open(const std::string& path);
    Status Next(std::string* line);
    // The number of the line Next last returned or stopped at, from 1.
    size_t LineNumber() const { return lineNumber_; }
    int Error() const { return error_; }

private:
    // The next byte, or -1 at the end of the file or on an error (error_ set).
    int Get();

    const size_t maxLineLength_;
    const size_t maxFileSize_;
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    size_t used_ = 0;
    size_t filled_ = 0;
    size_t consumed_ = 0;
    size_t lineNumber_ = 0;
    bool afterCr_ = false;
    bool stopped_ = false;
    int error_ = 0;
};
