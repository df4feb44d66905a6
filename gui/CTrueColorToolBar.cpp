#include "gui/CTrueColorToolBar.h"

#include <QAction>
#include <QWidget>

#include "gui/CommandIds.h"
#include "gui/ControlId.h"
#include "gui/ToolBarImages.h"

namespace {

struct Button {
    int image;
    int id; // 0: a separator
    bool hidden;
    bool check;
    const char* tip;
};

// In toolbar order.
constexpr Button kButtons[] = {
    {0, command::kReset, false, false, "Deletes all currently registered packets"},
    {1, command::kOpenData, false, false, "Opens a stored session."},
    {2, command::kSaveData, false, false, "Saves the current session."},
    {2, 0, false, false, nullptr},
    {3, command::kTabs, false, true, "Show/hide the tabbed section at the bottom of the window"},
    {3, 0, false, false, nullptr},
    {4, command::kStart, false, false, "Starts the packet capturing (shortcut key: F5)"},
    {5, command::kPause, false, false, "Pauses the packet capturing (shortcut key: F6)"},
    {6, command::kFlushOnStart, false, true,
     "Causes previously captured packets to be deleted when the sniffer is started"},
    {6, 0, false, false, nullptr},
    {7, command::kAutoScroll, false, true, "Enable or disable automatic scrolling."},
    {8, command::kSmallFont, false, true, "Enable or disable small font for the packet window"},
    {8, 0, false, false, nullptr},
    {9, command::kHardwareFcsFilter, true, true,
     "Enables hardware FCS filtering (all packets with FCS error are ignored)"},
    {10, command::kHardwareIncompleteFilter, true, true,
     "Enables hardware INCOMPLETE filtering (all Incomplete packets are ignored)"},
    {10, 0, false, false, nullptr},
};

} // namespace

CTrueColorToolBar::CTrueColorToolBar(QWidget* parent) : QToolBar(parent)
{
    SetControlId(this, 131);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void CTrueColorToolBar::AddMainButtons()
{
    for (const Button& button : kButtons) {
        if (button.id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = addAction(ToolBarImage(button.image), QString());
        SetControlId(action, button.id);
        action->setToolTip(QString::fromLatin1(button.tip));
        action->setCheckable(button.check);
        action->setVisible(!button.hidden);
        const int id = button.id;
        connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
        actions_[id] = action;
        if (QWidget* widget = widgetForAction(action))
            widget->setFixedSize(25, 22);
    }
}

QAction* CTrueColorToolBar::Action(int id) const
{
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CTrueColorToolBar::IsChecked(int id) const
{
    QAction* action = Action(id);
    return action != nullptr && action->isChecked();
}

void CTrueColorToolBar::SetChecked(int id, bool on)
{
    if (QAction* action = Action(id))
        action->setChecked(on);
}

void CTrueColorToolBar::SetEnabled(int id, bool on)
{
    if (QAction* action = Action(id))
        action->setEnabled(on);
}

void CTrueColorToolBar::SetHidden(int id, bool hidden)
{
    if (QAction* action = Action(id))
        action->setVisible(!hidden);
}

QRect CTrueColorToolBar::ButtonRect(int id) const
{
    QAction* action = Action(id);
    if (action == nullptr || !action->isVisible())
        return {};
    QWidget* widget = widgetForAction(action);
    return widget != nullptr ? widget->geometry() : QRect();
}
