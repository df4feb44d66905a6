#pragma once

#include <QDialog>

class QPushButton;
class QShowEvent;

// A modal dialog of the main window: DoModal ends with the id of the button that closed it,
// IDOK (1) or IDCANCEL (2); Escape and the window's close box count as Cancel. OnInitDialog
// runs each time the dialog is opened, so its controls show the values set before.
// Whoever answers the dialog without showing it calls InitDialog() first, as opening would.
class CModalDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    explicit CModalDlg(QWidget* parent);
    ~CModalDlg() override;

    int DoModal() { return exec(); }
    void InitDialog() { OnInitDialog(); }

    // The buttons' handlers, callable without a modal loop: OnOK may refuse and stay open.
    virtual void OnOK() { done(IDOK); }
    virtual void OnCancel() { done(IDCANCEL); }
    void reject() override { OnCancel(); }

protected:
    virtual void OnInitDialog() {}
    void showEvent(QShowEvent* event) override;

    // The "OK" (default) and "Cancel" push buttons, with their ids and handlers.
    QPushButton* MakeOkButton();
    QPushButton* MakeCancelButton();
};
