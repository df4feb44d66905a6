#include "launcher/WindowsCommandLine.h"

std::vector<std::string> SplitCommandLine(std::string_view parameters)
{
    std::vector<std::string> arguments;
    std::string argument;
    bool started = false;
    bool quoted = false;
    for (size_t i = 0; i < parameters.size(); ++i) {
        const char c = parameters[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (started)
                arguments.push_back(std::move(argument));
            argument.clear();
            started = false;
            continue;
        }
        started = true;
        if (c == '\\') {
            size_t count = 1;
            while (i + count < parameters.size() && parameters[i + count] == '\\')
                ++count;
            const bool beforeQuote = i + count < parameters.size() && parameters[i + count] == '"';
            if (!beforeQuote) {
                argument.append(count, '\\');
                i += count - 1;
                continue;
            }
            argument.append(count / 2, '\\');
            i += count - 1;
            if (count % 2 == 1) {
                argument += '"';
                ++i;
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < parameters.size() && parameters[i + 1] == '"') {
                argument += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        argument += c;
    }
    if (started)
        arguments.push_back(std::move(argument));
    return arguments;
}
