// The main of every GUI test program: a QApplication on the offscreen platform, with a fresh
// per-user settings folder and temporary folder for this process.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>

#include <gtest/gtest.h>

#include "gui/GuiStartup.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string base = (std::filesystem::temp_directory_path() / "pelagor-gui-XXXXXX").string();
    if (mkdtemp(base.data()) == nullptr)
        return 2;
    const std::filesystem::path root(base);
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(root / "tmp");
    std::filesystem::create_directories(root / "runtime");
    std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("TMPDIR", (root / "tmp").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    PrepareGuiProcess();
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
