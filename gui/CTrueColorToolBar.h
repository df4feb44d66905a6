#pragma once

#include <map>
#include <vector>

#include <QPixmap>
#include <QToolBar>

class QAction;

// The main window's toolbar: its buttons are actions named after their command ids, so the
// same action serves the button, its check state and its shortcut. Their images come from
// three image lists (normal, hot, disabled) cut from the code-drawn strips of ToolBarImages.
class CTrueColorToolBar : public QToolBar {
    Q_OBJECT

public:
    // Which image list a SetImageList call sets.
    enum ImageListKind { kNormalImages = 0, kHotImages = 1, kDisabledImages = 2 };

    explicit CTrueColorToolBar(QWidget* parent);

    // Adds the main window's buttons in their order, with their images and tips. Start, Pause
    // and flush on start begin disabled; the hardware filter buttons begin hidden.
    void AddMainButtons();

    // Sets the normal, the hot and (when disabledBitmap is not 0) the disabled image list, in
    // that order, stopping at the first that fails. True when all succeeded.
    bool LoadTrueColorBitmaps(int imageWidth, int normalBitmap, int hotBitmap, int disabledBitmap);
    // Cuts bitmap id into images of imageWidth pixels and makes them list kind. The colour of
    // the first pixel is transparent. False, leaving the list as it was, when the bitmap is
    // unknown or narrower than one image.
    bool SetImageList(ImageListKind kind, int bitmapId, int imageWidth);
    int ImageCount(ImageListKind kind) const { return static_cast<int>(images_[kind].size()); }
    // Image index of list kind; null when there is none.
    QPixmap Image(ImageListKind kind, int index) const;

    QAction* Action(int id) const;
    bool IsChecked(int id) const;
    void SetChecked(int id, bool on);
    void SetEnabled(int id, bool on);
    void SetHidden(int id, bool hidden);
    // Where the button is, in the toolbar's coordinates; empty when hidden.
    QRect ButtonRect(int id) const;

signals:
    void command(int id);

private:
    void ApplyImages();

    std::map<int, QAction*> actions_;
    // Each button's image index.
    std::map<int, int> imageOf_;
    std::vector<QPixmap> images_[3];
};
