#include "tests/e2e/agent/UserHand.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace userhand {

namespace {

QString WithoutAmpersand(QString text)
{
    return text.remove(QLatin1Char('&'));
}

} // namespace

QWidget* WindowWithControl(int id)
{
    const QString name = QString::number(id);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        if (widget->objectName() == name || widget->findChild<QWidget*>(name) != nullptr)
            return widget;
    }
    return nullptr;
}

QMainWindow* MainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<QMainWindow*>(widget); window != nullptr && window->isVisible())
            return window;
    return nullptr;
}

void Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void Key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
}

void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

bool ChooseEntry(QComboBox* box, const QString& part)
{
    int target = -1;
    for (int row = 0; row < box->count() && target < 0; ++row)
        if (box->itemText(row).contains(part, Qt::CaseInsensitive))
            target = row;
    if (target < 0)
        return false;
    box->setFocus(Qt::OtherFocusReason);
    // Each key moves one entry; a box that does not move gives up after as many keys.
    for (int presses = 0; presses <= box->count() && box->currentIndex() != target; ++presses)
        Key(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    return box->currentIndex() == target;
}

bool ClickRow(QListWidget* list, const QString& part)
{
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        if (!item->text().contains(part))
            continue;
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(item).center());
        return true;
    }
    return false;
}

bool ClickTab(QTabBar* bar, const QString& text)
{
    for (int tab = 0; tab < bar->count(); ++tab)
        if (WithoutAmpersand(bar->tabText(tab)) == text) {
            QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(tab).center());
            return true;
        }
    return false;
}

bool ClickButton(QWidget* root, const QString& text)
{
    for (QPushButton* button : root->findChildren<QPushButton*>())
        if (WithoutAmpersand(button->text()) == text) {
            Click(button);
            return true;
        }
    return false;
}

QAction* MenuItem(QMainWindow* window, const QString& menu, const QString& item)
{
    if (window == nullptr || window->menuBar() == nullptr)
        return nullptr;
    for (QAction* top : window->menuBar()->actions()) {
        if (WithoutAmpersand(top->text()) != menu || top->menu() == nullptr)
            continue;
        for (QAction* action : top->menu()->actions())
            if (WithoutAmpersand(action->text()) == item)
                return action;
    }
    return nullptr;
}

QString LabelText(const QWidget* root, const QString& prefix)
{
    if (root == nullptr)
        return QString();
    for (const QLabel* label : root->findChildren<QLabel*>())
        if (label->text().startsWith(prefix))
            return label->text();
    return QString();
}

long long LabelNumber(const QWidget* root, const QString& prefix)
{
    const QString text = LabelText(root, prefix);
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const long long number = text.mid(prefix.size()).trimmed().toLongLong(&ok);
    return ok ? number : -1;
}

void Later(std::function<void()> what)
{
    QTimer::singleShot(0, qApp, std::move(what));
}

} // namespace userhand
