#include "gui/dialogs/CBufferSizeDlg.h"

#include <string>

#include <QLineEdit>

#include "core/host/CPelagorSettings.h"
#include "gui/dialogs/TypedValue.h"
#include "platform/NumberText.h"

CBufferSizeDlg::CBufferSizeDlg(QWidget* parent)
    : CSettingEditDlg(parent, QStringLiteral("Cache Buffer"),
                      {QStringLiteral("Select cash buffer size in whole megabytes. The cash buffer is allocated in "
                                      "RAM and is used to speed up the access time when reading packet data.")},
                      QString(), QStringLiteral("MB"), 190)
{
}

CBufferSizeDlg::~CBufferSizeDlg() = default;

std::optional<int> CBufferSizeDlg::ReadSize(std::string_view text)
{
    // The unit the dialog shows after the edit may be typed with the number.
    const size_t last = text.find_last_not_of(" \t");
    if (last != std::string_view::npos && last >= 1 && (text[last] == 'B' || text[last] == 'b') &&
        (text[last - 1] == 'M' || text[last - 1] == 'm'))
        text = text.substr(0, last - 1);
    const std::optional<long long> size = platform::ParseWholeNumber(text, kLowestSize, kHighestSize);
    if (!size)
        return std::nullopt;
    return static_cast<int>(*size);
}

void CBufferSizeDlg::OnInitDialog()
{
    CPelagorSettings settings;
    settings.Load();
    // A stored text that is no size is no choice: the default stands.
    const bool usable = ReadSize(settings.PacketBufferSize.View()).has_value();
    Edit()->setText(QString::fromLatin1(usable ? settings.PacketBufferSize.c_str() : kDefaultText));
}

void CBufferSizeDlg::OnOK()
{
    CPelagorSettings settings;
    settings.Load();
    const std::string text = Latin1Text(Edit()->text());
    const std::optional<int> size = ReadSize(text);
    if (!size) {
        result_ = 0;
        ShowRangeRefusal(text, kLowestSize, kHighestSize);
        FocusEdit();
        return;
    }
    result_ = *size;
    // The number alone, so that whoever reads the setting reads this size.
    settings.PacketBufferSize = std::to_string(*size);
    settings.Save();
    done(IDOK);
}
