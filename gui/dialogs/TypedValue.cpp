#include "gui/dialogs/TypedValue.h"

#include <string>

#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

std::string Latin1Text(const QString& text)
{
    return text.toLatin1().toStdString();
}

bool StartsWithNumber(std::string_view text)
{
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string_view::npos)
        return false;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

void ShowRangeRefusal(std::string_view text, long long low, long long high)
{
    platform::ShowMessageBox(platform::FormatText("Invalid value: %s.\r\nThe value should be in the range %lld : %lld",
                                                  std::string(text).c_str(), low, high),
                             platform::MessageIcon::Exclamation);
}
