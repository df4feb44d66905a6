#pragma once

#include <functional>

#include <QString>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QTabBar;
class QWidget;

// What a user does with the windows, through Qt's public widgets only: the mouse on a
// control, keys, the menu. Every control is found by its objectName (its control id) or by
// the text it shows.
namespace userhand {

// The first shown top-level widget that has a descendant named id (or is named so).
QWidget* WindowWithControl(int id);
// The shown main window, if any.
QMainWindow* MainWindow();

template <typename T>
T* Control(const QWidget* root, int id);

// A mouse click in the middle of widget.
void Click(QWidget* widget);
// A key, to widget (the shortcuts of its window see it first).
void Key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Replaces the text of an edit by typing: select all, then the keys of text.
void Type(QLineEdit* edit, const QString& text);
// Moves the selection of a closed combo box with the arrow keys to the entry whose text holds
// part (in any case); false when no entry holds it or the box does not follow.
bool ChooseEntry(QComboBox* box, const QString& part);
// Clicks the list row whose text holds part; false when none does.
bool ClickRow(QListWidget* list, const QString& part);
// Clicks the push button below root whose caption is text (without '&'); false when none is.
bool ClickButton(QWidget* root, const QString& text);
// Clicks the tab whose caption is text; false when there is none.
bool ClickTab(QTabBar* bar, const QString& text);
// The action of a menu of the menu bar, by the texts a user reads (without '&').
QAction* MenuItem(QMainWindow* window, const QString& menu, const QString& item);

// The text of the first label under root that begins with prefix; "" when none does.
QString LabelText(const QWidget* root, const QString& prefix);
// The number after prefix in that label; -1 when there is none.
long long LabelNumber(const QWidget* root, const QString& prefix);

// Runs what from the event loop: a click that opens a modal dialog returns only once the
// dialog is answered, so it must not be done from inside the step that then answers it.
void Later(std::function<void()> what);

} // namespace userhand

#include <QWidget>

template <typename T>
T* userhand::Control(const QWidget* root, int id)
{
    if (root == nullptr)
        return nullptr;
    return root->findChild<T*>(QString::number(id));
}
