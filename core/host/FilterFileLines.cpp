#include "core/host/FilterFileLines.h"

#include <sys/stat.h>

#include <cerrno>

namespace {

constexpr int kEnd = -1;
constexpr int kError = -2;
constexpr int kTooLarge = -3;

} // namespace

FilterFileLines::FilterFileLines(size_t maxLineLength, size_t maxFileSize)
    : maxLineLength_(maxLineLength), maxFileSize_(maxFileSize), buffer_(size_t{1} << 16)
{
}

FilterFileLines::~FilterFileLines()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool FilterFileLines::Open(const std::string& path)
{
    errno = 0;
    file_ = std::fopen(path.c_str(), "rbe");
    if (file_ == nullptr) {
        error_ = errno != 0 ? errno : ENOENT;
        return false;
    }
    // A folder opens for reading here, but only fails at the first read.
    struct stat info {};
    if (::fstat(::fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        error_ = EISDIR;
        return false;
    }
    return true;
}

int FilterFileLines::Get()
{
    if (used_ == filled_) {
        errno = 0;
        filled_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        used_ = 0;
        if (filled_ == 0) {
            if (std::ferror(file_)) {
                error_ = errno != 0 ? errno : EIO;
                return kError;
            }
            return kEnd;
        }
    }
    if (consumed_ == maxFileSize_)
        return kTooLarge;
    ++consumed_;
    return static_cast<unsigned char>(buffer_[used_++]);
}

FilterFileLines::Status FilterFileLines::Next(std::string* line)
{
    line->clear();
    if (file_ == nullptr || stopped_)
        return Status::End;
    // The LF of a CR LF pair that ended the previous line.
    bool skipLf = afterCr_;
    afterCr_ = false;
    for (;;) {
        const int c = Get();
        if (skipLf) {
            skipLf = false;
            if (c == '\n')
                continue;
        }
        switch (c) {
        case kEnd:
            stopped_ = true;
            if (line->empty())
                return Status::End;
            ++lineNumber_;
            return Status::Line;
        case kError:
            stopped_ = true;
            ++lineNumber_;
            return Status::ReadError;
        case kTooLarge:
            stopped_ = true;
            ++lineNumber_;
            return Status::TooLarge;
        case '\r':
            afterCr_ = true;
            ++lineNumber_;
            return Status::Line;
        case '\n':
            ++lineNumber_;
            return Status::Line;
        case '\0':
            stopped_ = true;
            ++lineNumber_;
            return Status::Nul;
        default:
            if (line->size() == maxLineLength_) {
                stopped_ = true;
                ++lineNumber_;
                return Status::TooLong;
            }
            line->push_back(static_cast<char>(c));
            break;
        }
    }
}
