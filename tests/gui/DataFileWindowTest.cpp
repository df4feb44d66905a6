// Saving and opening capture data files from the main window: real captures on simulated
// boards, real files in the temporary folder, file dialogs and the file-options dialog
// answered through their seams.
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "gui/CommandIds.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/MessageBeep.h"
#include "gui/ModalDialog.h"
#include "gui/dialogs/CFileOptionsDlg.h"
#include "gui/panels/CDisplayFilterPnl.h"
#include "gui/panels/CSetupPnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "gui/views/CStatusBarCtrl.h"
#include "core/store/DataFileRec.h"
#include "core/store/ReadFileThread.h"
#include "platform/dravik/BoardFile.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using testsupport::MainWindowFixture;
namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

constexpr int kWaitMs = 20000;
constexpr const char* kSaveFirst = "Would you like to save the current data before proceeding?";
// One fast board whose chip every shipped protocol supports.
constexpr const char* kBoard = "[board]\ntype = kestrix\nchip = 0x6F87\nusb id = 0x0003\nserial = 1003\nrate = 2000\n";
constexpr const char* kBoardEntry = "Kestrix board (USB Device ID=0003)";

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The same data-file records in the layout before 2.17.0: the frame's own length byte at 13
// and the frame from 14, where the newer layout has its 2-byte length.
Bytes ToOldLayout(const Bytes& file, size_t recordSize)
{
    Bytes old(file.size(), 0);
    for (size_t at = 0; at + recordSize <= file.size(); at += recordSize) {
        std::copy(file.begin() + at, file.begin() + at + 13, old.begin() + at);
        std::copy(file.begin() + at + 15, file.begin() + at + recordSize, old.begin() + at + 13);
    }
    return old;
}

// Records of H + 1 bytes that the layout test accepts: info bit 0 set, N = L + 1, zeros after.
Bytes GoodRecord(uint16_t h, uint32_t number, uint8_t length)
{
    Bytes record(1u + h, 0);
    record[0] = 0x01;
    std::memcpy(&record[1], &number, 4);
    const uint64_t time = 1000u * number;
    std::memcpy(&record[5], &time, 8);
    record[13] = static_cast<uint8_t>(length + 1);
    record[15] = length;
    for (int i = 0; i < length && 16 + i < static_cast<int>(record.size()); ++i)
        record[16 + i] = static_cast<uint8_t>(0x41 + i);
    return record;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class DataFileWindowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder = fs::path(std::getenv("TMPDIR")) / ("data-files-" + std::to_string(++instance));
        fs::create_directories(folder);
        previousFiles_ = SetFileDialogHandler([this](const FileDialogRequest& request) {
            fileRequests.push_back(request);
            if (chosen.empty())
                return std::string();
            std::string path = chosen.front();
            chosen.pop_front();
            return path;
        });
        previousDialogs_ = SetModalDialogHandler([this](QDialog& dialog) {
            ++dialogCount;
            if (!answerDialog) {
                ADD_FAILURE() << "a dialog nobody expected: " << dialog.windowTitle().toStdString();
                return static_cast<int>(CModalDlg::IDCANCEL);
            }
            // Each answer is given once.
            const std::function<int(QDialog&)> answer = std::move(answerDialog);
            answerDialog = nullptr;
            return answer(dialog);
        });
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        SetModalDialogHandler(std::move(previousDialogs_));
        SetFileDialogHandler(std::move(previousFiles_));
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static void WriteBoards(const std::string& text)
    {
        const fs::path path = BoardFile::Path();
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    std::string File(const std::string& name) const { return (folder / name).string(); }
    int Count() const { return window->Store().GetPacketCount(0); }
    std::string Part(int part) const { return window->StatusBar()->Text(part).toStdString(); }
    uint16_t H() const { return window->Store().RawLength(); }

    bool SelectBoard()
    {
        QListWidget* devices = window->DevicePanel()->DeviceList();
        for (int row = 0; row < devices->count(); ++row)
            if (devices->item(row)->text().toStdString().find(kBoardEntry) != std::string::npos) {
                devices->setCurrentRow(row);
                return true;
            }
        return false;
    }

    // A window on the plug-in with a capture of at least packets packets, paused.
    void Capture(const std::string& plugin, int packets)
    {
        WriteBoards(kBoard);
        Open(Plugin(plugin));
        ASSERT_TRUE(window->PluginLoaded());
        ASSERT_TRUE(SelectBoard());
        testsupport::Watchdog watchdog("a capture for a data file", 60s);
        window->OnCommand(command::kStart);
        ASSERT_TRUE(window->Capturing());
        ASSERT_TRUE(QTest::qWaitFor([&] { return Count() >= packets; }, kWaitMs));
        window->OnCommand(command::kPause);
        ASSERT_FALSE(window->Capturing());
    }

    // Every packet the views show, as the store keeps it (raw record, parsed data, fields).
    std::vector<Bytes> Packets()
    {
        PacketManager& store = window->Store();
        std::vector<Bytes> packets;
        const int32_t count = store.GetPacketCount(1);
        for (int32_t n = 1; n <= count; ++n) {
            Bytes record(store.RecordLength());
            EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << "packet " << n;
            packets.push_back(std::move(record));
        }
        return packets;
    }

    void Save(const std::string& path)
    {
        chosen.push_back(path);
        window->OnCommand(command::kSaveData);
    }

    // Open data with path chosen; the file reader has ended and its end message is handled.
    void OpenData(const std::string& path)
    {
        chosen.push_back(path);
        window->OnCommand(command::kOpenData);
        WaitForReader();
    }

    void WaitForReader()
    {
        testsupport::Watchdog watchdog("a data file being read", 60s);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->Store().FileReader() == nullptr; }, kWaitMs));
    }

    // Answers the file-options dialog once: shows it (its controls take their presets), lets
    // change act on it, and presses OK or Cancel.
    void AnswerOptions(bool ok, const std::function<void(CFileOptionsDlg&)>& change = {})
    {
        answerDialog = [this, ok, change](QDialog& dialog) {
            auto* options = dynamic_cast<CFileOptionsDlg*>(&dialog);
            if (options == nullptr) {
                ADD_FAILURE() << "not the file-options dialog";
                return static_cast<int>(CModalDlg::IDCANCEL);
            }
            options->show();
            QLineEdit* blockSize = BlockSizeEdit(*options);
            presets.push_back({options->GetDeviceType(), options->GetLayout(), blockSize->text().toStdString(),
                               blockSize->isEnabled()});
            if (change)
                change(*options);
            if (ok)
                options->OnOK();
            else
                options->OnCancel();
            return options->result();
        };
    }

    static QLineEdit* BlockSizeEdit(CFileOptionsDlg& dialog)
    {
        return FindControl<QLineEdit>(&dialog, CFileOptionsDlg::kBlockSizeId);
    }

    static void ChooseOldLayout(CFileOptionsDlg& dialog, const std::string& blockSize)
    {
        if (!FindControl<QRadioButton>(&dialog, CFileOptionsDlg::kOldLayoutId)->isEnabled())
            dialog.OnFormatSwitch();
        FindControl<QRadioButton>(&dialog, CFileOptionsDlg::kOldLayoutId)->click();
        BlockSizeEdit(dialog)->setText(QString::fromStdString(blockSize));
    }

    // Turns on a display filter of the given rows through the filter panel.
    void ApplyFilter(const std::vector<std::string>& rows)
    {
        CDisplayFilterPnl* panel = window->FilterPanel();
        auto* list = FindControl<QListWidget>(panel, CDisplayFilterPnl::kFilterWindowId);
        list->clear();
        for (const std::string& row : rows)
            list->addItem(QString::fromLatin1(row.c_str()));
        panel->ApplyFilter();
        ASSERT_TRUE(window->Store().FilterActive());
        ASSERT_TRUE(window->Store().WaitForScan(kWaitMs));
    }

    // What a packet is: the used bytes of its raw record, what the plug-in made of it and the
    // field records it wrote, byte for byte. Left out are the raw record and the field buffer
    // past the bytes used, where the capture leaves what longer packets before left there, and
    // two marks of the moment rather than of the packet: that the store has indexed it (the
    // first packet after a reset keeps the mark of the one before) and that address-book
    // notices were waiting (a file is read faster than the panel takes them).
    void ExpectSamePackets(const std::vector<Bytes>& before, const std::vector<Bytes>& after,
                           bool withFields = true) const
    {
        const uint16_t h = H();
        const size_t fields = h + kParsedDataStoredSize;
        const auto moment = [h, withFields](size_t b) {
            for (const size_t field : {offsetof(PARSED_DATA, indexed), offsetof(PARSED_DATA, noticesWaiting)})
                if (b >= h + field && b < h + field + sizeof(int32_t))
                    return true;
            // How much the field records take follows their texts.
            return !withFields && b >= h + offsetof(PARSED_DATA, fieldCount) && b < h + offsetof(PARSED_DATA, status);
        };
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            ASSERT_EQ(after[i].size(), before[i].size());
            PARSED_DATA parsed{};
            LoadParsedData(parsed, before[i].data() + h);
            // The raw records as a data file keeps them.
            Bytes raw[2] = {Bytes(1u + h), Bytes(1u + h)};
            int32_t declared = 0;
            const uint8_t info = static_cast<uint8_t>(parsed.infoFlags & 0xFF);
            ASSERT_TRUE(DataFileRec::MakeRecord(raw[0].data(), before[i].data(), h, info, &declared)) << i + 1;
            ASSERT_TRUE(DataFileRec::MakeRecord(raw[1].data(), after[i].data(), h, info, &declared)) << i + 1;
            ASSERT_EQ(raw[1], raw[0]) << "raw record of packet " << i + 1;
            const size_t used =
                fields + (withFields ? std::min<size_t>(static_cast<size_t>(std::max(parsed.bytesUsed, 0)),
                                                        before[i].size() - fields)
                                     : 0);
            for (size_t b = h; b < used; ++b) {
                if (!moment(b)) {
                    ASSERT_EQ(after[i][b], before[i][b]) << "packet " << i + 1 << ", byte " << b;
                }
            }
        }
    }

    struct Preset {
        std::string deviceType;
        int layout;
        std::string blockSize;
        bool formatOn;
    };

    static inline int instance = 0;
    fs::path folder;
    std::deque<std::string> chosen;
    std::vector<FileDialogRequest> fileRequests;
    std::function<int(QDialog&)> answerDialog;
    int dialogCount = 0;
    std::vector<Preset> presets;

private:
    FileDialogHandler previousFiles_;
    ModalDialogHandler previousDialogs_;
};

// ---------------------------------------------------------------- save and reopen

class EveryProtocol : public DataFileWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryProtocol, ACaptureSavedAndReopenedGivesTheSamePackets)
{
    Capture(GetParam(), 300);
    const std::vector<Bytes> captured = Packets();
    const std::string path = File("capture.pld");

    Save(path);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(fileRequests[0].filter, "Pelagor Data files (*.pld);;All files (*)");
    EXPECT_EQ(fileRequests[0].defaultExtension, "pld");
    EXPECT_TRUE(fileRequests[0].confirmOverwrite);
    EXPECT_EQ(fs::file_size(path), captured.size() * (1u + H()));
    EXPECT_EQ(Texts(), std::vector<std::string>{});

    // The store holds packets: the question comes first, and No goes on without saving.
    answers.push_back(platform::MessageAnswer::No);
    OpenData(path);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSaveFirst);
    EXPECT_EQ(boxes[0].caption, "Pelagor");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Question);
    EXPECT_EQ(boxes[0].buttons, platform::MessageButtons::YesNoCancel);
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[1].kind, FileDialogKind::Open);
    EXPECT_EQ(fileRequests[1].filter, "Pelagor Data files (*.pld);;All files (*)");
    // A known layout and a selected device: no options dialog.
    EXPECT_EQ(dialogCount, 0);

    ExpectSamePackets(captured, Packets());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Part(0) == " Packet count: " + std::to_string(captured.size()); }, kWaitMs))
        << Part(0);

    // Saved again, the reopened packets make the same file.
    Save(File("again.pld"));
    EXPECT_EQ(ReadBytes(File("again.pld")), ReadBytes(path));
    EXPECT_EQ(boxes.size(), 1u);

    if (std::string(GetParam()) == "Tolvane/Tolvane.so") {
        window->PacketList()->SelectPacket(3);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                window->PacketList()->viewport()->repaint();
                return !window->PacketList()->RepaintNeeded();
            },
            kWaitMs));
        SaveScreen(window.get(), "data_file_reopened");
    }
}

INSTANTIATE_TEST_SUITE_P(Protocols, EveryProtocol,
                         ::testing::Values("Generic/Halyard.so", "Fennet/Fennetd.so", "Tolvane/Tolvane.so"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return fs::path(info.param).parent_path().string();
                         });

TEST_F(DataFileWindowTest, AFilteredSaveHoldsTheMatchingPacketsOnly)
{
    Capture("Tolvane/Tolvane.so", 300);
    const int all = Count();
    Save(File("all.pld"));
    // The acknowledgements.
    ApplyFilter({"FCF=0b00000010"});
    const std::vector<Bytes> matching = Packets();
    ASSERT_GT(matching.size(), 0u);
    ASSERT_LT(static_cast<int>(matching.size()), all);
    Save(File("filtered.pld"));

    // The records of the matching packets, as the whole capture's file has them.
    const size_t recordSize = 1u + H();
    const Bytes whole = ReadBytes(File("all.pld"));
    Bytes expected;
    for (const Bytes& packet : matching) {
        PARSED_DATA parsed{};
        LoadParsedData(parsed, packet.data() + H());
        const size_t at = (parsed.packetNumber - 1) * recordSize;
        ASSERT_LE(at + recordSize, whole.size());
        expected.insert(expected.end(), whole.begin() + at, whole.begin() + at + recordSize);
    }
    EXPECT_EQ(ReadBytes(File("filtered.pld")), expected);

    window->FilterPanel()->TurnOffFilter();
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("filtered.pld"));
    EXPECT_EQ(Texts(), std::vector<std::string>{kSaveFirst});
    // The plug-in writes each packet's time and number also as the distance from the packet
    // before it, which is another packet in a file of the matching ones only: the field records
    // differ there.
    ExpectSamePackets(matching, Packets(), false);
}

// ---------------------------------------------------------------- the question before opening

// A filter that matches nothing hides every packet, not the question: emptying the store is
// asked for whenever it holds packets, and only a save that went through lets it go.
TEST_F(DataFileWindowTest, TheQuestionCountsEveryStoredPacketAndASaveThatFailedKeepsThem)
{
    Capture("Tolvane/Tolvane.so", 50);
    const std::vector<Bytes> captured = Packets();
    Save(File("other.pld"));
    ApplyFilter({"SRC=0x7E57"});
    ASSERT_EQ(window->Store().GetPacketCount(1), 0);
    const int all = Count();
    fs::create_directories(folder / "ro");

    struct Case {
        const char* what;
        platform::MessageAnswer answer;
        std::vector<std::string> saveTo; // answers of the save dialog
        std::vector<std::string> texts;
        bool opened;
    };
    const std::string folderAsFile = (folder / "ro").string();
    const std::vector<Case> cases = {
        {"Cancel", platform::MessageAnswer::Cancel, {}, {kSaveFirst}, false},
        {"Yes, the save dialog cancelled", platform::MessageAnswer::Yes, {""}, {kSaveFirst}, false},
        {"Yes, a folder chosen to save onto", platform::MessageAnswer::Yes, {folderAsFile},
         {kSaveFirst, "Can't open file: Is a directory"}, false},
        {"No", platform::MessageAnswer::No, {}, {kSaveFirst}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        fileRequests.clear();
        answers.push_back(c.answer);
        for (const std::string& path : c.saveTo)
            chosen.push_back(path);
        OpenData(File("other.pld"));
        chosen.clear();
        EXPECT_EQ(Texts(), c.texts);
        if (c.opened) {
            window->FilterPanel()->TurnOffFilter();
            ExpectSamePackets(captured, Packets());
        } else {
            EXPECT_EQ(Count(), all);
            EXPECT_TRUE(window->Store().FilterActive());
            // No open dialog after a question that did not let the store go.
            for (const FileDialogRequest& request : fileRequests)
                EXPECT_EQ(request.kind, FileDialogKind::Save);
        }
    }
}

TEST_F(DataFileWindowTest, YesSavesTheStoreFirstAndThenOpens)
{
    Capture("Tolvane/Tolvane.so", 30);
    Save(File("other.pld"));
    const std::vector<Bytes> other = Packets();
    window->OnCommand(command::kReset);
    window->OnCommand(command::kStart);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Count() >= 20; }, kWaitMs));
    window->OnCommand(command::kPause);
    const std::vector<Bytes> captured = Packets();

    answers.push_back(platform::MessageAnswer::Yes);
    chosen.push_back(File("first.pld"));
    OpenData(File("other.pld"));
    EXPECT_EQ(Texts(), std::vector<std::string>{kSaveFirst});
    ExpectSamePackets(other, Packets());
    // What was there before is in the file saved first.
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("first.pld"));
    ExpectSamePackets(captured, Packets());
}

TEST_F(DataFileWindowTest, OpenDuringACaptureOnlyBeepsAndAnEmptyStoreIsNotAsked)
{
    Capture("Tolvane/Tolvane.so", 20);
    Save(File("capture.pld"));
    const std::vector<Bytes> captured = Packets();
    window->OnCommand(command::kStart);
    ASSERT_TRUE(window->Capturing());
    const int beeps = MessageBeepCount();
    fileRequests.clear();
    window->OnCommand(command::kOpenData);
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_TRUE(Texts().empty());
    window->OnCommand(command::kPause);

    window->OnCommand(command::kReset);
    ASSERT_EQ(Count(), 0);
    OpenData(File("capture.pld"));
    EXPECT_TRUE(Texts().empty());
    ExpectSamePackets(captured, Packets());
}

TEST_F(DataFileWindowTest, WithNothingToDecodeOrToSaveTheCommandsRefuse)
{
    // Without a plug-in nothing could decode the file: a beep, and no dialog.
    Open(Plugin("Generic/NoSuchPlugin.so"));
    ASSERT_FALSE(window->PluginLoaded());
    boxes.clear();
    const int beeps = MessageBeepCount();
    window->OnCommand(command::kOpenData);
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_TRUE(fileRequests.empty());
    Close();

    // An empty store has nothing to save: the file is not made.
    Open(Plugin("Tolvane/Tolvane.so"));
    Save(File("empty.pld"));
    EXPECT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(Texts(), std::vector<std::string>{"No packets in buffer"});
    EXPECT_FALSE(fs::exists(File("empty.pld")));
}

// ---------------------------------------------------------------- layouts and the options dialog

TEST_F(DataFileWindowTest, AFileOfTheOlderLayoutOpensThroughTheOptionsDialog)
{
    Capture("Tolvane/Tolvane.so", 200);
    const std::vector<Bytes> captured = Packets();
    Save(File("new.pld"));
    const Bytes newLayout = ReadBytes(File("new.pld"));
    WriteBytes(File("old.pld"), ToOldLayout(newLayout, 1u + H()));

    // The older records fail the layout test: the dialog asks, with the device selected and
    // the format controls on; the user picks the older layout and the plug-in's block size.
    const std::string blockSize = std::to_string(H());
    AnswerOptions(true, [&](CFileOptionsDlg& dialog) { ChooseOldLayout(dialog, blockSize); });
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("old.pld"));
    EXPECT_EQ(dialogCount, 1);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].deviceType, "QZ6F87");
    EXPECT_TRUE(presets[0].formatOn);
    EXPECT_EQ(Texts(), std::vector<std::string>{kSaveFirst});
    ExpectSamePackets(captured, Packets());

    // Saved again, it is the newer layout once more.
    Save(File("converted.pld"));
    EXPECT_EQ(ReadBytes(File("converted.pld")), newLayout);
}

// A file of another block size sizes the store for its records; the next capture hands over
// records of the plug-in's length, and the store takes them at that length again.
TEST_F(DataFileWindowTest, ACaptureAfterAFileOfAnotherBlockSizeStoresThePluginsRecords)
{
    Capture("Tolvane/Tolvane.so", 50);
    const uint16_t h = H();
    const uint16_t recordLength = window->Store().RecordLength();
    // The same packets in records of 150 bytes, the older layout's block size for Tolvane.
    Save(File("new.pld"));
    const Bytes saved = ReadBytes(File("new.pld"));
    Bytes wide;
    for (size_t at = 0; at + 1u + h <= saved.size(); at += 1u + h) {
        wide.insert(wide.end(), saved.begin() + at, saved.begin() + at + 1 + h);
        wide.insert(wide.end(), 150 - h, 0);
    }
    WriteBytes(File("wide.pld"), ToOldLayout(wide, 151));
    AnswerOptions(true, [](CFileOptionsDlg& dialog) { ChooseOldLayout(dialog, "150"); });
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("wide.pld"));
    ASSERT_EQ(Count(), static_cast<int>(saved.size() / (1u + h)));
    EXPECT_EQ(window->Store().RawLength(), 150);

    window->OnCommand(command::kStart);
    ASSERT_TRUE(window->Capturing());
    EXPECT_EQ(window->Store().RawLength(), h);
    EXPECT_EQ(window->Store().RecordLength(), recordLength);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Count() >= 30; }, kWaitMs));
    window->OnCommand(command::kPause);
    // Every packet of the new capture, numbered from 1 and saved as the plug-in's records.
    const std::vector<Bytes> captured = Packets();
    for (size_t i = 0; i < captured.size(); ++i) {
        uint32_t number = 0;
        std::memcpy(&number, captured[i].data(), 4);
        EXPECT_EQ(number, i + 1);
    }
    Save(File("after.pld"));
    EXPECT_EQ(fs::file_size(File("after.pld")), captured.size() * (1u + h));
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("after.pld"));
    ASSERT_EQ(Count(), static_cast<int>(captured.size()));
    Save(File("again.pld"));
    EXPECT_EQ(ReadBytes(File("again.pld")), ReadBytes(File("after.pld")));
    EXPECT_EQ(Texts(), (std::vector<std::string>{kSaveFirst, kSaveFirst}));
}

TEST_F(DataFileWindowTest, WithoutADeviceEvenAKnownLayoutAsksForTheDevice)
{
    WriteBoards("# no board attached\n");
    Open(Plugin("Tolvane/Tolvane.so"));
    WriteBytes(File("known.pld"), Concat({GoodRecord(H(), 1, 20), GoodRecord(H(), 2, 20)}));
    AnswerOptions(true);
    OpenData(File("known.pld"));
    EXPECT_EQ(dialogCount, 1);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].deviceType, "Unknown");
    EXPECT_EQ(presets[0].layout, CFileOptionsDlg::kNewLayout);
    EXPECT_EQ(presets[0].blockSize, std::to_string(H()));
    // The layout was recognised: only the device is asked for.
    EXPECT_FALSE(presets[0].formatOn);
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DataFileWindowTest, CancelInTheOptionsDialogOpensNothing)
{
    Capture("Tolvane/Tolvane.so", 50);
    WriteBytes(File("noise.pld"), Bytes(5 * (1u + H()), 0xA5));
    AnswerOptions(false);
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("noise.pld"));
    EXPECT_EQ(dialogCount, 1);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(window->Store().FileReader(), nullptr);
    EXPECT_EQ(Texts(), std::vector<std::string>{kSaveFirst});
}

TEST_F(DataFileWindowTest, ABlockSizeTheStoreCannotTakeIsRefusedWithItsText)
{
    Capture("Tolvane/Tolvane.so", 20);
    WriteBytes(File("noise.pld"), Bytes(5 * (1u + H()), 0xA5));
    AnswerOptions(true, [&](CFileOptionsDlg& dialog) { BlockSizeEdit(dialog)->setText("65535"); });
    answers.push_back(platform::MessageAnswer::No);
    OpenData(File("noise.pld"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text.rfind("Can't open file with a block size of 65535 bytes", 0), 0u) << boxes[1].text;
    EXPECT_EQ(Count(), 0);
}

// ---------------------------------------------------------------- damaged files

struct DamagedCase {
    const char* name;
    // The file's bytes for records of h + 1 bytes.
    std::function<Bytes(uint16_t h)> bytes;
    // The options dialog is shown and its presets are taken: the layout the check found, the
    // older one, and the block size of Tolvane files of that layout, 150 bytes.
    bool asks;
    int32_t packets; // stored after reading
};

const DamagedCase kDamaged[] = {
    {"CutInTheThirdRecord",
     [](uint16_t h) {
         Bytes file = Concat({GoodRecord(h, 1, 20), GoodRecord(h, 2, 20), GoodRecord(h, 3, 20)});
         file.resize(file.size() - 7);
         return file;
     },
     false, 2},
    {"ShorterThanOneRecord", [](uint16_t h) { Bytes file = GoodRecord(h, 1, 20); file.resize(10); return file; },
     true, 0},
    {"Empty", [](uint16_t) { return Bytes(); }, true, 0},
    {"RandomBytes",
     [](uint16_t h) {
         std::mt19937 random(1234);
         Bytes file(7u * (1u + h));
         for (uint8_t& b : file)
             b = static_cast<uint8_t>(random());
         file[14] = 0x5A; // not the newer layout
         return file;
     },
     true, 6},
    {"LengthsPastTheRecord",
     [](uint16_t h) {
         Bytes first = GoodRecord(h, 1, 20);
         Bytes absurd = GoodRecord(h, 2, 0xFF);
         absurd[13] = 0xFF;
         absurd[14] = 0xFF;
         Bytes generic = GoodRecord(h, 3, 20);
         generic[0] = 0x10 | 0x04; // incomplete, generic length
         generic[13] = 0xFE;
         generic[14] = 0xFF;
         return Concat({first, absurd, generic});
     },
     false, 3},
    {"OneByteOfJunkBehindTheFrame",
     [](uint16_t h) {
         Bytes record = GoodRecord(h, 1, 20);
         record.back() = 0x01;
         return Concat({record, GoodRecord(h, 2, 20)});
     },
     true, 1},
};

class DamagedFiles : public DataFileWindowTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedFiles, OpenWithoutLosingTheStoreBeforeTheQuestion)
{
    const DamagedCase& c = GetParam();
    Capture("Tolvane/Tolvane.so", 20);
    const int held = Count();
    const std::string path = File("damaged.pld");
    WriteBytes(path, c.bytes(H()));

    // Cancel keeps every packet.
    answers.push_back(platform::MessageAnswer::Cancel);
    OpenData(path);
    EXPECT_EQ(Count(), held);
    EXPECT_EQ(dialogCount, 0);

    boxes.clear();
    if (c.asks)
        AnswerOptions(true);
    answers.push_back(platform::MessageAnswer::No);
    OpenData(path);
    EXPECT_EQ(dialogCount, c.asks ? 1 : 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{kSaveFirst});
    EXPECT_EQ(Count(), c.packets);
    // Whatever the records held, every stored packet can be read back.
    EXPECT_EQ(Packets().size(), static_cast<size_t>(c.packets));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFiles, ::testing::ValuesIn(kDamaged),
                         [](const ::testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

TEST_F(DataFileWindowTest, AFileThatCannotBeOpenedIsNamedTwiceAndLeavesTheStoreEmpty)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    struct Case {
        std::string path;
        std::string reason;
    };
    fs::create_directories(folder / "a folder");
    const std::vector<Case> cases = {
        {File("missing.pld"), "No such file or directory"},
        {File("a folder"), "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        boxes.clear();
        dialogCount = 0;
        AnswerOptions(true);
        OpenData(c.path);
        // The layout check cannot read it, the options dialog asks, and the reader says so again.
        EXPECT_EQ(dialogCount, 1);
        EXPECT_EQ(Texts(), (std::vector<std::string>{"Can't open file: " + c.reason, "Can't open file: " + c.reason}));
        EXPECT_EQ(Count(), 0);
    }
}

// ---------------------------------------------------------------- the generic numbering rule

TEST_F(DataFileWindowTest, GenericFilesNumberedInARowOpenWithoutTheDialog)
{
    Open(Plugin("Generic/Halyard.so"));
    WriteBoards(kBoard);
    window->DevicePanel()->RefreshDeviceList();
    ASSERT_TRUE(SelectBoard());
    struct Case {
        std::vector<uint32_t> numbers;
        bool asks;
    };
    const std::vector<Case> cases = {{{7, 8, 9}, false}, {{7, 9, 10}, true}, {{7, 8}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.numbers.size() == 3 ? c.numbers[1] : 0);
        Bytes file;
        for (uint32_t number : c.numbers) {
            Bytes record = GoodRecord(H(), number, 20);
            record[0] = 0x10;
            record[14] = 0x33; // fails the layout test
            file.insert(file.end(), record.begin(), record.end());
        }
        WriteBytes(File("generic.pld"), file);
        dialogCount = 0;
        if (c.asks)
            AnswerOptions(true);
        answers.push_back(platform::MessageAnswer::No);
        OpenData(File("generic.pld"));
        EXPECT_EQ(dialogCount, c.asks ? 1 : 0);
        EXPECT_EQ(Count(), static_cast<int>(c.numbers.size()));
    }
}

// ---------------------------------------------------------------- saves that fail

// The old file under the name chosen is left byte for byte as it was, and the text says why.
class FailingSave : public DataFileWindowTest {
protected:
    void ExpectOldFileKept(const std::string& path, const Bytes& old, const std::string& reason)
    {
        EXPECT_EQ(ReadBytes(path), old);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, reason);
        EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Exclamation);
        // Nothing is left beside it.
        int files = 0;
        for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(fs::path(path).parent_path()))
            ++files;
        EXPECT_EQ(files, 1);
    }
};

TEST_F(FailingSave, AFileSizeLimitKeepsTheOldFile)
{
    Capture("Tolvane/Tolvane.so", 300);
    fs::create_directories(folder / "limited");
    const std::string path = (folder / "limited" / "capture.pld").string();
    const Bytes old(1000, 0x5C);
    WriteBytes(path, old);

    {
        testsupport::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.Active());
        Save(path);
    }
    ExpectOldFileKept(path, old, "Can't write to file: File too large");
}

TEST_F(FailingSave, AReadOnlyFolderKeepsTheOldFile)
{
    Capture("Tolvane/Tolvane.so", 20);
    // Under /tmp, which every user can pass through.
    std::string pattern = "/tmp/pelagor-read-only-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path readOnly(pattern);
    const std::string path = (readOnly / "capture.pld").string();
    const Bytes old(1000, 0x5C);
    WriteBytes(path, old);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    // As root every folder is writable: the save runs with another user's file access. Only the
    // file-system user of this thread changes, and it is given back right after.
    const bool root = geteuid() == 0;
    if (root)
        setfsuid(65534);
    // access() asks for the real user, not the file-system one: try to make a file instead.
    const std::string probe = (readOnly / "probe").string();
    const int probeFd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    const bool writable = probeFd >= 0;
    if (writable) {
        close(probeFd);
        unlink(probe.c_str());
    }
    if (!writable)
        Save(path);
    if (root)
        setfsuid(0);
    if (writable) {
        fs::remove_all(readOnly);
        GTEST_SKIP() << "no user here for whom a read-only folder is read-only";
    }
    ExpectOldFileKept(path, old, "Can't open file: Permission denied");
    fs::permissions(readOnly, fs::perms::owner_all);
    fs::remove_all(readOnly);
}

// ---------------------------------------------------------------- the end of a file read

// A reader that is still running when the next file is opened posts its end message late; it
// must not delete the reader of the new file.
// A data file of count records the layout test accepts.
Bytes BigFile(uint16_t h, uint32_t count)
{
    Bytes file;
    file.reserve(count * (1u + h));
    for (uint32_t n = 1; n <= count; ++n) {
        const Bytes record = GoodRecord(h, n, 20);
        file.insert(file.end(), record.begin(), record.end());
    }
    return file;
}

// The end of a reader is told with its serial; it deletes that reader only, once it has
// finished, and never the reader of a file opened after it.
TEST_F(DataFileWindowTest, TheEndOfAnEarlierReaderLeavesTheCurrentOneAlone)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    WriteBoards(kBoard);
    window->DevicePanel()->RefreshDeviceList();
    ASSERT_TRUE(SelectBoard());
    WriteBytes(File("big.pld"), BigFile(H(), 20000));
    WriteBytes(File("small.pld"), BigFile(H(), 3));

    chosen.push_back(File("big.pld"));
    window->OnCommand(command::kOpenData);
    ASSERT_NE(window->Store().FileReader(), nullptr);
    const uint64_t firstSerial = window->Store().FileReader()->Serial();

    // The next open takes the first reader down; its end message is still to come.
    answers.push_back(platform::MessageAnswer::No);
    chosen.push_back(File("small.pld"));
    window->OnCommand(command::kOpenData);
    ReadFileThread* second = window->Store().FileReader();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second->Serial(), firstSerial);
    // Also once the second has read its file, before its own end message came.
    while (second->Running())
        std::this_thread::sleep_for(1ms);
    window->OnFileReadDone(firstSerial);
    EXPECT_EQ(window->Store().FileReader(), second);
    WaitForReader();
    EXPECT_EQ(Count(), 3);
}

// A reset or the next open empties the store; a reader still reading must not fill it again.
TEST_F(DataFileWindowTest, AResetOrACancelledOpenEndsTheFileReadStillGoing)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    WriteBoards(kBoard);
    window->DevicePanel()->RefreshDeviceList();
    ASSERT_TRUE(SelectBoard());
    WriteBytes(File("big.pld"), BigFile(H(), 200000));
    WriteBytes(File("noise.pld"), Bytes(5 * (1u + H()), 0xA5));

    struct Case {
        const char* what;
        std::function<void()> empty;
    };
    const std::vector<Case> cases = {
        {"reset", [&] { window->OnCommand(command::kReset); }},
        {"an open cancelled in the options dialog",
         [&] {
             AnswerOptions(false);
             answers.push_back(platform::MessageAnswer::No);
             chosen.push_back(File("noise.pld"));
             window->OnCommand(command::kOpenData);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        chosen.push_back(File("big.pld"));
        answers.push_back(platform::MessageAnswer::No);
        window->OnCommand(command::kOpenData);
        ASSERT_NE(window->Store().FileReader(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Count() > 0; }, kWaitMs));
        ASSERT_LT(Count(), 200000) << "the file was read before it could be stopped";
        c.empty();
        EXPECT_EQ(window->Store().FileReader(), nullptr);
        QTest::qWait(300);
        EXPECT_EQ(Count(), 0);
    }
}

} // namespace
