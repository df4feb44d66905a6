#pragma once

#include <cstdint>

#include <QLineEdit>

// An edit field with its own background and text colour (COLORREF values, 0x00BBGGRR);
// black on white until SetColors is called.
class CColorEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr uint32_t kDefaultBackground = 0xFFFFFF;
    static constexpr uint32_t kDefaultText = 0x000000;

    explicit CColorEdit(QWidget* parent = nullptr);
    ~CColorEdit() override;

    // Takes both colours and repaints the field with them.
    void SetColors(uint32_t background, uint32_t text);

    uint32_t GetBackgroundColor() const { return background_; }
    uint32_t GetTextColor() const { return text_; }

private:
    void ApplyColors();

    uint32_t background_ = kDefaultBackground;
    uint32_t text_ = kDefaultText;
};
