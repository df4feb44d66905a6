#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

class CToolTipCtrlEx;
class QWidget;

// The help tips of one panel, written once for every panel: the panel names its controls and
// their texts, and one CToolTipCtrlEx shows them. A tip opens when the mouse has rested over
// its control; a key or click anywhere in the panel hides it, and it stays away until the
// mouse has left that control. Keys and clicks still reach their widgets.
class HelpTip : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultWidth = 400;

    // owner: the panel. Not a Qt parent: a panel keeps its HelpTip as a member.
    explicit HelpTip(QWidget* owner);
    ~HelpTip() override;

    // Gives control (and whatever it is made of, such as a scroll area's viewport) a tip.
    void Add(QWidget* control, const QString& text, int width = kDefaultWidth);
    // The tip text of control; empty when it has none.
    QString TextOf(const QWidget* control) const;

    CToolTipCtrlEx& Tip() { return *tip_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> control;
        QString text;
        int width;
    };

    const Entry* EntryOf(const QObject* object) const;
    bool InOwner(const QObject* object) const;
    void OnMouseOver(const Entry& entry);
    void OnMouseLeft(const Entry& entry);
    void OnKeyOrClick(const QObject* receiver);

    QPointer<QWidget> owner_;
    std::unique_ptr<CToolTipCtrlEx> tip_;
    std::vector<Entry> entries_;
};
