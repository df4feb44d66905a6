#pragma once

#include <QDialog>

// Help > About: the product, its maker, the distribution terms and a Close button (id 1).
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kCloseId = 1;

    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // Runs the dialog; 1 (QDialog::Accepted) when closed with the Close button.
    int DoModal() { return exec(); }
};
