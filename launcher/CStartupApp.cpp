#include "launcher/CStartupApp.h"

#include "gui/ModalDialog.h"
#include "launcher/CStartupDlg.h"
#include "launcher/RegistryProfile.h"
#include "platform/ProgramFolder.h"

int CStartupApp::InitInstance(const std::string& programFolder)
{
    std::string folder = programFolder.empty() ? platform::ProgramFolder() : programFolder;
    if (folder.empty())
        folder = "./";
    CStartupDlg dialog(nullptr, folder, RegistryProfile(kCompany, kApplication));
    RunModalDialog(dialog);
    return 0;
}
