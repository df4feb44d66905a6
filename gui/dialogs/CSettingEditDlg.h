#pragma once

#include <initializer_list>

#include "gui/dialogs/CModalDlg.h"

class QLineEdit;

// The layout shared by the dialogs that edit one stored setting: explanatory texts, one edit
// with a label before or a unit after it, OK and Cancel.
class CSettingEditDlg : public CModalDlg {
    Q_OBJECT

public:
    static constexpr int kEditId = 1000;
    // What the setting's registry buffer holds; the edit takes no more, so it is stored whole.
    static constexpr int kTextLimit = 20;

    QLineEdit* Edit() const { return edit_; }

protected:
    CSettingEditDlg(QWidget* parent, const QString& title, std::initializer_list<QString> texts,
                    const QString& label, const QString& unit, int widthUnits);
    ~CSettingEditDlg() override;

    // After a refusal: the edit gets the focus with its text selected, for typing over.
    void FocusEdit();

private:
    QLineEdit* edit_ = nullptr;
};
