#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

class QPlainTextEdit;
class QShowEvent;

// Help > Revision History: the program's change history in a read-only text (1032) and a
// Close button (id 1). The text is filled when the dialog is first shown.
class CRevisiondlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kCloseId = 1;
    static constexpr int kHistoryId = 1032;

    explicit CRevisiondlg(QWidget* parent = nullptr);
    ~CRevisiondlg() override;

    // Runs the dialog; 1 (QDialog::Accepted) when closed with the Close button.
    int DoModal() { return exec(); }

    const QString& GetHistory() const { return history_; }

    // Copies the history text from the control (save) or into it.
    void DoDataExchange(bool save);

protected:
    // Font, focus and text of the history; false: it sets the focus itself.
    bool OnInitDialog();
    void showEvent(QShowEvent* event) override;

private:
    QString history_;
    QFont font_;
    QPlainTextEdit* edit_ = nullptr;
    bool initialised_ = false;
};
