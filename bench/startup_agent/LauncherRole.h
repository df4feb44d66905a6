#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;
class ReportWriter;

// The launcher's part: at the first paint of its dialog the Tolvane entry is chosen and Start
// pressed at once, so no human pause counts; once the main program reports its own first
// paint (or a failure), Exit.
class LauncherRole : public QObject {
public:
    LauncherRole(const ReportWriter& report, QObject* parent);

private:
    void Painted(QWidget* window, long long atNs);
    void CloseOnceMainPainted();
    void Close();

    const ReportWriter& report_;
    QPointer<QWidget> window_;
    QTimer poll_;
    QElapsedTimer waited_;
};
