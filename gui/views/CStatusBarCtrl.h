#pragma once

#include <vector>

#include <QIcon>
#include <QStatusBar>

class QLabel;

// A status bar of fixed parts, each given by its right edge; -1 reaches the window's edge.
class CStatusBarCtrl : public QStatusBar {
public:
    explicit CStatusBarCtrl(QWidget* parent);

    // widestTexts[i], when given, is the longest text part i shows: a part too narrow for it
    // (and an icon) grows, and the parts right of it move along.
    void SetParts(const std::vector<int>& rightEdges, const std::vector<QString>& widestTexts = {});
    int PartCount() const { return static_cast<int>(parts_.size()); }
    void SetText(int part, const QString& text);
    QString Text(int part) const;
    // An empty icon removes it.
    void SetIcon(int part, const QIcon& icon);
    bool HasIcon(int part) const;
    void SetTipText(int part, const QString& text);

private:
    struct Part {
        QWidget* box;
        QLabel* icon;
        QLabel* text;
    };
    std::vector<Part> parts_;
};
