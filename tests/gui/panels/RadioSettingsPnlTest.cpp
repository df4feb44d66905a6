// The register panel on register files in a temporary folder and on the shipped protocol
// folders: loading and refusing files, the forced registers, the channel and value edits, the
// device checks, the set handed out at start, writing files and the file dialogs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "core/host/CPelagorSettings.h"
#include "core/tables/TabDefRadioFile.h"
#include "core/tables/TabRadioSettings.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/GuiPlatform.h"
#include "gui/MessageBeep.h"
#include "gui/panels/CRadioSettingsPnl.h"
#include "gui/views/CListCtrlEx.h"
#include "gui/views/HelpTip.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/TempFolder.h"

using testsupport::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string kProgramFolder = PELAGOR_TEST_PROGRAM_DIR "/";
const std::string kProtocols = PELAGOR_TEST_PROTOCOLS_DIR;

const std::string kFormatTail = "\n\nInvalid format in file with register settings.\nExample: \"FSCTRL1 |0xDF07|0x08\"";
const std::string kInvalidChannel =
    "Invalid value. The channel number should be in the range 0 - 255, or in hex notation 0x00 - 0xFF.";
const std::string kDeviceChanged =
    "The selected RF device has changed, but the register settings are unchanged!\nAs a consequence you might not be "
    "able to capture packets as expected.";

struct Reg {
    std::string name;
    uint32_t address;
    uint32_t value;
    bool operator==(const Reg& other) const = default;
};

std::ostream& operator<<(std::ostream& out, const Reg& r)
{
    return out << '{' << r.name << ", 0x" << std::hex << r.address << ", 0x" << r.value << std::dec << '}';
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ShippedRegisterFiles(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".prs")
            names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string la = a, lb = b;
        std::transform(la.begin(), la.end(), la.begin(), ::tolower);
        std::transform(lb.begin(), lb.end(), lb.begin(), ::tolower);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

class RegisterPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ignored;
        fs::remove_all(fs::path(std::getenv("XDG_CONFIG_HOME")) / "pelagor", ignored);
        SetProgramTree(kProgramFolder + "..");
        SetLastDialogFolder("");
        SetFileDialogHandler([this](const FileDialogRequest& request) {
            requests.push_back(request);
            if (answers.empty())
                return std::string();
            std::string answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    void TearDown() override
    {
        panel.reset();
        SetFileDialogHandler(nullptr);
        QCoreApplication::processEvents();
    }

    CRadioSettingsPnl& Open()
    {
        panel = std::make_unique<CRadioSettingsPnl>(nullptr);
        panel->SetProgramFolder(kProgramFolder);
        panel->resize(980, 160);
        panel->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        return *panel;
    }

    // Writes a register file into the temporary folder and loads it into the panel.
    int Load(const std::string& name, const std::string& text, const std::string& sub = "regs")
    {
        const std::string path = folder.Write(sub + "/" + name, text);
        const int position = panel->FillRegisterFileList(path);
        return panel->LoadRegisterFile(position);
    }

    std::vector<Reg> Rows() const
    {
        std::vector<Reg> rows;
        for (const TAB_RADIO_SETTINGS_REC& r : panel->Registers().Rows())
            rows.push_back({r.REGNAME, r.REGADDRESS, r.REGVALUE});
        return rows;
    }

    // The list as handed out: {address, value} per row.
    std::vector<Reg> Pairs() const
    {
        std::vector<Reg> pairs;
        const int* list = panel->Registers().List();
        for (int i = 0; i + 1 < panel->Registers().Count(); i += 2)
            pairs.push_back({"", static_cast<uint32_t>(list[i]), static_cast<uint32_t>(list[i + 1])});
        return pairs;
    }
    static std::vector<Reg> AsPairs(std::vector<Reg> rows)
    {
        for (Reg& r : rows)
            r.name.clear();
        return rows;
    }

    int Channel() const
    {
        uint8_t channel = 0xEE;
        EXPECT_EQ(panel->GetChannel(&channel), 1);
        return channel;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const platform::MessageBoxRequest& r : boxes)
            texts.push_back(r.text);
        return texts;
    }

    template <typename T>
    T* Control(int id) const
    {
        T* control = FindControl<T>(panel.get(), id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    static std::string Stored(std::string (*read)(const CPelagorSettings&))
    {
        CPelagorSettings settings;
        settings.Load();
        return read(settings);
    }
    static std::string StoredPath()
    {
        return Stored([](const CPelagorSettings& s) { return s.PathRegisterFile.str(); });
    }
    static uint32_t StoredChip()
    {
        CPelagorSettings settings;
        settings.Load();
        return settings.ChipType;
    }

    std::vector<platform::MessageBoxRequest> boxes;
    GuiPlatform platform{[this](const platform::MessageBoxRequest& request) {
        boxes.push_back(request);
        return platform::DefaultAnswer(request.buttons);
    }};
    std::vector<FileDialogRequest> requests;
    std::deque<std::string> answers;
    TempFolder folder;
    std::unique_ptr<CRadioSettingsPnl> panel;
};

// ---------------------------------------------------------------- register files

struct FileCase {
    const char* label;
    std::string text;
    std::vector<Reg> rows;  // empty with a refusal
    int channel;
    std::string device;
    std::string refusal;    // the message; empty for a good file
};

TEST_F(RegisterPanel, RegisterFilesGiveTheirRowsChannelAndDeviceOrAreRefusedWithThePreviousSetKept)
{
    const std::vector<FileCase> cases = {
        {"padded example", "FSCTRL1 |0xDF07|0x08\nCHANNR  |0x000A|0x14|Channel number\n",
         {{"FSCTRL1", 0xDF07, 0x08}, {"CHANNR", 0x0A, 0x14}}, 20, "", ""},
        {"device line, CR LF", "$!RF_DEVICE=QZ3A02\r\nCHANNR |0x000A|0x1A\r\n", {{"CHANNR", 0x0A, 0x1A}}, 26,
         "QZ3A02", ""},
        {"no channel register", "# only a comment\nSYNC1|0x04|0xD3|Sync word\n", {{"SYNC1", 0x04, 0xD3}}, 0, "",
         ""},
        {"a name holding CHANNR is no channel", "CHANNR2|0x0A|0x07\n", {{"CHANNR2", 0x0A, 0x07}}, 0, "", ""},
        {"largest values", "CHANNR|0xFFFF|0xFF\n", {{"CHANNR", 0xFFFF, 0xFF}}, 255, "", ""},
        {"escaped name", "a\\|b\\\\|0x01|0x02\n\\#x|0x03|0x04\n", {{"a|b\\", 1, 2}, {"#x", 3, 4}}, 0, "", ""},
        {"empty file", "", {}, 0, "", ""},
        {"blank lines", "\nA|0x01|0x02\n   \r\n\t\nB|0x03|0x04\n\n", {{"A", 1, 2}, {"B", 3, 4}}, 0, "", ""},
        {"value beyond a byte", "A|0x0001|0x100\n", {}, 0, "",
         "Register A: the value 0x100 does not fit into a register byte (0x00 - 0xFF)." + kFormatTail},
        {"value of four hex characters", "A|0x0001|xFFF\n", {}, 0, "",
         "Register A: the value 0xFFF does not fit into a register byte (0x00 - 0xFF)." + kFormatTail},
        {"address beyond 16 bits", "OK|0x0001|0x01\nA|0x12345|0x01\n", {}, 0, "",
         "Register A: the address 0x12345 does not fit into 16 bits (0x0000 - 0xFFFF)." + kFormatTail},
        {"address without x", "A|1F|0x01\n", {}, 0, "",
         "Error reading table case.prs.\nInvalid value on line 1\nNot able to convert Hex value in field: REGADDRESS" +
             kFormatTail},
        {"missing value", "# c\nA|0x01|0x02\nB|0x01\n", {}, 0, "",
         "Error reading table case.prs.\nInvalid value on line 3\nNot able to convert Hex value in field: REGVALUE" +
             kFormatTail},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.label);
        Open();
        ASSERT_EQ(Load("previous.prs", "$!RF_DEVICE=QZ6F1C\nPREV|0x0001|0x02\nCHANNR|0x000A|0x05\n", "prev"), 1);
        const std::string previousPath = panel->CurrentRegisterFile();
        boxes.clear();
        const int loaded = Load("case.prs", c.text);
        if (c.refusal.empty()) {
            EXPECT_EQ(loaded, 1);
            EXPECT_EQ(Texts(), std::vector<std::string>{});
            EXPECT_EQ(Rows(), c.rows);
            EXPECT_EQ(Pairs(), AsPairs(c.rows));
            EXPECT_EQ(Channel(), c.channel);
            EXPECT_EQ(Control<QLineEdit>(CRadioSettingsPnl::kChannelEditId)->text().toStdString(),
                      std::to_string(c.channel));
            EXPECT_EQ(panel->FileDeviceType(), c.device);
            EXPECT_EQ(panel->CurrentRegisterFile(), folder / "regs/case.prs");
            EXPECT_EQ(panel->RegisterList()->GetRowCount(), static_cast<int>(c.rows.size()));
        } else {
            EXPECT_EQ(loaded, 0);
            EXPECT_EQ(Texts(), std::vector<std::string>{c.refusal});
            EXPECT_EQ(boxes.at(0).icon, platform::MessageIcon::Exclamation);
            EXPECT_EQ(Rows(), (std::vector<Reg>{{"PREV", 1, 2}, {"CHANNR", 0x0A, 5}}));
            EXPECT_EQ(Channel(), 5);
            EXPECT_EQ(panel->FileDeviceType(), "QZ6F1C");
            EXPECT_EQ(panel->CurrentRegisterFile(), previousPath);
            EXPECT_EQ(StoredPath(), previousPath);
            EXPECT_EQ(panel->RegisterList()->GetRowText(0), "PREV\t0x02");
        }
        panel.reset();
    }
}

// The list cuts cells at TABs and draws a cell that starts with '%' as a bar: a file's names
// are shown as text, and held unchanged.
TEST_F(RegisterPanel, NamesAreShownAsTextInTheRegisterList)
{
    Open();
    ASSERT_EQ(Load("names.prs", "%50|0x01|0x02\nA\tB|0x03|0x04\n"), 1);
    EXPECT_EQ(Rows(), (std::vector<Reg>{{"%50", 1, 2}, {"A\tB", 3, 4}}));
    EXPECT_EQ(panel->RegisterList()->GetRowText(0), " %50\t0x02");
    EXPECT_EQ(panel->RegisterList()->GetRowText(1), "A B\t0x04");
}

TEST_F(RegisterPanel, AFileWithMoreRowsThanTheCountOfIntsCanCountIsRefused)
{
    Open();
    std::string text;
    for (size_t i = 0; i < RegisterSet::kMaxRows; ++i)
        text += "R|0x0001|0x01\n";
    ASSERT_EQ(Load("largest.prs", text), 1);
    EXPECT_EQ(panel->Registers().Count(), 2 * RegisterSet::kMaxRows);
    const int* list = nullptr;
    uint16_t count = 0;
    ASSERT_EQ(panel->GetRegisterSettings(panel->RegisterChip(), &list, &count), 1);
    EXPECT_EQ(count, 2 * RegisterSet::kMaxRows);

    EXPECT_EQ(Load("too_many.prs", text + "R|0x0001|0x01\n"), 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{"The file holds 32762 registers; a register set holds at most 32761." +
                                                kFormatTail});
    EXPECT_EQ(panel->Registers().Count(), 2 * RegisterSet::kMaxRows);
}

// A file that does not load must not become the file of the next start, nor its chip.
TEST_F(RegisterPanel, AFailedLoadKeepsTheChipAndPathOfTheSetInEffect)
{
    Open();
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A5C"), 1);
    ASSERT_EQ(Load("good.prs", "PKT_CFG1|0x0027|0x05\n"), 1);
    const std::string good = folder / "regs/good.prs";
    EXPECT_EQ(panel->RegisterChip(), 0x3A5C);
    EXPECT_EQ(StoredPath(), good);
    EXPECT_EQ(StoredChip(), 0x3A5Cu);

    ASSERT_EQ(panel->SetRfDeviceType("QZ3A02"), 1);
    EXPECT_EQ(Load("broken.prs", "PKTCTRL1|7|0x04\n"), 0);
    EXPECT_EQ(panel->RegisterChip(), 0x3A5C);
    EXPECT_EQ(panel->CurrentRegisterFile(), good);
    EXPECT_EQ(StoredPath(), good);
    EXPECT_EQ(StoredChip(), 0x3A5Cu);

    // The start on the new chip is told that the set is still the old chip's.
    boxes.clear();
    const int* list = nullptr;
    uint16_t count = 0;
    EXPECT_EQ(panel->GetRegisterSettings(0x3A02, &list, &count), 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{kDeviceChanged});
}

TEST_F(RegisterPanel, AFolderWithoutRegisterFilesLeavesTheListAndItsFolderTogether)
{
    Open();
    ASSERT_EQ(Load("a.prs", "A|0x01|0x02\n"), 1);
    folder.Write("other/readme.txt", "not a register file");
    fs::create_directories(folder.Path() / "other/dir.prs");
    EXPECT_EQ(panel->FillRegisterFileList(folder / "other/b.prs"), 0);
    EXPECT_EQ(panel->RegisterFolder(), folder / "regs");
    EXPECT_EQ(panel->ListedFiles(), std::vector<std::string>{"a"});
    EXPECT_EQ(panel->FillRegisterFileList(folder / "missing"), 0);
    EXPECT_EQ(panel->RegisterFolder(), folder / "regs");

    // A folder with files replaces both; the entry of the path is found with either separator.
    folder.Write("other/c.prs", "C|0x01|0x02\n");
    folder.Write("other/B.prs", "B|0x01|0x02\n");
    folder.Write("other/a.prs", "A|0x01|0x02\n");
    EXPECT_EQ(panel->FillRegisterFileList(folder.Path().string() + "\\other\\c.prs"), 2);
    EXPECT_EQ(panel->RegisterFolder(), folder / "other");
    EXPECT_EQ(panel->ListedFiles(), (std::vector<std::string>{"a", "B", "c"}));
    auto* list = Control<QListWidget>(CRadioSettingsPnl::kFileListId);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text().toStdString(), "B");
    EXPECT_EQ(panel->FillRegisterFileList(folder / "other"), 0);

    // Enter on the file list loads the entry, as a double-click does.
    list->setCurrentRow(1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(panel->CurrentRegisterFile(), folder / "other/B.prs");
    EXPECT_EQ(Rows(), (std::vector<Reg>{{"B", 1, 2}}));
}

// ---------------------------------------------------------------- forced registers

struct ForcedCase {
    const char* device;
    std::string text;
    std::vector<Reg> rows;
};

TEST_F(RegisterPanel, ForcedRegistersAreOredInOrAppendedForTheirChipFamilies)
{
    const std::vector<ForcedCase> cases = {
        {"QZ3A5C", "SYNC3|0x0004|0x93\nRFEND_CFG1|0x0029|0x00\n",
         {{"SYNC3", 0x04, 0x93}, {"RFEND_CFG1", 0x29, 0x30}, {"PKT_CFG1", 0x27, 0x35}}},
        {"QZ3A5C", "PKT_CFG1|0x0027|0x05\nRFEND_CFG1|0x0029|0x3F\n",
         {{"PKT_CFG1", 0x27, 0x35}, {"RFEND_CFG1", 0x29, 0x3F}}},
        {"QZ3A5D", "", {{"PKT_CFG1", 0x27, 0x35}, {"RFEND_CFG1", 0x29, 0x3F}}},
        {"QZ3A5F", "X|0x0027|0x00\n", {{"X", 0x27, 0x30}, {"RFEND_CFG1", 0x29, 0x3F}}},
        {"QZ3A02", "PKTCTRL1|0x0007|0x00\nPKTCTRL0|0x0008|0x01\nMCSM1|0x0017|0x30\n",
         {{"PKTCTRL1", 0x07, 0x04}, {"PKTCTRL0", 0x08, 0x05}, {"MCSM1", 0x17, 0x3C}}},
        {"QZ3A0V", "CHANNR|0x000A|0x03\n",
         {{"CHANNR", 0x0A, 0x03}, {"PKTCTRL1", 0x07, 0x04}, {"PKTCTRL0", 0x08, 0x04}, {"MCSM1", 0x17, 0x3C}}},
        {"QZ3A3V", "MCSM1|0x0017|0x03\n", {{"MCSM1", 0x17, 0x0F}, {"PKTCTRL1", 0x07, 0x04}, {"PKTCTRL0", 0x08, 0x04}}},
        {"QZ6F1C", "PKTCTRL1|0x0007|0x00\n", {{"PKTCTRL1", 0x07, 0x00}}},
        {"QZ3B90", "PKT_CFG1|0x0027|0x05\n", {{"PKT_CFG1", 0x27, 0x05}}},
    };
    for (const ForcedCase& c : cases) {
        SCOPED_TRACE(std::string(c.device) + ": " + c.text);
        Open();
        ASSERT_EQ(panel->SetRfDeviceType(c.device), 1);
        ASSERT_EQ(Load("forced.prs", c.text), 1);
        EXPECT_EQ(Rows(), c.rows);
        const int* list = nullptr;
        uint16_t count = 0;
        ASSERT_EQ(panel->GetRegisterSettings(panel->DeviceChip(), &list, &count), 1);
        ASSERT_EQ(count, 2 * c.rows.size());
        EXPECT_EQ(list, panel->Registers().List());
        EXPECT_EQ(Pairs(), AsPairs(c.rows));
        for (size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(panel->RegisterList()->GetRowText(static_cast<int>(i)),
                      c.rows[i].name + "\t" + platform::FormatText("0x%2.2X", c.rows[i].value));
        EXPECT_EQ(Texts(), std::vector<std::string>{});
        panel.reset();
    }
}

// ---------------------------------------------------------------- writing

TEST_F(RegisterPanel, WriteToFilePadsTheFilesNamesButNotThePanelsAndReadsBackTheSame)
{
    Open();
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A02"), 1);
    ASSERT_EQ(Load("in.prs", "FSCTRL1|0xDF07|0x08|Frequency\nCHANNR|0x0A|0x05\nA\\|B|0x1|0x2\n"), 1);
    fs::create_directories(folder.Path() / "out");
    answers.push_back(folder / "out/saved.prs");
    Control<QPushButton>(CRadioSettingsPnl::kWriteId)->click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(requests[0].filter, "Pelagor Radio setting files (*.prs);;All files (*)");
    EXPECT_EQ(requests[0].defaultExtension, "prs");
    EXPECT_FALSE(requests[0].confirmOverwrite);
    EXPECT_EQ(requests[0].startFolder, folder / "regs");
    EXPECT_EQ(Texts(), std::vector<std::string>{});
    EXPECT_EQ(ReadBytes(folder / "out/saved.prs"), "FSCTRL1 |0xDF07|0x08\r\n"
                                                    "CHANNR  |0x000A|0x05\r\n"
                                                    "A\\|B    |0x0001|0x02\r\n"
                                                    "PKTCTRL1|0x0007|0x04\r\n"
                                                    "PKTCTRL0|0x0008|0x04\r\n"
                                                    "MCSM1   |0x0017|0x3C\r\n");
    // The held names are the file's names, so the channel register is still known as such.
    const std::vector<Reg> held = Rows();
    EXPECT_EQ(held.at(1).name, "CHANNR");
    EXPECT_EQ(held.at(2).name, "A|B");
    EXPECT_EQ(panel->RegisterList()->GetRowText(1), "CHANNR\t0x05");
    answers.push_back(folder / "out/again.prs");
    panel->SaveRegisterFile();
    EXPECT_EQ(ReadBytes(folder / "out/again.prs"), ReadBytes(folder / "out/saved.prs"));

    // Read back: the same registers (the forced ones are now the file's own), the channel.
    EXPECT_EQ(panel->ListedFiles(), std::vector<std::string>{"in"}); // the list is not refreshed
    ASSERT_EQ(panel->LoadRegisterFile(panel->FillRegisterFileList(folder / "out/saved.prs")), 1);
    EXPECT_EQ(Rows(), held);
    EXPECT_EQ(Channel(), 5);
}

TEST_F(RegisterPanel, WriteFailuresAreReportedAndACancelWritesNothing)
{
    Open();
    ASSERT_EQ(Load("in.prs", "FSCTRL1|0xDF07|0x08\n"), 1);
    const struct {
        std::string answer;
        std::vector<std::string> texts;
    } cases[] = {
        {"", {}},
        {"/dev/full", {std::string("Can't write to file: ") + std::strerror(ENOSPC)}},
        {folder / "missing/out.prs", {std::string("Could not open file: ") + std::strerror(ENOENT)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        boxes.clear();
        answers.push_back(c.answer);
        panel->SaveRegisterFile();
        EXPECT_EQ(Texts(), c.texts);
        for (const platform::MessageBoxRequest& r : boxes)
            EXPECT_EQ(r.icon, platform::MessageIcon::Exclamation);
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "missing"));
}

// A save never starts in the program tree; the open dialog starts in the register folder.
TEST_F(RegisterPanel, DialogsStartOutsideTheProgramTreeForSaves)
{
    Open();
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Generic/Halyard.so", "", "QZ3A5C"), 1);
    ASSERT_EQ(panel->RegisterFolder(), kProtocols + "/Generic");
    panel->OnBrowse();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, FileDialogKind::Open);
    EXPECT_EQ(requests[0].startFolder, kProtocols + "/Generic");
    EXPECT_EQ(requests[0].filter, "Pelagor Radio setting files (*.prs);;All files (*)");

    panel->SaveRegisterFile();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(IsInProgramTree(requests[1].startFolder)) << requests[1].startFolder;
    EXPECT_EQ(requests[1].startFolder, QDir::homePath().toStdString());

    // After a save elsewhere, that folder is where the next save starts.
    answers.push_back(folder / "saved.prs");
    panel->SaveRegisterFile();
    panel->SaveRegisterFile();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[3].startFolder, folder.Path().string());
    // A folder that is gone gives way to the last one used, then to the home folder.
    fs::create_directories(folder.Path() / "regs");
    EXPECT_EQ(DialogStartFolder(FileDialogKind::Open, folder / "gone"), folder.Path().string());
    EXPECT_EQ(DialogStartFolder(FileDialogKind::Open, folder.Path().string() + "\\regs"), folder / "regs");
    SetLastDialogFolder(folder / "gone");
    EXPECT_EQ(DialogStartFolder(FileDialogKind::Open, ""), QDir::homePath().toStdString());
    SetLastDialogFolder(kProtocols);
    EXPECT_EQ(DialogStartFolder(FileDialogKind::Open, ""), kProtocols);
    EXPECT_EQ(DialogStartFolder(FileDialogKind::Save, ""), QDir::homePath().toStdString());
    EXPECT_TRUE(IsInProgramTree(kProtocols + "/Generic/../Generic"));
    EXPECT_TRUE(IsInProgramTree(kProgramFolder + ".."));
    EXPECT_FALSE(IsInProgramTree(folder.Path().string()));
    EXPECT_EQ(QtFileFilter("Text (*.x)|*.x;*.y|All files (*.*)|*.*||"), "Text (*.x *.y);;All files (*)");
}

// ---------------------------------------------------------------- browsing

TEST_F(RegisterPanel, BrowseListsTheChosenFilesFolderAndLoadsIt)
{
    Open();
    folder.Write("picked/a.prs", "A|0x01|0x02\n");
    folder.Write("picked/b.prs", "$!RF_DEVICE=QZ3A5C\nB|0x03|0x04\nCHANNR|0x0A|0x0B\n");
    answers.push_back(folder / "picked/b.prs");
    Control<QPushButton>(CRadioSettingsPnl::kBrowseId)->click();
    EXPECT_EQ(panel->ListedFiles(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Control<QListWidget>(CRadioSettingsPnl::kFileListId)->currentRow(), 1);
    EXPECT_EQ(Rows(), (std::vector<Reg>{{"B", 3, 4}, {"CHANNR", 0x0A, 0x0B}}));
    EXPECT_EQ(Channel(), 11);
    EXPECT_EQ(StoredPath(), folder / "picked/b.prs");
    EXPECT_EQ(Texts(), std::vector<std::string>{});

    // A chosen file that is no listed register file changes nothing.
    folder.Write("picked/notes.txt", "A|0x01|0x02\n");
    answers.push_back(folder / "picked/notes.txt");
    const int beeps = MessageBeepCount();
    panel->OnBrowse();
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_EQ(panel->CurrentRegisterFile(), folder / "picked/b.prs");

    // A broken file chosen: the message, and the stored path stays the good one.
    folder.Write("picked/c.prs", "C|0x01\n");
    answers.push_back(folder / "picked/c.prs");
    panel->OnBrowse();
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_EQ(StoredPath(), folder / "picked/b.prs");
}

TEST_F(RegisterPanel, BrowseStopsWhenTheCurrentDirectoryIsGone)
{
    Open();
    const fs::path before = fs::current_path();
    const fs::path gone = folder.Path() / "gone";
    fs::create_directories(gone);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    fs::remove(gone);
    panel->OnBrowse();
    ASSERT_EQ(chdir(before.c_str()), 0);
    EXPECT_EQ(requests.size(), 0u);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Not able to retrieve current working directory.\r\nNot able to save file."});
}

// ---------------------------------------------------------------- channel and value edits

TEST_F(RegisterPanel, TheChannelEditTakesDecimalAndHexAndPutsThePreviousChannelBackOnBadText)
{
    Open();
    auto* edit = Control<QLineEdit>(CRadioSettingsPnl::kChannelEditId);
    EXPECT_EQ(edit->maxLength(), 4);
    EXPECT_EQ(panel->TakeChannelChanged(), 1); // set after construction
    const struct {
        const char* text;
        int channel;        // afterwards
        const char* shown;  // the edit's text afterwards
        bool refused;
        bool changed;
    } cases[] = {
        {"0x1A", 26, "0x1A", false, true}, {"26", 26, "26", false, true},   {"255", 255, "255", false, true},
        {"0", 0, "0", false, true},        {"0xFF", 255, "0xFF", false, true}, {"0x0", 0, "0x0", false, true},
        {"256", 7, "7", true, false},      {"abc", 7, "7", true, false},     {"1a", 7, "7", true, false},
        {"0x1G", 7, "7", true, false},     {"-1", 7, "7", true, false},      {"0XA", 7, "7", true, false},
        {" 0x1", 7, "7", true, false},
        // Passed through while typing over a number: no channel yet, and no complaint.
        {"", 7, "", false, false},         {"0x", 7, "0x", false, false},
    };
    const auto reset = [&] {
        {
            const QSignalBlocker quiet(edit);
            edit->setText(QStringLiteral("7"));
        }
        panel->ValidateChannel();
        ASSERT_EQ(Channel(), 7);
        panel->TakeChannelChanged();
        boxes.clear();
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        reset();
        edit->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(Channel(), c.channel);
        EXPECT_EQ(edit->text().toStdString(), c.shown);
        EXPECT_EQ(Texts(), c.refused ? std::vector<std::string>{kInvalidChannel} : std::vector<std::string>{});
        EXPECT_EQ(panel->TakeChannelChanged(), c.changed ? 1 : 0);
        EXPECT_EQ(panel->TakeChannelChanged(), 0);
    }

    // Typed key by key, as the user does.
    reset();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("0x1A"));
    EXPECT_EQ(Channel(), 26);
    EXPECT_EQ(Texts(), std::vector<std::string>{});
    reset();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("256"));
    EXPECT_EQ(Channel(), 25);
    EXPECT_EQ(edit->text().toStdString(), "25");
    EXPECT_EQ(Texts(), std::vector<std::string>{kInvalidChannel});
    EXPECT_EQ(panel->TakeChannelChanged(), 0);

    // Stored on close, and checked again at the next start.
    {
        const QSignalBlocker quiet(edit);
        edit->setText(QStringLiteral("0x1A"));
    }
    panel->SaveChannel();
    Open();
    EXPECT_EQ(Channel(), 26);
    CPelagorSettings settings;
    settings.Load();
    settings.strChannel = "abc";
    ASSERT_EQ(settings.Save(), 0);
    boxes.clear();
    Open();
    EXPECT_EQ(Texts(), std::vector<std::string>{kInvalidChannel});
    EXPECT_EQ(Channel(), 0);
    EXPECT_EQ(Control<QLineEdit>(CRadioSettingsPnl::kChannelEditId)->text().toStdString(), "0");
}

TEST_F(RegisterPanel, ApplySetsTheSelectedRegisterAndRefusesValuesBeyondAByte)
{
    Open();
    ASSERT_EQ(Load("in.prs", "FSCTRL1|0xDF07|0x08|Frequency synthesizer\nCHANNR|0x000A|0x05|Channel number\n"), 1);
    auto* name = Control<QLineEdit>(CRadioSettingsPnl::kNameEditId);
    auto* value = Control<QLineEdit>(CRadioSettingsPnl::kValueEditId);
    auto* description = Control<QPlainTextEdit>(CRadioSettingsPnl::kDescriptionId);
    auto* apply = Control<QPushButton>(CRadioSettingsPnl::kApplyId);
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_TRUE(description->isReadOnly());

    // Nothing selected yet: nothing to apply.
    value->setText(QStringLiteral("0x01"));
    apply->click();
    EXPECT_EQ(Rows()[0].value, 0x08u);

    // Enter on the register list selects, as a double-click does.
    CListCtrlEx* list = panel->RegisterList();
    list->SelectRow(1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(name->text().toStdString(), "CHANNR");
    EXPECT_EQ(value->text().toStdString(), "0x05");
    EXPECT_EQ(description->toPlainText().toStdString(), "Channel number");

    const struct {
        const char* text;
        uint32_t value; // held after Apply
        bool refused;
    } cases[] = {
        {"0x1F", 0x1F, false}, {"0xff", 0xFF, false},  {"0x000001", 0x01, false}, {"0X2", 0x02, false},
        {"0x100", 0x02, true}, {"0x10001", 0x02, true}, {"12", 0x02, true},        {"0x", 0x02, true},
        {"zz", 0x02, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        boxes.clear();
        value->setText(QString::fromLatin1(c.text));
        apply->click();
        EXPECT_EQ(Rows()[1].value, c.value);
        EXPECT_EQ(Pairs()[1].value, c.value);
        if (c.refused) {
            EXPECT_EQ(Texts(), std::vector<std::string>{std::string("Invalid register value: ") + c.text +
                                                        "\nA register holds one byte: 0x00 - 0xFF."});
        } else {
            EXPECT_EQ(Texts(), std::vector<std::string>{});
            EXPECT_EQ(list->GetRowText(1), std::string("CHANNR\t") + c.text);
            EXPECT_EQ(Channel(), static_cast<int>(c.value));
            EXPECT_EQ(Control<QLineEdit>(CRadioSettingsPnl::kChannelEditId)->text().toStdString(),
                      std::to_string(c.value));
        }
    }

    // Another register: the channel stays; an empty value edit applies nothing.
    list->SelectRow(0);
    panel->SelectRegister();
    EXPECT_EQ(description->toPlainText().toStdString(), "Frequency synthesizer");
    value->setText(QStringLiteral("0x44"));
    apply->click();
    EXPECT_EQ(Rows()[0].value, 0x44u);
    EXPECT_EQ(Channel(), 2);
    value->clear();
    apply->click();
    EXPECT_EQ(Rows()[0].value, 0x44u);

    // A new file clears the edits and the current register.
    ASSERT_EQ(Load("next.prs", "N|0x01|0x02\n"), 1);
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_TRUE(value->text().isEmpty());
    value->setText(QStringLiteral("0x03"));
    apply->click();
    EXPECT_EQ(Rows()[0].value, 0x02u);
}

// ---------------------------------------------------------------- device type

TEST_F(RegisterPanel, TheDeviceTypeGivesTheChipAndWhetherTheChannelCanBeTyped)
{
    Open();
    auto* edit = Control<QLineEdit>(CRadioSettingsPnl::kChannelEditId);
    const struct {
        const char* device;
        uint16_t chip;
        bool channelEdit;
    } cases[] = {
        {"QZ3A5C", 0x3A5C, false}, {"QZ3A5D", 0x3A5D, false}, {"QZ3A5F", 0x3A5F, false}, {"QZ3B90", 0x3B90, false},
        {"QZ3B91", 0x3B91, false}, {"QZ3B92", 0x3B92, false}, {"QZ3B93", 0x3B93, false}, {"QZ3BC6", 0x3BC6, false},
        {"QZ3A02", 0x3A02, true},  {"QZ3A0V", 0x3A0B, true},  {"QZ3A3V", 0x3A0C, true},  {"QZ6F1C", 0x6F1C, true},
        {"QZ3B94", 0x3B94, true},  {"QZE61", 0x0E61, true},   {"Board QZ3A5E x", 0x3A5E, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        EXPECT_EQ(panel->SetRfDeviceType(c.device), 1);
        EXPECT_EQ(panel->DeviceChip(), c.chip);
        EXPECT_EQ(edit->isEnabled(), c.channelEdit);
    }
    EXPECT_EQ(Texts(), std::vector<std::string>{});
    for (const char* bad : {"abc", "QZ", "QZzz", ""}) {
        boxes.clear();
        EXPECT_EQ(panel->SetRfDeviceType(bad), 0);
        EXPECT_EQ(Texts(), std::vector<std::string>{std::string("Invalid RF device type: ") + bad});
        EXPECT_EQ(panel->DeviceChip(), 0x3A5E); // unchanged
    }
}

TEST_F(RegisterPanel, AFileForAnotherDeviceTypeIsLoadedWithAWarning)
{
    Open();
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A5D"), 1);
    ASSERT_EQ(Load("for3a5c.prs", "$!RF_DEVICE=QZ3A5C\nSYNC3|0x0004|0x93\n"), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Warning: register settings are valid for QZ3A5C exclusively");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(Rows().front(), (Reg{"SYNC3", 4, 0x93}));

    boxes.clear();
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A5C"), 1);
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A02"), 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: register settings are valid for QZ3A5C exclusively"});
    boxes.clear();
    ASSERT_EQ(Load("nodevice.prs", "SYNC3|0x0004|0x93\n"), 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{});
}

// ---------------------------------------------------------------- the set at start

TEST_F(RegisterPanel, NothingLoadedGivesNoRegisterList)
{
    Open();
    const int sentinel = 0;
    const int* list = &sentinel;
    uint16_t count = 7;
    EXPECT_EQ(panel->GetRegisterSettings(0x3A5C, &list, &count), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(count, 0);

    // A plug-in folder without register files: still nothing to hand out.
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Tolvane/Tolvane.so", "", "QZ6F1C"), 1);
    EXPECT_TRUE(panel->ListedFiles().empty());
    EXPECT_EQ(panel->GetRegisterSettings(0x6F1C, &list, &count), 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(RegisterPanel, AStartOnAnotherChipSwitchesToItsDefaultFileOrWarnsOnce)
{
    Open();
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Generic/Halyard.so", "", "QZ3A5C"), 1);
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A5C"), 1);
    ASSERT_EQ(Texts(), std::vector<std::string>{});
    const std::string generic = kProtocols + "/Generic/";
    EXPECT_EQ(panel->CurrentRegisterFile(), generic + "QZ3A5C_default.prs");

    const int* list = nullptr;
    uint16_t count = 0;
    ASSERT_EQ(panel->GetRegisterSettings(0x3A5C, &list, &count), 1);
    EXPECT_EQ(panel->RegisterChip(), 0x3A5C);
    TabRadioSettings shipped(kProtocols + "/Generic", "QZ3A5C_default.prs");
    ASSERT_EQ(shipped.Read(), 1);
    EXPECT_EQ(count, 2 * shipped.Count()); // its PKT_CFG1 and RFEND_CFG1 are already set
    EXPECT_EQ(list, panel->Registers().List());

    // Another chip with a default file: that file, selected in the list.
    ASSERT_EQ(panel->GetRegisterSettings(0x3A02, &list, &count), 1);
    EXPECT_EQ(panel->CurrentRegisterFile(), generic + "QZ3A02_default.prs");
    EXPECT_EQ(Control<QListWidget>(CRadioSettingsPnl::kFileListId)->currentItem()->text().toStdString(),
              "QZ3A02_default");
    EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: register settings are valid for QZ3A02 exclusively"});
    EXPECT_EQ(panel->RegisterChip(), 0x3A02);

    // A chip without one: the warning once, and the set in effect.
    boxes.clear();
    const int* before = panel->Registers().List();
    ASSERT_EQ(panel->GetRegisterSettings(0x6F48, &list, &count), 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{kDeviceChanged});
    EXPECT_EQ(list, before);
    ASSERT_EQ(panel->GetRegisterSettings(0x6F48, &list, &count), 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{kDeviceChanged});
    EXPECT_EQ(panel->CurrentRegisterFile(), generic + "QZ3A02_default.prs");
}

// ---------------------------------------------------------------- the default files

struct DefaultCase {
    std::string pluginPath;
    std::string folder; // the protocol folder it stands for
};

TEST_F(RegisterPanel, TheShippedFoldersAreListedWhenTheDeviceHasNoFolderOfItsOwn)
{
    const std::vector<DefaultCase> cases = {
        {kProtocols + "/Generic/Halyard.so", kProtocols + "/Generic"},
        {kProtocols + "/Fennet/Fennetd.so", kProtocols + "/Fennet"},
        {kProtocols + "\\Fennet\\Fennetd.so", kProtocols + "/Fennet"},
        {"../Protocols/Generic/Halyard.so", kProgramFolder + "../Protocols/Generic"},
        {"x\\General\\..\\Protocols\\Fennet\\Fennetd.so", kProgramFolder + "../Protocols/Fennet"},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(c.pluginPath);
        SetUp(); // fresh settings
        boxes.clear();
        Open();
        ASSERT_EQ(panel->LoadDefaultRegisterFiles(c.pluginPath, "", "QZ3A5C"), 1);
        EXPECT_TRUE(panel->UsesShippedFiles());
        EXPECT_EQ(panel->ListedFiles(), ShippedRegisterFiles(c.folder));
        EXPECT_EQ(panel->CurrentRegisterFile(), c.folder + "/QZ3A5C_default.prs");
        EXPECT_EQ(Control<QListWidget>(CRadioSettingsPnl::kFileListId)->currentItem()->text().toStdString(),
                  "QZ3A5C_default");
        EXPECT_EQ(StoredPath(), c.folder + "/QZ3A5C_default.prs");
        EXPECT_GT(panel->Registers().Count(), 0);
        EXPECT_EQ(panel->FileDeviceType(), "QZ3A5C");

        TabDefRadioFile table(c.folder);
        ASSERT_EQ(table.Read(), 1);
        ASSERT_EQ(panel->DefaultFiles().size(), static_cast<size_t>(table.Count()));
        for (int i = 0; i < table.Count(); ++i)
            EXPECT_STREQ(panel->DefaultFiles()[static_cast<size_t>(i)].fileName, table.At(i).FILE_NAME);
        EXPECT_EQ(Texts(), std::vector<std::string>{});

        // The next start begins with the file loaded last, from the settings.
        panel->SetRfDeviceType("QZ3A5C");
        const int* list = nullptr;
        uint16_t count = 0;
        ASSERT_EQ(panel->GetRegisterSettings(0x3A5D, &list, &count), 1);
        EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: register settings are valid for QZ3A5D exclusively"});
        EXPECT_EQ(StoredChip(), 0x3A5Cu); // the device chip it was loaded for
        Open();
        ASSERT_EQ(panel->LoadDefaultRegisterFiles(c.pluginPath, "", "QZ3A5D"), 1);
        EXPECT_FALSE(panel->UsesShippedFiles());
        EXPECT_EQ(panel->CurrentRegisterFile(), c.folder + "/QZ3A5D_default.prs");
        EXPECT_EQ(panel->RegisterChip(), 0x3A5C);
        panel.reset();
    }

    // The defaults appended again by a second call; the first row of a chip wins.
    SetUp();
    Open();
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Generic/Halyard.so", "", "QZ3A5C"), 1);
    const size_t once = panel->DefaultFiles().size();
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Generic/Halyard.so", "", "QZ3A5C"), 1);
    EXPECT_EQ(panel->DefaultFiles().size(), 2 * once);
}

TEST_F(RegisterPanel, TheConfigFileAndTheDevicesOwnFolderComeBeforeTheShippedFiles)
{
    Open();
    const std::string config = folder.Write("mine/b.prs", "B|0x01|0x02\n");
    folder.Write("mine/a.prs", "A|0x01|0x02\n");
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Generic/Halyard.so", config, "QZ3A5C"), 1);
    EXPECT_FALSE(panel->UsesShippedFiles());
    EXPECT_EQ(panel->ListedFiles(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(panel->CurrentRegisterFile(), config);
    EXPECT_EQ(Rows(), (std::vector<Reg>{{"B", 1, 2}}));

    // Without a folder in the plug-in path, or without its default-file table: refused,
    // without a message of the panel.
    Open();
    EXPECT_EQ(panel->LoadDefaultRegisterFiles("Halyard.so", "", "QZ3A5C"), 0);
    EXPECT_TRUE(panel->ListedFiles().empty());
    boxes.clear();
    EXPECT_EQ(panel->LoadDefaultRegisterFiles(folder / "noplt/Plugin.so", "", "QZ3A5C"), 0);
    EXPECT_EQ(panel->CurrentRegisterFile(), config); // the file loaded last, from the settings
    EXPECT_EQ(Texts(), std::vector<std::string>{});
}

// ---------------------------------------------------------------- look

TEST_F(RegisterPanel, ControlsTipsAndLayout)
{
    Open();
    const struct {
        int id;
        const char* text;
    } labels[] = {
        {CRadioSettingsPnl::kChannelLabelId, "Select Channel:"},
        {CRadioSettingsPnl::kNameLabelId, "Register:"},
        {CRadioSettingsPnl::kValueLabelId, "Value:"},
    };
    for (const auto& l : labels)
        EXPECT_EQ(Control<QLabel>(l.id)->text().toStdString(), l.text);
    const struct {
        int id;
        const char* title;
    } groups[] = {
        {CRadioSettingsPnl::kSettingsGroupId, "Register settings"},
        {CRadioSettingsPnl::kFileGroupId, "Select File"},
        {CRadioSettingsPnl::kRegistersGroupId, "Registers"},
        {CRadioSettingsPnl::kUpdateGroupId, "Register Update"},
    };
    for (const auto& g : groups)
        EXPECT_EQ(Control<QGroupBox>(g.id)->title().toStdString(), g.title);
    EXPECT_EQ(Control<QPushButton>(CRadioSettingsPnl::kBrowseId)->text().toStdString(), "Browse...");
    EXPECT_EQ(Control<QPushButton>(CRadioSettingsPnl::kWriteId)->text().toStdString(), "Write to file");
    EXPECT_EQ(Control<QPushButton>(CRadioSettingsPnl::kApplyId)->text().toStdString(), "Apply");
    CListCtrlEx* list = panel->RegisterList();
    ASSERT_EQ(list->GetColumnCount(), 2);
    EXPECT_EQ(list->GetColumn(0).name, "Name");
    EXPECT_EQ(list->GetColumn(0).width, 90);
    EXPECT_EQ(list->GetColumn(1).name, "Value");
    EXPECT_EQ(list->GetColumn(1).width, 70);

    const struct {
        QWidget* control;
        const char* tip;
    } tips[] = {
        {Control<QListWidget>(CRadioSettingsPnl::kFileListId),
         "List of all files with extension \".prs\" in current directory of register files.\r\nClick on required "
         "file.\r\nThe registers will be shown in the column to the right."},
        {Control<QPushButton>(CRadioSettingsPnl::kBrowseId), "Browse directories to find required register setting files."},
        {list, "List of all registers for selected register settings.\r\n Click on register to do an update and to "
               "see the descirption in the right column."},
        {Control<QPushButton>(CRadioSettingsPnl::kWriteId), "The register values can be saved to file."},
        {Control<QLineEdit>(CRadioSettingsPnl::kNameEditId), "Name of current register that can be updated."},
        {Control<QLineEdit>(CRadioSettingsPnl::kValueEditId), "Value of current register that can be updated."},
        {Control<QPlainTextEdit>(CRadioSettingsPnl::kDescriptionId), "Description of current register."},
        {Control<QPushButton>(CRadioSettingsPnl::kApplyId), "Apply current register value."},
        {Control<QGroupBox>(CRadioSettingsPnl::kRegistersGroupId),
         "List of all registers for selected register settings.\r\nClick on register to select register for "
         "update.\r\nUpdate register in column to the right."},
    };
    for (const auto& t : tips)
        EXPECT_EQ(panel->Tips().TextOf(t.control).toStdString(), t.tip) << t.control->objectName().toStdString();

    // Wide: groups of 180 pixels, 10 apart; narrow: a third of the rest each.
    for (const auto& size : {QSize(980, 160), QSize(600, 160)}) {
        SCOPED_TRACE(size.width());
        panel->resize(size);
        QCoreApplication::processEvents();
        const int w = size.width() - 100;
        const int expected = w > 580 ? 180 : (w - 40) / 3;
        const QRect outer = Control<QGroupBox>(CRadioSettingsPnl::kSettingsGroupId)->geometry();
        EXPECT_EQ(outer, QRect(100, 0, w, 160));
        int x = 110;
        for (int id : {CRadioSettingsPnl::kFileGroupId, CRadioSettingsPnl::kRegistersGroupId,
                       CRadioSettingsPnl::kUpdateGroupId}) {
            const QRect g = Control<QGroupBox>(id)->geometry();
            EXPECT_EQ(g.x(), x);
            EXPECT_EQ(g.width(), expected);
            EXPECT_TRUE(outer.contains(g));
            x += expected + 10;
        }
        const QRect edit = Control<QLineEdit>(CRadioSettingsPnl::kChannelEditId)->geometry();
        EXPECT_EQ(edit.x(), 10);
        EXPECT_EQ(edit.width(), 80);
        const auto inside = [&](int group, QWidget* control) {
            EXPECT_TRUE(Control<QGroupBox>(group)->geometry().contains(control->geometry()))
                << control->objectName().toStdString();
        };
        inside(CRadioSettingsPnl::kFileGroupId, Control<QListWidget>(CRadioSettingsPnl::kFileListId));
        inside(CRadioSettingsPnl::kFileGroupId, Control<QPushButton>(CRadioSettingsPnl::kBrowseId));
        inside(CRadioSettingsPnl::kRegistersGroupId, list);
        inside(CRadioSettingsPnl::kRegistersGroupId, Control<QPushButton>(CRadioSettingsPnl::kWriteId));
        for (int id : {CRadioSettingsPnl::kNameEditId, CRadioSettingsPnl::kValueEditId})
            inside(CRadioSettingsPnl::kUpdateGroupId, Control<QLineEdit>(id));
        inside(CRadioSettingsPnl::kUpdateGroupId, Control<QPlainTextEdit>(CRadioSettingsPnl::kDescriptionId));
        inside(CRadioSettingsPnl::kUpdateGroupId, Control<QPushButton>(CRadioSettingsPnl::kApplyId));
        const QRect name = Control<QLineEdit>(CRadioSettingsPnl::kNameEditId)->geometry();
        const QRect value = Control<QLineEdit>(CRadioSettingsPnl::kValueEditId)->geometry();
        EXPECT_LT(name.right(), value.left());
        EXPECT_LT(Control<QLabel>(CRadioSettingsPnl::kNameLabelId)->geometry().bottom(), name.top());
        EXPECT_LT(Control<QPlainTextEdit>(CRadioSettingsPnl::kDescriptionId)->geometry().bottom(),
                  Control<QPushButton>(CRadioSettingsPnl::kApplyId)->geometry().top());
    }
}

TEST_F(RegisterPanel, Screen)
{
    Open();
    ASSERT_EQ(panel->LoadDefaultRegisterFiles(kProtocols + "/Generic/Halyard.so", "", "QZ3A02"), 1);
    ASSERT_EQ(panel->SetRfDeviceType("QZ3A02"), 1);
    panel->RegisterList()->SelectRow(6);
    panel->SelectRegister();
    EXPECT_EQ(Texts(), std::vector<std::string>{});
    QCoreApplication::processEvents();
    SaveScreen(panel.get(), "register_panel");
}

} // namespace
