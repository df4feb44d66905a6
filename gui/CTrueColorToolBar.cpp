#include "gui/CTrueColorToolBar.h"

#include <QAction>
#include <QIcon>
#include <QImage>
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
    // Capture buttons wait for a device.
    bool disabled = false;
};

// In toolbar order.
constexpr Button kButtons[] = {
    {0, command::kReset, false, false, "Deletes all currently registered packets"},
    {1, command::kOpenData, false, false, "Opens a stored session."},
    {2, command::kSaveData, false, false, "Saves the current session."},
    {2, 0, false, false, nullptr},
    {3, command::kTabs, false, true, "Show/hide the tabbed section at the bottom of the window"},
    {3, 0, false, false, nullptr},
    {4, command::kStart, false, false, "Starts the packet capturing (shortcut key: F5)", true},
    {5, command::kPause, false, false, "Pauses the packet capturing (shortcut key: F6)", true},
    {6, command::kFlushOnStart, false, true,
     "Causes previously captured packets to be deleted when the sniffer is started", true},
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
        QAction* action = addAction(QString());
        SetControlId(action, button.id);
        action->setToolTip(QString::fromLatin1(button.tip));
        action->setCheckable(button.check);
        action->setVisible(!button.hidden);
        action->setEnabled(!button.disabled);
        imageOf_[button.id] = button.image;
        const int id = button.id;
        connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
        actions_[id] = action;
        if (QWidget* widget = widgetForAction(action))
            widget->setFixedSize(25, 22);
    }
    LoadTrueColorBitmaps(kToolBarImageWidth, kToolBarBitmapId, kToolBarBitmapId, kToolBarDisabledBitmapId);
}

bool CTrueColorToolBar::LoadTrueColorBitmaps(int imageWidth, int normalBitmap, int hotBitmap, int disabledBitmap)
{
    if (!SetImageList(kNormalImages, normalBitmap, imageWidth))
        return false;
    if (!SetImageList(kHotImages, hotBitmap, imageWidth))
        return false;
    if (disabledBitmap != 0 && !SetImageList(kDisabledImages, disabledBitmap, imageWidth))
        return false;
    return true;
}

bool CTrueColorToolBar::SetImageList(ImageListKind kind, int bitmapId, int imageWidth)
{
    if (kind < kNormalImages || kind > kDisabledImages || imageWidth <= 0)
        return false;
    QImage bitmap = ToolBarBitmap(bitmapId);
    if (bitmap.isNull() || bitmap.width() < imageWidth)
        return false;
    bitmap = bitmap.convertToFormat(QImage::Format_ARGB32);
    // The first pixel gives the ground colour, which the buttons' face shows through.
    const QRgb mask = bitmap.pixel(0, 0);
    for (int y = 0; y < bitmap.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x)
            if (line[x] == mask)
                line[x] = qRgba(0, 0, 0, 0);
    }
    std::vector<QPixmap> images;
    const int count = bitmap.width() / imageWidth;
    images.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        images.push_back(QPixmap::fromImage(bitmap.copy(i * imageWidth, 0, imageWidth, bitmap.height())));
    images_[kind] = std::move(images);
    ApplyImages();
    return true;
}

QPixmap CTrueColorToolBar::Image(ImageListKind kind, int index) const
{
    if (kind < kNormalImages || kind > kDisabledImages || index < 0 || index >= ImageCount(kind))
        return {};
    return images_[kind][static_cast<size_t>(index)];
}

void CTrueColorToolBar::ApplyImages()
{
    for (const auto& [id, index] : imageOf_) {
        QIcon icon;
        const QPixmap normal = Image(kNormalImages, index);
        const QPixmap hot = Image(kHotImages, index);
        const QPixmap disabled = Image(kDisabledImages, index);
        if (!normal.isNull()) {
            icon.addPixmap(normal, QIcon::Normal, QIcon::Off);
            icon.addPixmap(normal, QIcon::Normal, QIcon::On);
        }
        if (!hot.isNull()) {
            icon.addPixmap(hot, QIcon::Active, QIcon::Off);
            icon.addPixmap(hot, QIcon::Active, QIcon::On);
        }
        // Without a disabled list the style greys the normal image itself.
        if (!disabled.isNull()) {
            icon.addPixmap(disabled, QIcon::Disabled, QIcon::Off);
            icon.addPixmap(disabled, QIcon::Disabled, QIcon::On);
        }
        if (QAction* action = Action(id))
            action->setIcon(icon);
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
