#pragma once

#include <vector>

#include <QIcon>
#include <QStatusBar>

class QLabel;

// A status bar of fixed parts, each given by its right edge; -1 reaches the window's edge.
class CStatusBarCtrl : public QStatusBar {
public:
    explicit CStatusBarCtrl(QWidget* parent);

    void SetParts(const std::vector<int>& rightEdges);
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
