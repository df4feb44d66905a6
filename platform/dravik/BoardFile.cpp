#include "platform/dravik/BoardFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <sys/stat.h>

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/FirmwareRevision.h"

namespace {

struct FaultName {
    const char* name;
    SimulatedFault fault;
};

constexpr FaultName kFaultNames[] = {
    {"open", kFaultOpen},       {"nochip", kFaultNoChip},   {"reset", kFaultReset},
    {"verify", kFaultVerify},   {"erase", kFaultErase},     {"stuck", kFaultStuckFlash},
    {"program", kFaultProgram}, {"release", kFaultRelease}, {"profile", kFaultProfile},
    {"pipe", kFaultPipe},       {"boot", kFaultBoot},       {"start", kFaultStart},
    {"param", kFaultParam},     {"log", kFaultLog},
};

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "usb id", "usb-id" and "USB_ID" are the same key.
std::string KeyOf(const std::string& text)
{
    std::string key;
    for (char c : Lower(text))
        key += (c == ' ' || c == '-' || c == '\t') ? '_' : c;
    return key;
}

// Decimal, or hexadecimal after "0x"; the whole text must be the number.
std::optional<long long> Number(const std::string& text, long long low, long long high)
{
    std::string digits = text;
    bool negative = false;
    if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    if (digits.empty() || digits.size() > 12)
        return std::nullopt;
    long long value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
    }
    if (negative)
        value = -value;
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<uint16_t> Word(const std::string& text)
{
    auto value = Number(text, 0, 0xFFFF);
    return value ? std::optional<uint16_t>(static_cast<uint16_t>(*value)) : std::nullopt;
}

std::optional<uint16_t> BoardType(const std::string& text)
{
    const std::string name = Lower(text);
    if (name == "kestrix")
        return DravikEb::kBoardKestrix;
    if (name == "dalvor")
        return DravikEb::kBoardDalvor;
    if (name == "trennic")
        return DravikEb::kBoardTrennic;
    if (name == "serial")
        return DravikEb::kBoardSerialPort;
    auto value = Number(text, 1, 0xFFFF);
    return value ? std::optional<uint16_t>(static_cast<uint16_t>(*value)) : std::nullopt;
}

// A chip code, or a chip name "QZ" + up to four hexadecimal digits.
std::optional<uint16_t> ChipCode(const std::string& text)
{
    if (text.size() > 2 && (text[0] == 'Q' || text[0] == 'q') && (text[1] == 'Z' || text[1] == 'z')) {
        const std::string model = text.substr(2);
        if (model.size() > 4)
            return std::nullopt;
        auto value = Number("0x" + model, 1, 0xFFFF);
        return value ? std::optional<uint16_t>(static_cast<uint16_t>(*value)) : std::nullopt;
    }
    auto value = Number(text, 1, 0xFFFF);
    return value ? std::optional<uint16_t>(static_cast<uint16_t>(*value)) : std::nullopt;
}

std::optional<uint32_t> Faults(const std::string& text)
{
    uint32_t faults = 0;
    std::string list = text;
    std::replace(list.begin(), list.end(), ',', ' ');
    std::istringstream names(list);
    std::string name;
    while (names >> name) {
        name = Lower(name);
        auto it = std::find_if(std::begin(kFaultNames), std::end(kFaultNames),
                               [&](const FaultName& f) { return name == f.name; });
        if (it == std::end(kFaultNames))
            return std::nullopt;
        faults |= it->fault;
    }
    return faults;
}

// A board section while it is read: which of the defaulted keys it set.
struct Section {
    SimulatedBoardConfig config;
    int line = 0;
    bool hasType = false;
    bool hasChip = false;
    bool hasUsbId = false;
    bool hasSerial = false;
    bool hasFirmwareId = false;
    bool hasRevision = false;
    bool hasText = false;
};

bool SetInt(int& field, const std::string& value, long long low, long long high)
{
    auto number = Number(value, low, high);
    if (!number)
        return false;
    field = static_cast<int>(*number);
    return true;
}

// Takes one key of a section; false when the key is unknown or its value cannot be read.
bool Apply(Section& section, const std::string& key, const std::string& value)
{
    SimulatedBoardConfig& c = section.config;
    if (key == "type") {
        auto type = BoardType(value);
        if (!type)
            return false;
        c.boardType = *type;
        section.hasType = true;
    } else if (key == "chip") {
        auto code = ChipCode(value);
        if (!code)
            return false;
        c.chipCode = *code;
        section.hasChip = true;
    } else if (key == "chip_name") {
        if (value.empty())
            return false;
        c.chipName = value;
    } else if (key == "usb_id") {
        auto id = Word(value);
        if (!id)
            return false;
        c.usbDeviceId = *id;
        section.hasUsbId = true;
    } else if (key == "serial") {
        auto serial = Number(value, 1, std::numeric_limits<uint32_t>::max());
        if (!serial)
            return false;
        c.serialNumber = static_cast<uint32_t>(*serial);
        section.hasSerial = true;
    } else if (key == "firmware_id") {
        auto id = Word(value);
        if (!id)
            return false;
        c.firmwareId = *id;
        section.hasFirmwareId = true;
    } else if (key == "revision") {
        auto revision = Word(value);
        if (!revision)
            return false;
        c.firmwareRevision = *revision;
        section.hasRevision = true;
    } else if (key == "text") {
        c.deviceText = value;
        section.hasText = true;
    } else if (key == "port") {
        c.portName = value;
    } else if (key == "layout") {
        const std::string name = Lower(value);
        if (name == "old" || name == "0")
            c.layout = 0;
        else if (name == "new" || name == "1")
            c.layout = 1;
        else
            return false;
    } else if (key == "rate") {
        return SetInt(c.framesPerSecond, value, 0, 1000000);
    } else if (key == "update_result") {
        return SetInt(c.updateResult, value, -1000, 1000);
    } else if (key == "update_ms") {
        return SetInt(c.updateMs, value, 0, 600000);
    } else if (key == "flash") {
        const std::string name = Lower(value);
        if (name != "old" && name != "blank")
            return false;
        c.blankFlash = name == "blank";
    } else if (key == "faults") {
        auto faults = Faults(value);
        if (!faults)
            return false;
        c.faults = *faults;
    } else if (key == "profile_delay_ms") {
        return SetInt(c.profileDelayMs, value, 0, 10000);
    } else if (key == "buffer") {
        return SetInt(c.deviceBufferBytes, value, 256, 16 << 20);
    } else if (key == "junk") {
        return SetInt(c.junkEvery, value, 0, 1000000);
    } else if (key == "status") {
        return SetInt(c.statusEvery, value, 0, 1000000);
    } else if (key == "cut") {
        return SetInt(c.cutEvery, value, 0, 1000000);
    } else if (key == "overflow") {
        return SetInt(c.overflowEvery, value, 0, 1000000);
    } else if (key == "read_errors") {
        return SetInt(c.readErrorEvery, value, 0, 1000000);
    } else {
        return false;
    }
    return true;
}

const char* DefaultText(uint16_t boardType)
{
    switch (boardType) {
    case DravikEb::kBoardKestrix: return "Kestrix board";
    case DravikEb::kBoardDalvor: return "Dalvor";
    case DravikEb::kBoardTrennic: return "Trennic board";
    case DravikEb::kBoardSerialPort: return "Serial-port device";
    default: return "Capture board";
    }
}

SimulatedBoardConfig Board(uint16_t type, uint16_t chip, uint16_t usbId, uint32_t serial)
{
    SimulatedBoardConfig c;
    c.boardType = type;
    c.chipCode = chip;
    c.usbDeviceId = usbId;
    c.serialNumber = serial;
    c.deviceText = DefaultText(type);
    if (auto shipped = FirmwareRevision::Shipped(type)) {
        c.firmwareId = shipped->id;
        c.firmwareRevision = shipped->revision;
    }
    return c;
}

} // namespace

std::string BoardFile::Path()
{
    // A relative XDG_CONFIG_HOME is to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/pelagor/boards.ini";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/pelagor/boards.ini";
    return "";
}

std::optional<std::vector<SimulatedBoardConfig>> BoardFile::Read(const std::string& path)
{
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(kMaxFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return Parse(text);
}

std::vector<SimulatedBoardConfig> BoardFile::Parse(const std::string& text, std::vector<int>* skippedLines)
{
    std::vector<Section> sections;
    bool inBoard = false;
    auto skip = [&](int line) {
        if (skippedLines != nullptr)
            skippedLines->push_back(line);
    };

    std::istringstream in(text);
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            inBoard = line.back() == ']' && Lower(Trim(line.substr(1, line.size() - 2))) == "board";
            if (inBoard) {
                sections.emplace_back();
                sections.back().line = lineNumber;
            } else {
                skip(lineNumber);
            }
            continue;
        }
        const size_t equals = line.find('=');
        if (!inBoard || equals == std::string::npos ||
            !Apply(sections.back(), KeyOf(Trim(line.substr(0, equals))), Trim(line.substr(equals + 1))))
            skip(lineNumber);
    }

    std::vector<SimulatedBoardConfig> boards;
    std::set<uint32_t> serials;
    for (const Section& s : sections)
        if (s.hasType && s.hasChip && s.hasSerial)
            serials.insert(s.config.serialNumber);
    std::set<uint32_t> taken;
    uint32_t nextSerial = 0x80000001u;
    int ordinal = 0;
    for (Section& s : sections) {
        if (!s.hasType || !s.hasChip || static_cast<int>(boards.size()) == kMaxBoards ||
            (s.hasSerial && !taken.insert(s.config.serialNumber).second)) {
            skip(s.line);
            continue;
        }
        ++ordinal;
        SimulatedBoardConfig& c = s.config;
        if (!s.hasSerial) {
            // Stable while the file's order stays, so a board keeps its firmware and flash.
            while (serials.count(nextSerial) != 0 || taken.count(nextSerial) != 0)
                ++nextSerial;
            c.serialNumber = nextSerial++;
            taken.insert(c.serialNumber);
        }
        // A serial-port device sits behind a USB bridge too; the capture needs an id to open it.
        if (!s.hasUsbId)
            c.usbDeviceId = static_cast<uint16_t>(ordinal);
        if (!s.hasText)
            c.deviceText = DefaultText(c.boardType);
        if (auto shipped = FirmwareRevision::Shipped(c.boardType)) {
            if (!s.hasFirmwareId)
                c.firmwareId = shipped->id;
            if (!s.hasRevision)
                c.firmwareRevision = shipped->revision;
        }
        boards.push_back(std::move(c));
    }
    return boards;
}

std::vector<SimulatedBoardConfig> BoardFile::DefaultBoards()
{
    std::vector<SimulatedBoardConfig> boards;
    // A USB dongle chip on a Dalvor unit: the chip is the capture device and is not programmed.
    boards.push_back(Board(DravikEb::kBoardDalvor, 0x6F87, 0x0001, 1001));
    // The same kinds of chip on Kestrix boards are programmed (families 1 and 3).
    boards.push_back(Board(DravikEb::kBoardKestrix, 0x6F1C, 0x0002, 1002));
    boards.push_back(Board(DravikEb::kBoardKestrix, 0x6F87, 0x0003, 1003));
    // Older board firmware than the shipped image: connecting offers the update.
    SimulatedBoardConfig trennic = Board(DravikEb::kBoardTrennic, 0x6E7A, 0x0004, 1004);
    trennic.firmwareRevision = 0x0102;
    trennic.layout = 0;
    boards.push_back(trennic);
    // A transceiver: the board's processor runs the capture firmware.
    boards.push_back(Board(DravikEb::kBoardKestrix, 0x3A5C, 0x0005, 1005));
    SimulatedBoardConfig serial = Board(DravikEb::kBoardSerialPort, 0x6F1C, 0x0006, 1006);
    serial.portName = "/dev/ttyS0";
    boards.push_back(serial);
    return boards;
}

std::vector<SimulatedBoardConfig> BoardFile::Attached()
{
    if (auto boards = Read(Path()))
        return *boards;
    return DefaultBoards();
}
