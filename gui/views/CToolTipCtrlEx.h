#pragma once

#include <functional>

#include <QFont>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

// The program's own help tip: a borderless top-most window that opens 750 ms after the mouse
// has come to rest over a control and vanishes on any key or click. It never takes the focus,
// so keys keep going to the owner. A panel drives it through HelpTip.
class CToolTipCtrlEx : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTimerId = 130;
    static constexpr int kDelayMs = 750;
    static constexpr int kMaxTextLength = 8191;
    // Text margins inside the window.
    static constexpr int kMarginX = 3;
    static constexpr int kMarginY = 2;
    // How far right of and below the cursor the tip opens.
    static constexpr int kCursorOffset = 20;

    CToolTipCtrlEx();
    ~CToolTipCtrlEx() override;

    // Remembers the owner, whose focus widget gets the keys the tip sees, and makes the font.
    bool Create(QWidget* owner);

    // Takes text for control (measured when the control is new to the tip) and waits for the
    // cursor to rest at (x, y), in screen coordinates.
    void ShowTip(QWidget* control, int x, int y, const QString& text, int width);
    void HideTip();

    QWidget* Owner() const { return owner_; }
    QWidget* CurrentControl() const { return current_; }
    void SetCurrentControl(QWidget* control) { current_ = control; }
    QWidget* SuppressedControl() const { return suppressed_; }
    void SetSuppressedControl(QWidget* control) { suppressed_ = control; }
    QPoint RestPosition() const { return rest_; }
    const QString& Text() const { return text_; }
    const QTimer& Timer() const { return timer_; }

    // Where a tip of size opens for the cursor at cursor on screen: right of and below it,
    // turned to the left and upwards where it would pass the screen's edge.
    static QPoint TipPosition(QPoint cursor, QSize size, const QRect& screen);
    // The window size for text laid out in width - 1 pixels, margins included.
    static QSize MeasureText(const QString& text, const QFont& font, int width);

    // Where the cursor is, in screen coordinates; tests may replace it.
    QPoint CursorPos() const;
    void SetCursorSource(std::function<QPoint()> source) { cursorSource_ = std::move(source); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnTimer();
    void PassKey(QKeyEvent* event);
    void PassMouse(QMouseEvent* event);

    QFont font_;
    QPointer<QWidget> current_;
    QPointer<QWidget> suppressed_;
    QPoint rest_;
    QString text_;
    QPointer<QWidget> owner_;
    QTimer timer_;
    QPointer<QWidget> pressTarget_;
    std::function<QPoint()> cursorSource_;
};
