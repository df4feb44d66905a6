#pragma once

#include <QDialog>

class CHyperLink;
class QShowEvent;

// Help > Contact: the maker's address with a web-site link (1059) and an e-mail link (1057).
// The links get their texts and addresses when the dialog is first shown.
class CContactDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kCloseId = 1;
    static constexpr int kEmailLinkId = 1057;
    static constexpr int kWebLinkId = 1059;

    explicit CContactDlg(QWidget* parent = nullptr);
    ~CContactDlg() override;

    // Runs the dialog; 1 (QDialog::Accepted) when closed with the Close button.
    int DoModal() { return exec(); }

protected:
    // Colours, texts and addresses of the two links.
    bool OnInitDialog();
    void showEvent(QShowEvent* event) override;

private:
    CHyperLink* webLink_ = nullptr;
    CHyperLink* emailLink_ = nullptr;
    bool initialised_ = false;
};
