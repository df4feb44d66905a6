#include "launcher/InfoText.h"

std::string InfoWithLineEnds(const std::string& info)
{
    std::string text = info;
    for (char& c : text) {
        if (c == '&')
            c = '\r';
        else if (c == '$')
            c = '\n';
    }
    return text;
}

std::string InfoForDisplay(const std::string& info)
{
    const std::string withLineEnds = InfoWithLineEnds(info);
    std::string shown;
    shown.reserve(withLineEnds.size());
    for (size_t i = 0; i < withLineEnds.size(); ++i) {
        const char c = withLineEnds[i];
        if (c == '\r') {
            shown += '\n';
            if (i + 1 < withLineEnds.size() && withLineEnds[i + 1] == '\n')
                ++i;
        } else {
            shown += c;
        }
    }
    return shown;
}
