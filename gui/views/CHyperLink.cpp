#include "gui/views/CHyperLink.h"

#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QPalette>

#include "gui/ColorRef.h"
#include "gui/ControlId.h"
#include "gui/OpenUrl.h"

CHyperLink::CHyperLink(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // The link is as wide as its text, so the hand and the hover colour stay on the text.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Underline();
    UpdateColour();
}

CHyperLink::~CHyperLink() = default;

void CHyperLink::SetLinkText(const QString& text)
{
    linkText_ = text;
    setText(text);
}

void CHyperLink::SetURL(const QString& address)
{
    url_ = address;
    setToolTip(address);
}

void CHyperLink::SetLinkColour(uint32_t colour)
{
    linkColour_ = colour;
    UpdateColour();
}

void CHyperLink::SetHoverColour(uint32_t colour)
{
    hoverColour_ = colour;
    UpdateColour();
}

void CHyperLink::SetVisitedColour(uint32_t colour)
{
    visitedColour_ = colour;
    UpdateColour();
}

void CHyperLink::SetNotify(bool notify)
{
    notify_ = notify;
}

uint32_t CHyperLink::CurrentColour() const
{
    if (visited_)
        return visitedColour_;
    return hover_ ? hoverColour_ : linkColour_;
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    SetHover(true);
}

void CHyperLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    SetHover(false);
}

void CHyperLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // Like a button: a press that is dragged off the link and released elsewhere is no click.
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        OnClicked();
}

void CHyperLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // A font handed down by the parent later must stay underlined.
    if (event->type() == QEvent::FontChange && !font().underline())
        Underline();
}

void CHyperLink::OnClicked()
{
    // Visited first: the owner's slot or the browser may take a while, the colour should not.
    visited_ = true;
    UpdateColour();
    if (notify_)
        emit notify(ControlIdOf(this));
    else
        OpenUrl(url_);
}

void CHyperLink::SetHover(bool hover)
{
    if (hover_ == hover)
        return;
    hover_ = hover;
    UpdateColour();
}

void CHyperLink::UpdateColour()
{
    // A disabled link keeps the palette's grey.
    QPalette colours = palette();
    const QColor colour = ColorFromColorRef(CurrentColour());
    colours.setColor(QPalette::Active, QPalette::WindowText, colour);
    colours.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    setPalette(colours);
    update();
}

void CHyperLink::Underline()
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}
