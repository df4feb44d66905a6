// Closing the window and waiting on worker threads while they want the GUI thread: nothing
// may hang, be used after it is gone, or lose a message text.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "core/device/Pelagor.h"
#include "core/host/PacketFilter.h"
#include "core/store/ReadFileThread.h"
#include "gui/CTrueColorToolBar.h"
#include "gui/panels/CDisplayFilterPnl.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/ScriptedAccess.h"
#include "tests/support/ScriptedPelagor.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Watchdog.h"
#include "tests/support/FieldFilter.h"

using namespace std::chrono_literals;
using testsupport::AccessScript;
using testsupport::TempFolder;
using testsupport::Watchdog;

namespace {

using testsupport::ScriptedPelagor;

DravikEbInfo Device()
{
    DravikEbInfo info;
    info.boardType = 5;
    info.chipCode = 0x6F1C;
    info.usbDeviceId = 0x1234;
    std::snprintf(info.chipName, sizeof info.chipName, "QZ6F1C");
    std::snprintf(info.deviceText, sizeof info.deviceText, "Kestrix board");
    return info;
}

class MainWindowShutdownTest : public testsupport::MainWindowFixture {
protected:
    std::shared_ptr<AccessScript> script = std::make_shared<AccessScript>();

    CMarlinexDlg& OpenScripted()
    {
        Options options;
        options.engineFactory = [this](platform::WindowHandle window, const std::string& folder) {
            return new ScriptedPelagor(window, folder, script);
        };
        return Open(Plugin("Generic/Halyard.so"), options);
    }

    int StartCapture(CMarlinexDlg& w)
    {
        CAPTURE_START_PARAM param;
        param.notifyWindow = w.Handle();
        param.channel = 15;
        param.firmwareFile = "sniffer_fw_qz6f1c.hex";
        return w.Engine()->Start(Device(), param);
    }

    // A data file of generic packets, records of 1 + H bytes.
    std::string WriteDataFile(const TempFolder& temp, int packets, uint16_t rawLength)
    {
        const std::string path = temp / "capture.pld";
        std::ofstream out(path, std::ios::binary);
        for (int i = 1; i <= packets; ++i) {
            const std::vector<uint8_t> payload = {0x41, static_cast<uint8_t>(i), 0x88, static_cast<uint8_t>(i >> 8)};
            std::vector<uint8_t> record = testsupport::MakeGenericRecord(static_cast<uint32_t>(i), 1000u * i, payload,
                                                                         0x20, 0x80, rawLength);
            out.put(0x11);
            out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
        }
        return path;
    }

    static bool Reading(CMarlinexDlg& w)
    {
        ReadFileThread* reader = w.Store().FileReader();
        return reader != nullptr && reader->Running();
    }

    // A box that never comes fails the test instead of holding it up for ever.
    void WaitForWaitingBoxes(size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (platform.Boxes().Waiting() < count) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no box came";
            std::this_thread::sleep_for(1ms);
        }
    }

    void ProcessEvents()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
};

// The reader thread shows "Communication error" and waits for the GUI thread, which at that
// moment pauses the capture and waits for the reader.
TEST_F(MainWindowShutdownTest, PauseWhileTheReaderShowsCommunicationError)
{
    CMarlinexDlg& w = OpenScripted();
    for (int i = 0; i < 10; ++i)
        script->Add({0, 10, {}});
    ASSERT_EQ(StartCapture(w), PelagorCore::kStartRunning);
    ASSERT_NO_FATAL_FAILURE(WaitForWaitingBoxes(1));
    {
        Watchdog watchdog("pause during a reader's box", 20s);
        w.OnPause();
    }
    EXPECT_FALSE(w.Engine()->Running());
    EXPECT_TRUE(boxes.empty()); // the text comes once the window is back in its event loop
    ProcessEvents();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Communication error"});
    EXPECT_TRUE(w.ToolBar()->Action(32776)->isEnabled());
    EXPECT_EQ(script->stops, 1);
}

TEST_F(MainWindowShutdownTest, CloseDuringACaptureStopsTheReaderFirst)
{
    CMarlinexDlg& w = OpenScripted();
    script->Hold(true);
    ASSERT_EQ(StartCapture(w), PelagorCore::kStartRunning);
    std::thread release([this] {
        std::this_thread::sleep_for(50ms);
        script->Hold(false);
    });
    {
        Watchdog watchdog("close during a capture", 20s);
        Close();
    }
    release.join();
    EXPECT_EQ(script->created, script->destroyed);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(MainWindowShutdownTest, CloseDuringADataFileReadStopsTheReaderBeforeThePanelsGo)
{
    TempFolder temp;
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    const std::string file = WriteDataFile(temp, 100000, w.Store().RawLength());
    ASSERT_EQ(w.Store().OpenFile(file, w.Handle(), true, "Generic", 0), 1);
    ASSERT_TRUE(Reading(w));
    {
        Watchdog watchdog("close during a file read", 20s);
        Close();
    }
    ProcessEvents(); // the reader's end message finds no window
    EXPECT_TRUE(Texts().empty());
}

// The filter belongs to the filter panel: it goes with the panel, and the scan must have ended
// by then.
TEST_F(MainWindowShutdownTest, CloseDuringAFilterScanEndsTheScanBeforeTheFilterGoes)
{
    TempFolder temp;
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    const std::string file = WriteDataFile(temp, 60000, w.Store().RawLength());
    ASSERT_EQ(w.Store().OpenFile(file, w.Handle(), true, "Generic", 0), 1);
    while (Reading(w))
        std::this_thread::sleep_for(5ms);
    ProcessEvents();

    PacketFilter* filter = testsupport::FieldFilter(w.Store().ParsedLength(), 8, "NONE").release();
    QObject::connect(w.FilterPanel(), &QObject::destroyed, [filter] { delete filter; });
    w.Store().SetFilter(filter);
    ASSERT_TRUE(w.Store().ScanRunning());
    {
        Watchdog watchdog("close during a filter scan", 20s);
        Close();
    }
    EXPECT_TRUE(Texts().empty());
}

// The scan thread cannot read the buffer and shows a box, while the GUI thread switches the
// filter off (here: on close) and waits for the scan.
TEST_F(MainWindowShutdownTest, FilterOffWhileTheScanShowsABox)
{
    TempFolder temp;
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    const std::string file = WriteDataFile(temp, 2000, w.Store().RawLength());
    ASSERT_EQ(w.Store().OpenFile(file, w.Handle(), true, "Generic", 0), 1);
    while (Reading(w))
        std::this_thread::sleep_for(5ms);
    ProcessEvents();
    ASSERT_EQ(w.Store().GetPacketCount(0), 2000);
    // The second half of the buffer is gone under the store (once it is all in the file: a
    // batch written after the cut would fill the gap again).
    ASSERT_EQ(w.Store().Disk().Flush(), 1);
    ASSERT_EQ(truncate(w.Store().Disk().FileName().c_str(), static_cast<off_t>(w.Store().RecordLength()) * 1000), 0);

    const auto filter = testsupport::FieldFilter(w.Store().ParsedLength(), 8, "OK");
    w.Store().SetFilter(filter.get());
    ASSERT_NO_FATAL_FAILURE(WaitForWaitingBoxes(1));
    {
        Watchdog watchdog("filter off during a scan's box", 20s);
        Close();
    }
    ProcessEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("read"), std::string::npos) << boxes[0].text;
}

// The file reader hits a full disk and reports it, while the GUI thread resets the store.
TEST_F(MainWindowShutdownTest, ResetWhileTheFileReaderReportsAFullDisk)
{
    TempFolder temp;
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    const std::string file = WriteDataFile(temp, 5000, w.Store().RawLength());
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousSignal {};
    sigaction(SIGXFSZ, &ignore, &previousSignal);
    rlimit previousLimit{};
    getrlimit(RLIMIT_FSIZE, &previousLimit);
    rlimit limit = previousLimit;
    limit.rlim_cur = 1 << 20; // the buffer file can take about 600 records
    setrlimit(RLIMIT_FSIZE, &limit);

    ASSERT_EQ(w.Store().OpenFile(file, w.Handle(), true, "Generic", 0), 1);
    ASSERT_NO_FATAL_FAILURE(WaitForWaitingBoxes(1));
    {
        Watchdog watchdog("reset during the reader's box", 20s);
        w.ResetData();
    }
    setrlimit(RLIMIT_FSIZE, &previousLimit);
    sigaction(SIGXFSZ, &previousSignal, nullptr);
    while (Reading(w))
        std::this_thread::sleep_for(5ms);
    ProcessEvents();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text.rfind("Can't write to file: ", 0), 0u) << boxes[0].text;
    EXPECT_EQ(w.Store().GetPacketCount(0), 0);
}

} // namespace
