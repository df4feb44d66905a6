#pragma once

#include <sys/types.h>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;
class ReportWriter;

// The main program's part: the first paint of its main window is reported, with whether the
// Tolvane plug-in had been loaded by then (the window's title names it), and the window is
// closed. Started by the launcher, it waits for the launcher to go first: the launcher would
// otherwise collect this process's end, which the bench is to see.
class MainWindowRole : public QObject {
public:
    MainWindowRole(const ReportWriter& report, QObject* parent);

private:
    void Painted(QWidget* window, long long atNs);
    void CloseOnceLauncherGone();

    const ReportWriter& report_;
    pid_t launcher_ = 0;
    QPointer<QWidget> window_;
    QTimer poll_;
    QElapsedTimer waited_;
};
