#include "gui/panels/CTimeLinePnl.h"

#include <QKeyEvent>
#include <QResizeEvent>

#include "gui/views/CPacketTimeLineCtrl.h"

const char* const CTimeLinePnl::kViewTip =
    "The packet time line displays a small square for each received packet, ordered horizontally by time of "
    "reception, and veritcally be source or destination. Tips:\r\n"
    "- Left-click (and drag) to select a packet\r\n"
    "- Right-click and drag to scroll the time line horizontally\r\n"
    "- Double-click on the node name list to switch between source and destination";

CTimeLinePnl::CTimeLinePnl(QWidget* parent)
    : CPanel(parent, 148), helpTip_(this), view_(new CPacketTimeLineCtrl(this))
{
    view_->setGeometry(0, 0, 600, 200);
    view_->installEventFilter(this);
    if (QWidget* viewport = view_->viewport())
        viewport->installEventFilter(this);
    helpTip_.Add(view_, QString::fromLatin1(kViewTip));
}

CTimeLinePnl::~CTimeLinePnl() = default;

void CTimeLinePnl::SetAutoScroll(bool on)
{
    view_->SetAutoScroll(on);
}

int CTimeLinePnl::LoadFrameDefinitions(const char* pluginFolder)
{
    return view_->LoadFrameDefinitions(pluginFolder);
}

void CTimeLinePnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    view_->setGeometry(rect());
}

bool CTimeLinePnl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return CPanel::eventFilter(watched, event);
}
