#pragma once

#include <QWidget>

// A panel of the main window's tab area: a plain child widget, so Enter and Escape do nothing.
class CPanel : public QWidget {
public:
    CPanel(QWidget* parent, int dialogId);
    int DialogId() const { return dialogId_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int dialogId_;
};
