#pragma once

#include "gui/dialogs/CModalDlg.h"

// The launcher's About box: its icon, what it is, the year and "OK".
class CStartupAboutDlg : public CModalDlg {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 100;

    explicit CStartupAboutDlg(QWidget* parent = nullptr);
    ~CStartupAboutDlg() override;
};
