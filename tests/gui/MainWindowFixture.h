#pragma once

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "core/host/CPelagorSettings.h"
#include "gui/CMarlinexDlg.h"
#include "gui/GuiPlatform.h"
#include "tests/support/SettingsFixture.h"

namespace testsupport {

// A main window on the real program tree, with every message box recorded and answered.
class MainWindowFixture : public SettingsFixture {
protected:
    static std::string ProgramFolder() { return PELAGOR_TEST_PROGRAM_DIR "/"; }
    static std::string ProtocolsFolder() { return PELAGOR_TEST_PROTOCOLS_DIR "/"; }
    static std::string Plugin(const std::string& relative) { return ProtocolsFolder() + relative; }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::processEvents();
    }

    struct Options {
        bool extendedChannels = false;
        bool hardwareFilters = false;
        std::string deviceName;
        std::string configuration;
        CMarlinexDlg::EngineFactory engineFactory;
    };

    CMarlinexDlg& Open(const std::string& pluginPath, const Options& options)
    {
        window = std::make_unique<CMarlinexDlg>(nullptr, ProgramFolder(), options.engineFactory);
        window->SetExtendedChannels(options.extendedChannels);
        window->SetPluginPath(pluginPath);
        window->SetHardwareFilters(options.hardwareFilters);
        window->SetDeviceName(options.deviceName);
        window->SetConfigurationFileName(options.configuration);
        window->Create();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    CMarlinexDlg& Open(const std::string& pluginPath) { return Open(pluginPath, Options{}); }

    // Closes the window as the user does, and destroys it.
    void Close()
    {
        window->close();
        window.reset();
        QCoreApplication::processEvents();
    }

    template <typename T>
    static T Stored(const std::function<T(const CPelagorSettings&)>& read)
    {
        CPelagorSettings settings;
        settings.Load();
        return read(settings);
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const platform::MessageBoxRequest& request : boxes)
            texts.push_back(request.text);
        return texts;
    }

    std::string Title() const { return window->windowTitle().toStdString(); }

    std::vector<platform::MessageBoxRequest> boxes;
    std::deque<platform::MessageAnswer> answers;
    GuiPlatform platform{[this](const platform::MessageBoxRequest& request) {
        boxes.push_back(request);
        if (answers.empty())
            return platform::DefaultAnswer(request.buttons);
        const platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }};
    std::unique_ptr<CMarlinexDlg> window;
};

} // namespace testsupport
