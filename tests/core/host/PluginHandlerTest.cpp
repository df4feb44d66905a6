// The plug-in host against plug-ins loaded for real: Halyard from the build tree and small
// fixture plug-ins that export chosen parts of the interface.
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/host/PluginHandler.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/core/host/fixtures/FixtureLog.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

const char* const kCommon =
    "[Radio_Settings]\nQZ6F1C\nQZ3A1E\n[Firmware]\n0x6F1C::USART0=a0.hex\n0x6F1C=a1.hex\n"
    "0x3A1E::USART0=b0.hex\n";

const char* const kDescription =
    "Protocol_name=Fixture\nPacket_length_raw_data=64\nPacket_length_parsed_data=333\n";

// A program tree in a temporary folder: <root>/Protocols/Proto/proto.so (a link to a fixture),
// its description file and <root>/Protocols/common.plt.
struct ProtocolTree {
    TempFolder root;
    std::string plugin;
    std::string description;

    ProtocolTree(const std::string& fixture, const std::string& descriptionText,
                 const char* commonText = kCommon, const std::string& device = "")
    {
        plugin = root.Link("Protocols/Proto/proto.so", std::string(FIXTURE_DIR) + "/" + fixture + ".so");
        description = root / ("Protocols/Proto/proto" + (device.empty() ? "" : "_" + device) + ".plt");
        root.Write(description.substr(root.Path().string().size() + 1), descriptionText);
        if (commonText != nullptr)
            root.Write("Protocols/common.plt", commonText);
    }
};

// Loads the fixture ahead of the handler, which then shares this copy, and clears its log.
FixtureLog& FreshLog(const std::string& fixture)
{
    static platform::DynamicLibrary peek;
    if (!peek.Load(std::string(FIXTURE_DIR) + "/" + fixture + ".so"))
        throw std::runtime_error(peek.ErrorText());
    FixtureLog& log = *peek.Function<FixtureGetLogFn>("FixtureGetLog")();
    log = FixtureLog{};
    return log;
}

} // namespace

TEST(PluginHandlerChips, ChipIdFromName)
{
    struct Case {
        const char* name;
        uint32_t code;
    };
    for (Case c : {Case{"QZ6F1C", 0x6F1C}, Case{"QZ6E7B", 0x6E7A}, Case{"QZ3A0V", 0x3A0B},
                   Case{"QZ3A3V", 0x3A0C}, Case{"QZE61", 0x0E61}, Case{"QZ3B93", 0x3B93},
                   Case{"", 0}, Case{"qz6f1c", 0}, Case{"QZ6F1C ", 0}, Case{"QZ6F1", 0},
                   Case{"QZ3BC6", 0}})
        EXPECT_EQ(PluginHandler::ChipIdFromName(c.name), c.code) << '"' << c.name << '"';
}

namespace {

struct PathCase {
    const char* name;
    const char* plugin;
    const char* device;
    bool found;
    const char* description;
    const char* common;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name;
}

class DescriptionPaths : public ::testing::TestWithParam<PathCase> {};

} // namespace

TEST_P(DescriptionPaths, FromPluginPath)
{
    const PathCase& c = GetParam();
    std::string description = "<unset>";
    ASSERT_EQ(PluginHandler::DescriptionPath(c.plugin, c.device, description), c.found);
    if (c.found) {
        EXPECT_EQ(description, c.description);
        EXPECT_EQ(PluginHandler::CommonTablePath(description), c.common);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DescriptionPaths,
    ::testing::Values(
        PathCase{"device_suffix", "x\\proto\\proto.so", "QZ6F1C", true, "x\\proto\\proto_QZ6F1C.plt",
                 "x/common.plt"},
        PathCase{"no_device", "x\\proto\\proto.so", "", true, "x\\proto\\proto.plt", "x/common.plt"},
        PathCase{"absolute_linux_path", "/opt/pelagor/Protocols/Generic/Halyard.so", "", true,
                 "/opt/pelagor/Protocols/Generic/Halyard.plt", "/opt/pelagor/Protocols/common.plt"},
        PathCase{"relative_to_program", "../Protocols/Generic/Halyard.so", "QZ3A1E", true,
                 "../Protocols/Generic/Halyard_QZ3A1E.plt", "../Protocols/common.plt"},
        PathCase{"mixed_separators", "..\\Protocols/Generic\\Halyard.so", "", true,
                 "..\\Protocols/Generic\\Halyard.plt", "..\\Protocols/common.plt"},
        PathCase{"so_twice_loses_the_first", "a/b.so.d/c.so", "", true, "a/b.d/c.so.plt", "a/common.plt"},
        PathCase{"no_folder", "proto.so", "", true, "proto.plt", "/common.plt"},
        PathCase{"upper_case_suffix", "x/proto/proto.SO", "", false, "", ""},
        PathCase{"windows_suffix", "x/proto/proto.dll", "", false, "", ""},
        PathCase{"empty", "", "", false, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PluginHandlerLoad, RealHalyardFromTheBuildTree)
{
    MessageBoxRecorder recorder;
    PluginHandler host;
    ASSERT_EQ(host.Load(HALYARD_PATH, ""), 1) << host.LoadErrorText();
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_EQ(host.ProtocolName(), "Generic");
    EXPECT_EQ(host.RawLength(), 271);
    EXPECT_EQ(host.ParsedLength(), 1280);
    EXPECT_EQ(host.HexPageSize(), 11);
    EXPECT_TRUE(host.ProtocolVersions().empty());
    EXPECT_TRUE(host.HasSetPacketLength());
    EXPECT_FALSE(host.HasSetProtocolVersion());
    EXPECT_TRUE(host.HasRadioSettings("QZ6F1C"));
    EXPECT_FALSE(host.HasRadioSettings("QZ6F86"));
    EXPECT_EQ(host.GetFirmwareFile(0x6F1C, 0), "sniffer_fw_qz6f1c_usart0.hex");
    EXPECT_EQ(host.GetFirmwareFile(0x6F1C, 1), "sniffer_fw_qz6f1c.hex");
    EXPECT_EQ(host.GetFirmwareFile(0x6F48, 1), "");

    // The shipped lengths hold the largest frame with every field at its longest text:
    // a 255-byte payload, the largest packet number and 20-digit time distances.
    PARSED_DATA reset{};
    std::vector<char> fields(host.ParsedLength());
    reset.fieldBuffer = fields.data();
    host.ParsePacket(testsupport::MakeGenericRecord(1, 0, {0x01}, 0, 0x80).data(), &reset, 1.0, 0);
    auto record = testsupport::MakeGenericRecord(0xFFFFFFFF, 0x7FFFFFFFFFFFFFFFull,
                                                 std::vector<uint8_t>(255, 0x99), 0x80, 0x7F);
    ASSERT_LE(record.size(), host.RawLength());
    PARSED_DATA out{};
    out.fieldBuffer = fields.data();
    host.ParsePacket(record.data(), &out, -1.0, 10 + 257);
    EXPECT_EQ(out.status, PARSE_OK);
    EXPECT_EQ(out.fieldCount, 9);
    EXPECT_LE(out.bytesUsed, host.ParsedLength());
}

TEST(PluginHandlerLoad, EveryExportBoundAndWrapped)
{
    MessageBoxRecorder recorder;
    ProtocolTree tree("FullPlugin", std::string(kDescription) + "[Protocol_versions]\nV1\nV2\n");
    FixtureLog& log = FreshLog("FullPlugin");
    PluginHandler host;
    ASSERT_EQ(host.Load(tree.plugin.c_str(), ""), 1) << host.LoadErrorText();
    EXPECT_TRUE(recorder.Texts().empty());

    EXPECT_EQ(log.setPacketLength, 1);
    EXPECT_EQ(log.packetLength, 333);
    EXPECT_EQ(log.callsBeforePacketLength, 0);
    EXPECT_EQ(host.ProtocolVersions(), (std::vector<std::string>{"V1", "V2"}));
    EXPECT_TRUE(host.AddressBookSupported());
    EXPECT_TRUE(host.HasAutoRegister() && host.HasGetNode() && host.HasSetNode() &&
                host.HasRemoveAllNodes() && host.HasRemoveNode() && host.HasMoveNodeDown() &&
                host.HasMoveNodeUp() && host.HasSetProtocolVersion());

    PARSED_DATA out{};
    EXPECT_EQ(host.ParsePacket(nullptr, &out, 1.0, 23), 1);
    EXPECT_EQ(out.status, 77);
    EXPECT_EQ(out.frameLength, 23);
    host.SetAddrBookAutoRegister(1);
    EXPECT_EQ(log.autoRegister, 1);
    EXPECT_EQ(host.GetPendingRec(nullptr), 7);
    EXPECT_EQ(host.GetNodeAdrB(4, nullptr), 8);
    EXPECT_EQ(host.SetNodeAdrB(nullptr), 5);
    EXPECT_EQ(host.RemoveAllNodesAddrBook(), 42);
    EXPECT_EQ(host.RemoveNodeAdrB(3), 4);
    EXPECT_EQ(host.MoveNodeDownAdrB(3), 13);
    EXPECT_EQ(host.MoveNodeUpAdrB(3), 23);
    // The export's own result (99) is dropped.
    EXPECT_EQ(host.SetProtocolVersion(1), 1);
    EXPECT_EQ(log.protocolVersion, 1);

    EXPECT_EQ(host.SetChipType("QZ6E7B"), 1);
    EXPECT_EQ(log.chipCode, 0x6E7A);
    EXPECT_EQ(host.SetChipType("QZ9999"), 0);
    EXPECT_EQ(host.SetChipType(""), 0);
    EXPECT_EQ(log.setChipType, 1);

    const char* const* names = host.GetFieldIndexTable();
    ASSERT_NE(names, nullptr);
    EXPECT_STREQ(names[1], "FI_B");

    uint8_t key[17] = {};
    EXPECT_EQ(host.SetBleKeys(key, 15, 1), 0);
    EXPECT_EQ(host.SetBleKeys(key, 17, 1), 0);
    EXPECT_EQ(log.setBleKeys, 0);
    EXPECT_EQ(host.SetBleKeys(key, 16, 123456), 1);
    EXPECT_EQ(log.bleKey, key);
    EXPECT_EQ(log.passKey, 123456);
    auto callback = [](const uint8_t*) {};
    host.SetBleLtkUpdateCb(callback);
    EXPECT_EQ(log.ltkCallback, static_cast<BleLtkUpdateCallback>(callback));
}

TEST(PluginHandlerLoad, NoVersionsMeansNoSetProtocolVersion)
{
    ProtocolTree tree("FullPlugin", kDescription);
    PluginHandler host;
    ASSERT_EQ(host.Load(tree.plugin.c_str(), ""), 1);
    EXPECT_FALSE(host.HasSetProtocolVersion());
    EXPECT_EQ(host.SetProtocolVersion(0), 0);
}

TEST(PluginHandlerLoad, WithoutGetPendingRecNoBookExportAndNoChip)
{
    ProtocolTree tree("BooklessPlugin", kDescription);
    FixtureLog& log = FreshLog("BooklessPlugin");
    PluginHandler host;
    ASSERT_EQ(host.Load(tree.plugin.c_str(), ""), 1);
    EXPECT_FALSE(host.AddressBookSupported());
    EXPECT_FALSE(host.HasGetNode());
    EXPECT_FALSE(host.HasAutoRegister());
    EXPECT_EQ(host.SetChipType("QZ6F1C"), 0);
    EXPECT_EQ(host.GetNodeAdrB(1, nullptr), 0);
    host.SetAddrBookAutoRegister(1);
    EXPECT_EQ(host.GetPendingRec(nullptr), 0);
    EXPECT_EQ(host.RemoveAllNodesAddrBook(), 0);
    EXPECT_EQ(host.RemoveNodeAdrB(0), 0);
    EXPECT_EQ(host.MoveNodeDownAdrB(0), 0);
    EXPECT_EQ(host.MoveNodeUpAdrB(1), 0);
    EXPECT_EQ(host.SetNodeAdrB(nullptr), 0);
    EXPECT_EQ(host.GetFieldIndexTable(), nullptr);
    EXPECT_EQ(host.SetBleKeys(nullptr, 16, 0), 0);
    EXPECT_EQ(log.setChipType + log.getNodeAdrB + log.setAddrBookAutoRegister, 0);
}

TEST(PluginHandlerLoad, WithoutParsePacketFails)
{
    ProtocolTree tree("NoParsePacketPlugin", kDescription);
    FixtureLog& log = FreshLog("NoParsePacketPlugin");
    PluginHandler host;
    EXPECT_EQ(host.Load(tree.plugin.c_str(), ""), 0);
    EXPECT_FALSE(host.AddressBookSupported());
    EXPECT_FALSE(host.HasSetPacketLength());
    EXPECT_EQ(host.ParsePacket(nullptr, nullptr, 1.0, 0), 0);
    EXPECT_EQ(log.setPacketLength, 0);
}

TEST(PluginHandlerLoad, LibraryThatIsNoLibrary)
{
    TempFolder root;
    std::string plugin = root.Write("Protocols/P/p.so", "not a shared library");
    root.Write("Protocols/P/p.plt", kDescription);
    root.Write("Protocols/common.plt", kCommon);
    PluginHandler host;
    EXPECT_EQ(host.Load(plugin.c_str(), ""), 0);
    EXPECT_FALSE(host.LoadErrorText().empty());
}

TEST(PluginHandlerLoad, DeviceSuffixWithoutFallback)
{
    MessageBoxRecorder recorder;
    ProtocolTree tree("FullPlugin", kDescription, kCommon, "QZ6F1C");
    PluginHandler withDevice;
    EXPECT_EQ(withDevice.Load(tree.plugin.c_str(), "QZ6F1C"), 1);
    PluginHandler other;
    EXPECT_EQ(other.Load(tree.plugin.c_str(), "QZ3A1E"), 0);
    EXPECT_EQ(recorder.Texts(),
              std::vector<std::string>{"Not able to open table: " + tree.root / "Protocols/Proto/proto_QZ3A1E.plt"});
}

TEST(PluginHandlerLoad, BackslashPluginPath)
{
    ProtocolTree tree("FullPlugin", kDescription);
    std::string windowsStyle = tree.root.Path().string() + "\\Protocols\\Proto\\proto.so";
    PluginHandler host;
    EXPECT_EQ(host.Load(windowsStyle.c_str(), ""), 1) << host.LoadErrorText();
    EXPECT_EQ(host.GetFirmwareFile(0x3A1E, 0), "b0.hex");
}

namespace {

struct DescriptionCase {
    const char* name;
    std::string description;
    const char* common; // nullptr: no common.plt
    int result;
    std::vector<std::string> messages; // "%s" stands for the description path
    uint16_t raw;
};

void PrintTo(const DescriptionCase& c, std::ostream* os)
{
    *os << c.name;
}

class DescriptionMessages : public ::testing::TestWithParam<DescriptionCase> {};

const char* const kNoName =
    "Protocol name not found in file: %s.\nThe following tag should be present: Protocol_name";
const char* const kNoRaw =
    "Length of raw data not given in file: %s\nThe following tag should be present: Packet_length_raw_data";
const char* const kNoParsed =
    "Length of Parsed data not given in file: %s\nThe following tag should be present: Packet_length_parsed_data";

} // namespace

TEST_P(DescriptionMessages, Messages)
{
    const DescriptionCase& c = GetParam();
    MessageBoxRecorder recorder;
    ProtocolTree tree("FullPlugin", c.description, c.common);
    PluginHandler host;
    EXPECT_EQ(host.Load(tree.plugin.c_str(), ""), c.result);
    std::vector<std::string> expected;
    for (std::string m : c.messages) {
        size_t at = m.find("%s");
        if (at != std::string::npos)
            m.replace(at, 2, tree.description);
        size_t common = m.find("<common>");
        if (common != std::string::npos)
            m.replace(common, 8, tree.root / "Protocols/common.plt");
        expected.push_back(m);
    }
    EXPECT_EQ(recorder.Texts(), expected);
    for (const auto& request : recorder.Requests())
        EXPECT_EQ(request.icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(host.RawLength(), c.raw);
}

INSTANTIATE_TEST_SUITE_P(
    Description, DescriptionMessages,
    ::testing::Values(
        DescriptionCase{"complete", kDescription, kCommon, 1, {}, 64},
        DescriptionCase{"no_protocol_name_still_loads",
                        "Packet_length_raw_data=64\nPacket_length_parsed_data=333\n", kCommon, 1,
                        {kNoName}, 64},
        DescriptionCase{"empty_protocol_name_still_loads",
                        "Protocol_name=\nPacket_length_raw_data=64\nPacket_length_parsed_data=333\n",
                        kCommon, 1, {kNoName}, 64},
        DescriptionCase{"raw_without_parsed", "Protocol_name=P\nPacket_length_raw_data=64\n", kCommon,
                        0, {kNoParsed}, 64},
        DescriptionCase{"no_lengths", "Protocol_name=P\n", kCommon, 0, {kNoRaw}, 0},
        DescriptionCase{"raw_of_letters", "Protocol_name=P\nPacket_length_raw_data=abc\n"
                                          "Packet_length_parsed_data=333\n",
                        kCommon, 0, {kNoRaw}, 0},
        DescriptionCase{"blank_before_equals_is_another_key",
                        "Protocol_name=P\nPacket_length_raw_data =64\nPacket_length_parsed_data=333\n",
                        kCommon, 0, {kNoRaw}, 0},
        DescriptionCase{"raw_modulo_65536", "Protocol_name=P\nPacket_length_raw_data=70000\n"
                                            "Packet_length_parsed_data=333\n",
                        kCommon, 1, {}, 4464},
        DescriptionCase{"raw_with_leading_blanks_and_tail", "Protocol_name=P\nPacket_length_raw_data=  72 bytes\n"
                                                            "Packet_length_parsed_data=333\n",
                        kCommon, 1, {}, 72},
        DescriptionCase{"only_comments_is_empty", "# nothing\n\n", kCommon, 0, {}, 0},
        DescriptionCase{"no_common_table", kDescription, nullptr, 0,
                        {"Not able to open table: <common>"}, 64},
        DescriptionCase{"empty_common_table", kDescription, "# empty\n", 0, {}, 64}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PluginHandlerLoad, MissingDescriptionLoadsNothing)
{
    MessageBoxRecorder recorder;
    TempFolder root;
    std::string plugin = root.Link("P/p.so", std::string(FIXTURE_DIR) + "/FullPlugin.so");
    PluginHandler host;
    EXPECT_EQ(host.Load(plugin.c_str(), ""), 0);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Not able to open table: " + root / "P/p.plt"});
    EXPECT_EQ(host.ParsePacket(nullptr, nullptr, 1.0, 0), 0);
}

TEST(PluginHandlerLoad, PathWithoutLibrarySuffixFailsSilently)
{
    MessageBoxRecorder recorder;
    PluginHandler host;
    EXPECT_EQ(host.Load("/some/where/proto.DLL", ""), 0);
    EXPECT_TRUE(recorder.Texts().empty());
}

TEST(PluginHandlerFirmware, ListedOnlyForTheOtherUsartChoice)
{
    ProtocolTree tree("FullPlugin", kDescription);
    PluginHandler host;
    ASSERT_EQ(host.Load(tree.plugin.c_str(), ""), 1);
    EXPECT_EQ(host.GetFirmwareFile(0x3A1E, 1), "");
    EXPECT_EQ(host.GetFirmwareFile(0x3A1E, 0), "b0.hex");
    EXPECT_EQ(host.GetFirmwareFile(0x6F1C, 0), "a0.hex");
    EXPECT_EQ(host.GetFirmwareFile(0x6F1C, 1), "a1.hex");
    EXPECT_TRUE(host.HasRadioSettings("QZ3A1E"));
    EXPECT_FALSE(host.HasRadioSettings("QZ3A1E "));
    EXPECT_FALSE(PluginHandler().HasRadioSettings(""));
}
