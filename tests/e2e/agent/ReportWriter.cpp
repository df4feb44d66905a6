#include "tests/e2e/agent/ReportWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "tests/e2e/ReportLine.h"

ReportWriter::ReportWriter(std::string path, std::string program)
    : path_(std::move(path)), program_(std::move(program))
{
}

void ReportWriter::Write(const std::string& kind, const std::string& text) const
{
    const std::string line = e2e::FormatReportLine({program_, kind, text});
    const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = write(fd, line.data(), line.size());
    close(fd);
}

void ReportWriter::Value(const std::string& name, long long value) const
{
    Write("value", name + "=" + std::to_string(value));
}

void ReportWriter::Value(const std::string& name, const std::string& value) const
{
    Write("value", name + "=" + value);
}
