#include "gui/views/CToolTipCtrlEx.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>

#include "gui/ControlId.h"
#include "gui/PelagorFonts.h"

namespace {

// Tip texts break their lines with "\r\n".
QString Paragraphs(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

// Lays text out in lines of at most width pixels, breaking at word boundaries and inside words
// too long for a line, as a multi-line edit box does. Draws it at origin when painter is set.
// Returns the size the lines take.
QSize LayOut(const QString& text, const QFont& font, int width, QPainter* painter, QPointF origin)
{
    // Whole-pixel lines, as the tip's size is.
    const QFontMetrics metrics(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    qreal widest = 0;
    const QStringList paragraphs = Paragraphs(text).split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(std::max(1, width));
            line.setPosition(QPointF(0, y));
            y += metrics.height();
            widest = std::max(widest, line.naturalTextWidth());
        }
        layout.endLayout();
        if (paragraph.isEmpty() && layout.lineCount() == 0)
            y += metrics.height();
        if (painter != nullptr)
            layout.draw(painter, origin);
    }
    return QSize(static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(y)));
}

} // namespace

CToolTipCtrlEx::CToolTipCtrlEx()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ToolTipCtrlEx"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // Moves over the tip tell when the cursor has left the control.
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    timer_.setObjectName(QString::number(kTimerId));
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &CToolTipCtrlEx::OnTimer);
}

CToolTipCtrlEx::~CToolTipCtrlEx() = default;

bool CToolTipCtrlEx::Create(QWidget* owner)
{
    owner_ = owner;
    // The tip's font used to be 13 tenths of a point, which no scalable font can show: it
    // uses the dialogs' 8 points.
    font_ = PelagorFont("MS Sans Serif", 8);
    setFont(font_);
    return true;
}

QSize CToolTipCtrlEx::MeasureText(const QString& text, const QFont& font, int width)
{
    const QSize lines = LayOut(text, font, width - 1, nullptr, {});
    return QSize(lines.width() + 2 * kMarginX, lines.height() + 2 * kMarginY);
}

void CToolTipCtrlEx::ShowTip(QWidget* control, int x, int y, const QString& text, int width)
{
    if (control != current_) {
        text_ = text.left(kMaxTextLength);
        resize(MeasureText(text_, font_, width));
        current_ = control;
        update();
    }
    rest_ = QPoint(x, y);
    timer_.start();
}

void CToolTipCtrlEx::HideTip()
{
    hide();
    timer_.stop();
}

QPoint CToolTipCtrlEx::CursorPos() const
{
    return cursorSource_ ? cursorSource_() : QCursor::pos();
}

QPoint CToolTipCtrlEx::TipPosition(QPoint cursor, QSize size, const QRect& screen)
{
    int x = cursor.x() + kCursorOffset;
    int y = cursor.y() + kCursorOffset;
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    if (x + size.width() > screenRight)
        x = screenRight - size.width() - 1;
    if (y + size.height() > screenBottom)
        y = cursor.y() - size.height() - kCursorOffset - 1;
    // A tip larger than the room left keeps its top left corner on the screen.
    x = std::max(x, screen.x());
    y = std::max(y, screen.y());
    return QPoint(x, y);
}

void CToolTipCtrlEx::OnTimer()
{
    timer_.stop();
    const QPoint cursor = CursorPos();
    if (current_ == nullptr || current_ == suppressed_ || cursor != rest_)
        return;
    QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 640, 480);
    move(TipPosition(cursor, size(), area));
    show();
    raise();
}

void CToolTipCtrlEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(font_);
    LayOut(text_, font_, width() - 2 * kMarginX, &painter, QPointF(kMarginX, kMarginY));
}

void CToolTipCtrlEx::mouseMoveEvent(QMouseEvent* event)
{
    // The cursor went from the control onto the tip and then beyond the control.
    const QPoint global = event->globalPosition().toPoint();
    if (current_ == nullptr || !QRect(current_->mapToGlobal(QPoint(0, 0)), current_->size()).contains(global)) {
        HideTip();
        suppressed_ = nullptr;
    }
    QWidget::mouseMoveEvent(event);
}

void CToolTipCtrlEx::PassMouse(QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    QWidget* target = event->type() == QEvent::MouseButtonRelease ? pressTarget_.data() : nullptr;
    if (target == nullptr) {
        target = QApplication::widgetAt(global);
        if (target == nullptr || target == this)
            target = owner_;
    }
    if (event->type() == QEvent::MouseButtonPress)
        pressTarget_ = target;
    if (target == nullptr)
        return;
    QCoreApplication::postEvent(target, new QMouseEvent(event->type(), QPointF(target->mapFromGlobal(global)),
                                                        event->globalPosition(), event->button(), event->buttons(),
                                                        event->modifiers()));
}

void CToolTipCtrlEx::mousePressEvent(QMouseEvent* event)
{
    // The click belongs to what lies beneath the tip.
    suppressed_ = current_;
    HideTip();
    PassMouse(event);
    event->accept();
}

void CToolTipCtrlEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressTarget_ != nullptr)
        PassMouse(event);
    pressTarget_ = nullptr;
    event->accept();
}

void CToolTipCtrlEx::PassKey(QKeyEvent* event)
{
    HideTip();
    QWidget* target = owner_ != nullptr && owner_->focusWidget() != nullptr ? owner_->focusWidget() : owner_.data();
    if (target != nullptr)
        QCoreApplication::postEvent(target, new QKeyEvent(event->type(), event->key(), event->modifiers(),
                                                          event->text(), event->isAutoRepeat(),
                                                          static_cast<ushort>(event->count())));
    event->accept();
}

void CToolTipCtrlEx::keyPressEvent(QKeyEvent* event)
{
    PassKey(event);
}

void CToolTipCtrlEx::keyReleaseEvent(QKeyEvent* event)
{
    PassKey(event);
}

void CToolTipCtrlEx::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) && isVisible())
        update();
}
