#pragma once

#include <optional>
#include <string_view>

#include "gui/dialogs/CSettingEditDlg.h"

// Settings > Clock multiplier: the factor applied to every time stamp, stored as
// ClockMultiplier. The caller applies Result() after IDOK.
class CClockMultiplierDlg : public CSettingEditDlg {
    Q_OBJECT

public:
    static constexpr const char* kDefaultText = "1.0";

    explicit CClockMultiplierDlg(QWidget* parent);
    ~CClockMultiplierDlg() override;

    // The factor taken at the last OK (what was typed, also when it was refused).
    double Result() const { return result_; }

    // A factor text, typed or stored: a decimal number above 0, '.' as its point. Nothing for
    // anything else, "nan" and "inf" included.
    static std::optional<double> ReadFactor(std::string_view text);

    void OnOK() override;

protected:
    void OnInitDialog() override;

private:
    double result_ = 0;
};
