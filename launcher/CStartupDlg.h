#pragma once

#include <memory>
#include <string>

#include <QTimer>

#include "gui/dialogs/CModalDlg.h"
#include "launcher/ProcessStarter.h"
#include "launcher/RegistryProfile.h"

struct INI_DATA_REC;
class PelagorIniFile;
class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The launcher's window: the entries of "Pelagor.ini" to choose from, the chosen entry's
// information, and "Start", which starts the main program for it and leaves the window open.
class CStartupDlg : public CModalDlg {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 102;
    static constexpr int kStartId = 1000;
    static constexpr int kVersionId = 1004;
    static constexpr int kListId = 1001;
    static constexpr int kInfoId = 1005;
    static constexpr int kLeftPictureId = 134;
    static constexpr int kTopPictureId = 135;
    static constexpr int kAboutCommand = 16;
    static constexpr int kReapPeriodMs = 1000;
    static constexpr const char* kSection = "Settings";
    static constexpr const char* kSelectionEntry = "SnifferSel";

    // launcherFolder (with its trailing '/') holds "Pelagor.ini" and the program tree.
    CStartupDlg(QWidget* parent, std::string launcherFolder, RegistryProfile profile);
    ~CStartupDlg() override;

    // Enter: the window stays open.
    void OnOK() override {}
    // Exit, Escape or the close box.
    void OnCancel() override;
    void accept() override { OnOK(); }

    void OnSelChange();
    void OnStart();
    void OnSysCommand(int command);
    void OnAbout();

    const PelagorIniFile* IniFile() const { return iniFile_.get(); }
    ProcessStarter& Starter() { return starter_; }
    const std::string& LauncherFolder() const { return launcherFolder_; }

protected:
    void OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The chosen entry; nullptr when nothing (valid) is chosen.
    const INI_DATA_REC* SelectedEntry() const;

    std::string launcherFolder_;
    RegistryProfile profile_;
    std::unique_ptr<PelagorIniFile> iniFile_;
    ProcessStarter starter_;
    QTimer reapTimer_;
    QComboBox* list_ = nullptr;
    QPlainTextEdit* info_ = nullptr;
    QLabel* version_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* exit_ = nullptr;
    QAction* about_ = nullptr;
};
