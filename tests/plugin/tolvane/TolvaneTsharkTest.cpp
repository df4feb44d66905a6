// Cross-check against an independent decoder: a few hundred generated frames of every kind
// are written to a capture file (link type 195, 802.15.4 with FCS) and read by tshark; frame
// type, sequence number, PAN ids, addresses, commands, auxiliary security headers and beacon
// lists must agree with what the plug-in decodes from the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/plugin/tolvane/TolvaneTestPlugin.h"
#include "tests/support/PcapWriter.h"
#include "tests/support/TempFolder.h"

using namespace testsupport;

namespace {

constexpr int kFrames = 400;

// Valid frames of the 2003 and 2006 formats: beacons with GTS and pending lists, data
// frames of every addressing combination, acknowledgements, the nine MAC commands, and
// secured frames with each key identifier mode.
class FrameGenerator {
public:
    std::vector<uint8_t> Next()
    {
        const unsigned kind = Below(100);
        if (kind < 15)
            return Beacon();
        if (kind < 50)
            return Data();
        if (kind < 65)
            return FrameBytes().U16(FrameControl{.type = 2, .pending = Chance()}.Value()).U8(Byte());
        return Command();
    }

private:
    unsigned Below(unsigned n) { return static_cast<unsigned>(random_() % n); }
    bool Chance() { return Below(2) == 1; }
    uint8_t Byte() { return static_cast<uint8_t>(random_()); }
    uint16_t Word() { return static_cast<uint16_t>(random_()); }
    uint64_t Long() { return uint64_t{random_()} << 32 | random_(); }

    void Addresses(FrameBytes& mac, const FrameControl& fc)
    {
        if (fc.destinationMode != 0) {
            mac.U16(Word());
            fc.destinationMode == 2 ? mac.U16(Word()) : mac.U64(Long());
        }
        if (fc.sourceMode != 0) {
            if (!fc.panIdCompression)
                mac.U16(Word());
            fc.sourceMode == 2 ? mac.U16(Word()) : mac.U64(Long());
        }
    }

    void AuxiliaryHeader(FrameBytes& mac)
    {
        const int keyIdMode = static_cast<int>(Below(4));
        mac.U8(static_cast<uint8_t>(Below(8) | keyIdMode << 3)).U32(static_cast<uint32_t>(random_()));
        if (keyIdMode == 2)
            mac.U32(static_cast<uint32_t>(random_()));
        else if (keyIdMode == 3)
            mac.U64(Long());
        if (keyIdMode != 0)
            mac.U8(Byte());
    }

    // Addressing modes 2 or 3 for both ends, compression half the time.
    FrameControl Control(int type, int destinationMode, int sourceMode, bool security)
    {
        FrameControl fc{.type = type, .security = security, .pending = Chance(), .ackRequest = Chance(),
                        .destinationMode = destinationMode, .version = security ? 1 : static_cast<int>(Below(2)),
                        .sourceMode = sourceMode};
        fc.panIdCompression = destinationMode != 0 && sourceMode != 0 && Chance();
        return fc;
    }

    std::vector<uint8_t> Beacon()
    {
        const FrameControl fc = Control(0, 0, 2 + static_cast<int>(Below(2)), false);
        FrameBytes mac;
        mac.U16(fc.Value()).U8(Byte());
        Addresses(mac, fc);
        mac.U16(Word());
        const int gts = static_cast<int>(Below(3));
        mac.U8(static_cast<uint8_t>(gts | (Chance() ? 0x80 : 0)));
        if (gts > 0) {
            mac.U8(static_cast<uint8_t>(Below(1u << gts)));
            for (int i = 0; i < gts; ++i)
                mac.U16(Word()).U8(Byte());
        }
        const int shorts = static_cast<int>(Below(4));
        const int extendeds = static_cast<int>(Below(3));
        mac.U8(static_cast<uint8_t>(shorts | extendeds << 4));
        for (int i = 0; i < shorts; ++i)
            mac.U16(Word());
        for (int i = 0; i < extendeds; ++i)
            mac.U64(Long());
        mac.Fill(Below(8), Byte());
        return mac;
    }

    std::vector<uint8_t> Data()
    {
        static const int kModes[][2] = {{2, 2}, {2, 3}, {3, 2}, {3, 3}, {0, 2}, {0, 3}, {2, 0}, {3, 0}};
        const auto& modes = kModes[Below(8)];
        const bool security = Below(5) == 0;
        const FrameControl fc = Control(1, modes[0], modes[1], security);
        FrameBytes mac;
        mac.U16(fc.Value()).U8(Byte());
        Addresses(mac, fc);
        if (security)
            AuxiliaryHeader(mac);
        // A secured payload ends with a message integrity code of up to 16 bytes.
        const size_t payload = (security ? 16 : 0) + Below(40);
        for (size_t i = 0; i < payload; ++i)
            mac.U8(Byte());
        return mac;
    }

    std::vector<uint8_t> Command()
    {
        const int id = 1 + static_cast<int>(Below(9));
        const FrameControl fc = Control(3, 2 + static_cast<int>(Below(2)), 2 + static_cast<int>(Below(2)), false);
        FrameBytes mac;
        mac.U16(fc.Value()).U8(Byte());
        Addresses(mac, fc);
        mac.U8(static_cast<uint8_t>(id));
        switch (id) {
        case 1: // capability
        case 3: // reason
        case 9: // GTS characteristics
            mac.U8(Byte());
            break;
        case 2:
            mac.U16(Word()).U8(static_cast<uint8_t>(Below(3)));
            break;
        case 8:
            mac.U16(Word()).U16(Word()).U8(static_cast<uint8_t>(11 + Below(16))).U16(Word());
            if (fc.version == 1 && Chance())
                mac.U8(0);
            break;
        default:
            break;
        }
        return mac;
    }

    std::mt19937 random_{195};
};

void WriteCapture(const std::string& path, const std::vector<std::vector<uint8_t>>& frames)
{
    PcapWriter capture(path);
    for (size_t i = 0; i < frames.size(); ++i)
        capture.Add(frames[i], uint64_t{1000000} * i);
    ASSERT_TRUE(capture.Close());
}

const char* const kTsharkFields[] = {
    "frame.number",        "wpan.fcs_ok",       "wpan.frame_type",         "wpan.seq_no",
    "wpan.dst_pan",        "wpan.dst16",        "wpan.dst64",              "wpan.src_pan",
    "wpan.src16",          "wpan.src64",        "wpan.cmd",                "wpan.aux_sec.sec_level",
    "wpan.aux_sec.key_id_mode", "wpan.aux_sec.frame_counter", "wpan.aux_sec.key_index", "wpan.beacon_order",
    "wpan.superframe_order", "wpan.pending16",  "wpan.pending64",          "wpan.gts.address"};

using TsharkRow = std::map<std::string, std::string>;

bool HaveTshark()
{
    return std::system("tshark -v >/dev/null 2>&1") == 0;
}

std::vector<TsharkRow> RunTshark(const std::string& capture)
{
    std::string command = "tshark -r '" + capture + "' -T fields -E separator='|' -E occurrence=a -E aggregator=,";
    for (const char* field : kTsharkFields)
        command += std::string(" -e ") + field;
    command += " 2>/dev/null";
    std::vector<TsharkRow> rows;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return rows;
    std::string output;
    char chunk[4096];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe))
        output.append(chunk, n);
    pclose(pipe);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        TsharkRow row;
        std::istringstream cells(line);
        std::string cell;
        for (const char* field : kTsharkFields) {
            std::getline(cells, cell, '|');
            row[field] = cell;
            cell.clear();
        }
        rows.push_back(row);
    }
    return rows;
}

uint64_t Number(std::string text)
{
    if (text.empty())
        throw std::invalid_argument("no number in an empty text");
    if (text.find(':') != std::string::npos) {
        // An extended address as tshark writes it: 00:12:4b:...
        std::erase(text, ':');
        return std::stoull(text, nullptr, 16);
    }
    if (text.rfind("0b", 0) == 0)
        return std::stoull(text.substr(2), nullptr, 2);
    return std::stoull(text, nullptr, text.rfind("0x", 0) == 0 ? 16 : 10);
}

std::string Either(const TsharkRow& row, const char* a, const char* b)
{
    return !row.at(a).empty() ? row.at(a) : row.at(b);
}

// The numbers of a list text such as "Short: 0x0001 0x0002\nExt: 0x..." or tshark's "0x0001,0x0002".
std::vector<uint64_t> Numbers(const std::string& text, const std::string& prefix = "0x")
{
    std::vector<uint64_t> numbers;
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
        size_t end = text.find_first_of(" ,/\n", at);
        numbers.push_back(Number(text.substr(at, end - at)));
    }
    return numbers;
}

std::vector<uint64_t> TsharkList(const std::string& cell)
{
    std::vector<uint64_t> numbers;
    std::istringstream items(cell);
    for (std::string item; std::getline(items, item, ',');)
        numbers.push_back(Number(item));
    return numbers;
}

const std::map<int, std::vector<int32_t>> kCommandFields = {
    {1, {FI_CMD_ASSOC_REQ}},   {2, {FI_CMD_ASSOC_RES}},  {3, {FI_CMD_DISASSOC_NOT}},
    {4, {FI_CMD_DATA_REQ}},    {5, {FI_CMD_PAN_CONFLICT}}, {6, {FI_CMD_ORPHAN_NOT}},
    {7, {FI_CMD_BEACON_REQ}},  {8, {FI_CMD_CRD_REALIGN1, FI_CMD_CRD_REALIGN2}}, {9, {FI_CMD_GTS_REQ}}};

// Compares the plug-in's fields of one frame with tshark's row.
void Compare(const Decoded& d, const TsharkRow& row)
{
    EXPECT_EQ(row.at("wpan.fcs_ok"), "1") << "the generated FCS";
    EXPECT_EQ(Number(d.Text(FI_FRM_CTR_FIELD)) & 7, Number(row.at("wpan.frame_type")));
    EXPECT_EQ(Number(d.Text(FI_SEQ_NUMBER)), Number(row.at("wpan.seq_no")));

    auto same = [&](int32_t id, const std::string& theirs, const char* what) {
        if (theirs.empty())
            EXPECT_EQ(d.Find(id), nullptr) << what << " shown, tshark has none";
        else if (d.Find(id) == nullptr)
            ADD_FAILURE() << what << " missing, tshark has " << theirs;
        else
            EXPECT_EQ(Number(d.Text(id)), Number(theirs)) << what;
    };
    same(FI_DEST_PANID, row.at("wpan.dst_pan"), "destination PAN id");
    same(FI_DEST_ADDR, Either(row, "wpan.dst16", "wpan.dst64"), "destination address");
    same(FI_SRC_PANID, row.at("wpan.src_pan"), "source PAN id");
    same(FI_SRC_ADDR, Either(row, "wpan.src16", "wpan.src64"), "source address");
    same(FI_FRAME_COUNTER, row.at("wpan.aux_sec.frame_counter"), "frame counter");

    if (d.Find(FI_SECURITY_CONTROL) != nullptr) {
        const auto control = Numbers(d.Text(FI_SECURITY_CONTROL));
        ASSERT_EQ(control.size(), 2u);
        EXPECT_EQ(control[0], Number(row.at("wpan.aux_sec.sec_level")));
        EXPECT_EQ(control[1], Number(row.at("wpan.aux_sec.key_id_mode")));
        if (!row.at("wpan.aux_sec.key_index").empty())
            EXPECT_EQ(Numbers(d.Text(FI_KEY_IDENTIFIER)).back(), Number(row.at("wpan.aux_sec.key_index")));
        else
            EXPECT_EQ(d.Find(FI_KEY_IDENTIFIER), nullptr);
    } else {
        EXPECT_EQ(row.at("wpan.aux_sec.sec_level"), "");
    }

    if (!row.at("wpan.cmd").empty()) {
        const int command = static_cast<int>(Number(row.at("wpan.cmd")));
        bool found = false;
        for (int32_t id : kCommandFields.at(command))
            found = found || d.Find(id) != nullptr;
        EXPECT_TRUE(found) << "command " << command;
    }

    if (d.Find(FI_SUPERFRAME) != nullptr) {
        const std::string superframe = d.Text(FI_SUPERFRAME);
        EXPECT_EQ(std::stoi(superframe.substr(0, 2)), std::stoi(row.at("wpan.beacon_order")));
        EXPECT_EQ(std::stoi(superframe.substr(3, 2)), std::stoi(row.at("wpan.superframe_order")));
        const std::string pending = d.Text(FI_PENDING_ADDR);
        const size_t lineBreak = pending.find('\n');
        const std::string shorts = d.Find(FI_PENDING_ADDR) ? pending.substr(0, lineBreak) : "";
        const std::string extendeds = d.Find(FI_PENDING_ADDR) ? pending.substr(lineBreak + 1) : "";
        EXPECT_EQ(Numbers(shorts), TsharkList(row.at("wpan.pending16")));
        EXPECT_EQ(Numbers(extendeds), TsharkList(row.at("wpan.pending64")));
        // The GTS list: count, permit, direction mask, then address/slot/length of each.
        std::vector<uint64_t> gts;
        if (const DecodedField* list = d.Find(FI_GTS_FIELD_X)) {
            const std::string text = list->text.substr(list->text.find('|', list->text.find('|') + 1));
            for (uint64_t n : Numbers(text))
                gts.push_back(n);
        }
        EXPECT_EQ(gts, TsharkList(row.at("wpan.gts.address")));
    }
}

} // namespace

TEST(TolvaneCrossCheck, AgreesWithTshark)
{
    if (!HaveTshark())
        GTEST_SKIP() << "tshark is not installed (scripts/setup installs it)";
    FrameGenerator generator;
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < kFrames; ++i)
        frames.push_back(generator.Next());
    TempFolder folder;
    const std::string capture = folder / "frames.pcap";
    ASSERT_NO_FATAL_FAILURE(WriteCapture(capture, frames));
    const std::vector<TsharkRow> rows = RunTshark(capture);
    ASSERT_EQ(rows.size(), frames.size());

    Tolvane().setChipType(0);
    int kinds[4] = {};
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        ASSERT_EQ(rows[i].at("frame.number"), std::to_string(i + 1));
        auto record = MakeMacRecord(static_cast<uint32_t>(i + 1), 0, frames[i], 0xC0, 0x80);
        Decoded d = Tolvane().Decode(record, MacLength(record));
        ASSERT_EQ(d.data.status, PARSE_OK);
        ++kinds[Number(d.Text(FI_FRM_CTR_FIELD)) & 3];
        try {
            Compare(d, rows[i]);
        } catch (const std::exception& e) {
            std::string fields;
            for (const auto& [name, value] : rows[i])
                fields += name + "=" + value + " ";
            ADD_FAILURE() << e.what() << ": tshark " << fields;
        }
        if (HasFailure())
            break;
    }
    for (int kind : kinds)
        EXPECT_GT(kind, 10);
}
