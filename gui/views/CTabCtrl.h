#pragma once

#include <QWidget>

class QTabBar;

// A row of tabs over a framed body; the owner lays its pages over the body itself.
class CTabCtrl : public QWidget {
    Q_OBJECT

public:
    CTabCtrl(QWidget* parent, int controlId);

    int InsertItem(int index, const QString& caption);
    int GetItemCount() const;
    int GetCurSel() const;
    void SetCurSel(int index);
    // Height of the tab row.
    int ItemHeight() const;
    QTabBar* Bar() const { return bar_; }

signals:
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* bar_;
};
