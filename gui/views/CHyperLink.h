#pragma once

#include <cstdint>

#include <QLabel>
#include <QString>

class QEnterEvent;
class QEvent;
class QMouseEvent;

// A static text that looks and acts like a link: underlined, hand cursor, coloured by state.
// A click opens the address through OpenUrl, or, in notify mode, only tells the owner.
// Either way the link counts as visited from then on.
class CHyperLink : public QLabel {
    Q_OBJECT

public:
    // The message a notifying link sends its parent for a click (the parent's WM_USER + 101);
    // here it is the notify signal.
    static constexpr int kHyperLinkNotify = 0x465;

    // COLORREF values (0x00BBGGRR): blue, red and a dark blue.
    static constexpr uint32_t kDefaultLinkColour = 0xFF0000;
    static constexpr uint32_t kDefaultHoverColour = 0x0000FF;
    static constexpr uint32_t kDefaultVisitedColour = 0x8F2205;

    explicit CHyperLink(QWidget* parent = nullptr);
    ~CHyperLink() override;

    // Shows text as the link.
    void SetLinkText(const QString& text);
    // The address a click opens ("https://...", "mailto:..."); it is also the tool tip.
    void SetURL(const QString& address);
    void SetLinkColour(uint32_t colour);
    void SetHoverColour(uint32_t colour);
    void SetVisitedColour(uint32_t colour);
    // Set: a click emits notify instead of opening the address.
    void SetNotify(bool notify);

    const QString& GetLinkText() const { return linkText_; }
    const QString& GetURL() const { return url_; }
    bool IsNotify() const { return notify_; }
    bool IsHovering() const { return hover_; }
    bool IsVisited() const { return visited_; }
    // The colour the text has now: visited wins over hovering, hovering over the link colour.
    uint32_t CurrentColour() const;

signals:
    // A click in notify mode, with the link's control id (kHyperLinkNotify's wParam).
    void notify(int controlId);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnClicked();
    void SetHover(bool hover);
    void UpdateColour();
    void Underline();

    bool notify_ = false;
    bool hover_ = false;
    bool visited_ = false;
    bool pressed_ = false;
    QString linkText_;
    QString url_;
    uint32_t hoverColour_ = kDefaultHoverColour;
    uint32_t linkColour_ = kDefaultLinkColour;
    uint32_t visitedColour_ = kDefaultVisitedColour;
};
