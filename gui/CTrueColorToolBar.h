#pragma once

#include <map>

#include <QToolBar>

class QAction;

// The main window's toolbar: its buttons are actions named after their command ids, so the
// same action serves the button, its check state and its shortcut.
class CTrueColorToolBar : public QToolBar {
    Q_OBJECT

public:
    explicit CTrueColorToolBar(QWidget* parent);

    // Adds the main window's buttons in their order, with their images and tips.
    void AddMainButtons();

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
    std::map<int, QAction*> actions_;
};
