#include "gui/dialogs/CClockMultiplierDlg.h"

#include <limits>
#include <string>

#include <QLineEdit>

#include "core/host/CPelagorSettings.h"
#include "gui/dialogs/TypedValue.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/TextFormat.h"

namespace {

std::optional<double> ReadDecimal(std::string_view text)
{
    return platform::ParseDecimal(text, std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max());
}

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

CClockMultiplierDlg::CClockMultiplierDlg(QWidget* parent)
    : CSettingEditDlg(parent, QStringLiteral("Clock Multiplier"),
                      {QStringLiteral("Set the clock multiplier to compensate for clock frequency error on the PC "
                                      "Communication controller and the microcontroller running the radio protocol:"),
                       QStringLiteral("- Pause the Pelagor.\n"
                                      "- Switch to microsecond time stamps to get accurate numbers (default).\n"
                                      "- Measure a known time interval (e.g. the distance between a few beacons)."),
                       QStringLiteral("- Divide the desired value by the real value, and enter this floating-point "
                                      "factor into this field.\n"
                                      "- Resume the Pelagor.")},
                      QStringLiteral("Clock Multiplier: "), QString(), 295)
{
}

CClockMultiplierDlg::~CClockMultiplierDlg() = default;

std::optional<double> CClockMultiplierDlg::ReadFactor(std::string_view text)
{
    const std::optional<double> value = ReadDecimal(text);
    if (!value || !(*value > 0))
        return std::nullopt;
    return value;
}

void CClockMultiplierDlg::OnInitDialog()
{
    CPelagorSettings settings;
    settings.Load();
    // A stored text that is no factor is no choice: the default stands.
    const bool usable = ReadFactor(settings.ClockMultiplier.View()).has_value();
    Edit()->setText(QString::fromLatin1(usable ? settings.ClockMultiplier.c_str() : kDefaultText));
}

void CClockMultiplierDlg::OnOK()
{
    CPelagorSettings settings;
    settings.Load();
    const std::string text = Latin1Text(Edit()->text());
    result_ = ReadDecimal(text).value_or(0);
    if (!(result_ > 0)) {
        platform::ShowMessageBox(platform::FormatText("Invalid value: %s.\r\nThe value should be > 0.0", text.c_str()),
                                 platform::MessageIcon::Exclamation);
        FocusEdit();
        return;
    }
    // As typed: the edit holds no more than the setting does.
    settings.ClockMultiplier = Trimmed(text);
    settings.Save();
    done(IDOK);
}
