#include "gui/views/CColorEdit.h"

#include <QPalette>

#include "gui/ColorRef.h"

CColorEdit::CColorEdit(QWidget* parent)
    : QLineEdit(parent)
{
    ApplyColors();
}

CColorEdit::~CColorEdit() = default;

void CColorEdit::SetColors(uint32_t background, uint32_t text)
{
    background_ = background;
    text_ = text;
    ApplyColors();
}

void CColorEdit::ApplyColors()
{
    // The same colours in every state: colour swatches are disabled fields that must still show
    // their colour. Base is what a line edit fills, Window what some styles use when read-only.
    QPalette colours = palette();
    const QColor background = ColorFromColorRef(background_);
    const QColor text = ColorFromColorRef(text_);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, background);
        colours.setColor(group, QPalette::Window, background);
        colours.setColor(group, QPalette::Text, text);
    }
    setPalette(colours);
    update();
}
