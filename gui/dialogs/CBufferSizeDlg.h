#pragma once

#include <optional>
#include <string_view>

#include "gui/dialogs/CSettingEditDlg.h"

// Settings > Cache buffer size: the size of the RAM cache in whole megabytes, stored as
// PacketBufferSize. The caller applies Result() after IDOK.
class CBufferSizeDlg : public CSettingEditDlg {
    Q_OBJECT

public:
    static constexpr int kLowestSize = 1;
    static constexpr int kHighestSize = 255;
    static constexpr const char* kDefaultText = "20";

    explicit CBufferSizeDlg(QWidget* parent);
    ~CBufferSizeDlg() override;

    // The size in MB; 0 when the last OK was refused.
    int Result() const { return result_; }

    // A size text, typed or stored: a whole number from 1 to 255, optionally followed by the
    // unit "MB". Nothing for anything else.
    static std::optional<int> ReadSize(std::string_view text);

    void OnOK() override;

protected:
    void OnInitDialog() override;

private:
    int result_ = 0;
};
