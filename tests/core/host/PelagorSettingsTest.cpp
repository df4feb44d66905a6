#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "core/host/CPelagorSettings.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStatus.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

using platform::RegistryKey;
using platform::RegistryType;
using platform::RegistryValue;
namespace fs = std::filesystem;

namespace {

using S = CPelagorSettings;

// A value of the map: its name, its member and its default.
using Member = std::variant<int32_t S::*, uint32_t S::*, bool S::*, CRegSettings::Text<16> S::*,
                            CRegSettings::Text<21> S::*, CRegSettings::Text<32> S::*, CRegSettings::Text<48> S::*,
                            CRegSettings::Text<512> S::*>;

struct Field {
    const char* name;
    Member member;
    uint32_t dwordDefault; // DWORD and BOOL values
    const char* textDefault; // string values
};

const std::vector<Field>& Fields()
{
    static const std::vector<Field> fields = {
        {"PacketBufferSize", &S::PacketBufferSize, 0, "20"},
        {"ChannelListIndex", &S::ChannelListIndex, 0, nullptr},
        {"ChannelBleIndex", &S::ChannelBleIndex, 0, nullptr},
        {"ClockMultiplier", &S::ClockMultiplier, 0, "1.0"},
        {"HardwareFcsChecking", &S::HardwareFcsChecking, 0, nullptr},
        {"HardwareIncompleteChecking", &S::HardwareIncompleteChecking, 0, nullptr},
        {"FlushBufferOnStart", &S::FlushBufferOnStart, 0, nullptr},
        {"ShowTabs", &S::ShowTabs, 1, nullptr},
        {"PathRegisterFile", &S::PathRegisterFile, 0, ""},
        {"RegisterFileIndex", &S::RegisterFileIndex, 0, nullptr},
        {"ChipType", &S::ChipType, 0, nullptr},
        {"SelectedTimeStampMode", &S::SelectedTimeStampMode, 0, nullptr},
        {"SelectedPayLoadMode", &S::SelectedPayLoadMode, 0, nullptr},
        {"SelectedLqiRssiMode", &S::SelectedLqiRssiMode, 0, nullptr},
        {"SelectedFieldGroup", &S::SelectedFieldGroup, 0, nullptr},
        {"PathBackgroundImage", &S::PathBackgroundImage, 0, "bmp\\qz6e7b.bmp"},
        {"ImageWidth", &S::ImageWidth, 0, nullptr},
        {"ImageHeight", &S::ImageHeight, 0, nullptr},
        {"ImageOffsetX", &S::ImageOffsetX, 0, nullptr},
        {"ImageOffsetY", &S::ImageOffsetY, 0, nullptr},
        {"ShowGrid", &S::ShowGrid, 1, nullptr},
        {"ShowBackground", &S::ShowBackground, 0, nullptr},
        {"protVer", &S::protVer, 0, nullptr},
        {"strChannel", &S::strChannel, 0, ""},
        {"top", &S::top, 0, nullptr},
        {"left", &S::left, 0, nullptr},
        {"bottom", &S::bottom, 0, nullptr},
        {"right", &S::right, 0, nullptr},
        {"ConnectToInitiatorAddr", &S::ConnectToInitiatorAddr, 0, nullptr},
        {"strInitiatorAddr", &S::strInitiatorAddr, 0, ""},
        {"strBleLtk", &S::strBleLtk, 0, ""},
        {"bcEnabled", &S::bcEnabled, 0, nullptr},
        {"bcOnly", &S::bcOnly, 0, nullptr},
        {"bcPort", &S::bcPort, 5000, nullptr},
        {"bcAddress", &S::bcAddress, 0x7F0000FF, nullptr},
        {"dataVer", &S::dataVer, 1, nullptr},
        {"blockSize", &S::blockSize, 0, nullptr},
        {"chipTypeIndex", &S::chipTypeIndex, 0xFFFFFFFF, nullptr},
    };
    return fields;
}

// The buffer of a string value; 0 for the others.
template <typename>
constexpr size_t kBufferOf = 0;
template <size_t N>
constexpr size_t kBufferOf<CRegSettings::Text<N> S::*> = N;

size_t BufferOf(const Field& field)
{
    return std::visit([](auto member) { return kBufferOf<decltype(member)>; }, field.member);
}

bool IsBool(const Field& field)
{
    return std::holds_alternative<bool S::*>(field.member);
}

std::string Dword(uint32_t value)
{
    std::string data;
    for (int shift = 0; shift < 32; shift += 8)
        data += static_cast<char>((value >> shift) & 0xFF);
    return data;
}

// The value as the object holds it, in the form the store keeps: a DWORD's 4 bytes, a BOOL as
// 0 or 1, a string as its whole buffer.
RegistryValue Held(const S& settings, const Field& field)
{
    return std::visit(
        [&](auto member) -> RegistryValue {
            const auto& value = settings.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, bool>)
                return {RegistryType::Dword, Dword(value ? 1 : 0)};
            else if constexpr (std::is_integral_v<Value>)
                return {RegistryType::Dword, Dword(static_cast<uint32_t>(value))};
            else
                return {RegistryType::Sz, std::string(value.Bytes())};
        },
        field.member);
}

RegistryValue Default(const Field& field)
{
    if (BufferOf(field) == 0)
        return {RegistryType::Dword, Dword(IsBool(field) ? (field.dwordDefault != 0) : field.dwordDefault)};
    std::string data(field.textDefault);
    data.resize(BufferOf(field), '\0');
    return {RegistryType::Sz, data};
}

// A value unlike the default and unlike every other field's: the index makes it distinct.
void SetSample(S& settings, const Field& field, int index)
{
    std::visit(
        [&](auto member) {
            auto& value = settings.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, bool>) {
                value = field.dwordDefault == 0;
            } else if constexpr (std::is_same_v<Value, int32_t>) {
                value = -1000 - index; // window positions may be negative
            } else if constexpr (std::is_same_v<Value, uint32_t>) {
                value = 0xC0000000u + static_cast<uint32_t>(index);
            } else {
                // Full length, with bytes a text file must escape.
                std::string text = std::to_string(index) + "\"\\\xAF\x01\t";
                while (text.size() < Value::kBufferSize - 1)
                    text += static_cast<char>('A' + text.size() % 26);
                value = text;
            }
        },
        field.member);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DataText(const RegistryValue& value)
{
    std::string shown;
    for (char c : value.data) {
        if (c >= 0x20 && c < 0x7F) {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            shown += hex;
        }
    }
    return (value.type == RegistryType::Dword ? "dword " : "sz ") + shown;
}

// Every field of settings against expected(field); names the ones that differ.
void ExpectFields(const S& settings, const std::function<RegistryValue(const Field&)>& expected)
{
    for (const Field& field : Fields())
        EXPECT_EQ(DataText(Held(settings, field)), DataText(expected(field))) << field.name;
}

// Points XDG_CONFIG_HOME at a folder of its own, so the settings of the current user land there.
class PelagorSettings : public ::testing::Test {
protected:
    std::string KeyFolder() const { return folder_ / "pelagor/registry/software/korvath/pelagor"; }
    std::string KeyFile() const { return KeyFolder() + "/settings.key"; }

    // The settings key as the store has it, for writing values the way another program might.
    RegistryKey CreateKey() const
    {
        RegistryKey key;
        EXPECT_EQ(key.Create(platform::RegistryRoot::CurrentUser(), CPelagorSettings::kKeyPath), platform::kRegistryOk);
        return key;
    }

    // Saves every value at its default but for what change sets.
    void SaveWith(const std::function<void(S&)>& change) const
    {
        S settings;
        change(settings);
        ASSERT_EQ(settings.Save(), platform::kRegistryOk);
    }

    std::vector<std::string> FilesInKeyFolder() const
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(KeyFolder()))
            files.push_back(entry.path().filename().string());
        std::sort(files.begin(), files.end());
        return files;
    }

    testsupport::TempFolder folder_;
    testsupport::ScopedEnvironment home_{"XDG_CONFIG_HOME", folder_.Path().c_str()};
};

// Records the hooks and what the values were when they ran.
class HookedSettings : public CPelagorSettings {
public:
    std::vector<std::string> calls;
    std::function<void()> beforeSave;

protected:
    void OnBeforeSave() override
    {
        calls.push_back("save");
        if (beforeSave)
            beforeSave();
    }
    void OnAfterLoad() override { calls.push_back("load:" + std::to_string(chipTypeIndex)); }
};

} // namespace

TEST_F(PelagorSettings, ConstructionGivesEveryDefault)
{
    const S settings;
    EXPECT_EQ(settings.KeyPath(), "Software\\Korvath\\Pelagor\\Settings");
    ExpectFields(settings, Default);
    EXPECT_FALSE(fs::exists(folder_ / "pelagor")); // building one touches nothing
}

TEST_F(PelagorSettings, MissingKeyGivesDefaultsAndTheOpenError)
{
    HookedSettings settings;
    for (size_t i = 0; i < Fields().size(); ++i)
        SetSample(settings, Fields()[i], static_cast<int>(i));
    EXPECT_EQ(settings.Load(), platform::kRegistryNotFound);
    ExpectFields(settings, Default);
    EXPECT_TRUE(settings.calls.empty()); // defaults mode runs no hook
    EXPECT_FALSE(fs::exists(folder_ / "pelagor"));
}

TEST_F(PelagorSettings, SaveCreatesAll38ValuesInMapOrder)
{
    S settings;
    ASSERT_EQ(settings.Load(), platform::kRegistryNotFound);
    ASSERT_EQ(settings.Save(), platform::kRegistryOk);

    RegistryKey key;
    ASSERT_EQ(key.Open(platform::RegistryRoot::CurrentUser(), "Software\\Korvath\\Pelagor\\Settings"),
              platform::kRegistryOk);
    std::vector<std::string> names;
    ASSERT_EQ(key.QueryValueNames(names), platform::kRegistryOk);
    std::vector<std::string> expected;
    for (const Field& field : Fields())
        expected.push_back(field.name);
    EXPECT_EQ(names, expected);
    for (const Field& field : Fields()) {
        RegistryValue value;
        ASSERT_EQ(key.QueryValue(field.name, 1024, value), platform::kRegistryOk) << field.name;
        EXPECT_EQ(DataText(value), DataText(Default(field))) << field.name;
    }
    // Strings keep their whole buffer as data, whatever the text's length.
    RegistryValue buffer;
    ASSERT_EQ(key.QueryValue("PacketBufferSize", 1024, buffer), platform::kRegistryOk);
    EXPECT_EQ(buffer.data.size(), 21u);
    EXPECT_EQ(key.QueryValue("PathRegisterFile", 511, buffer), platform::kRegistryMoreData);
}

TEST_F(PelagorSettings, EveryValueRoundTrips)
{
    S written;
    for (size_t i = 0; i < Fields().size(); ++i)
        SetSample(written, Fields()[i], static_cast<int>(i));
    ASSERT_EQ(written.Save(), platform::kRegistryOk);

    S read;
    ASSERT_EQ(read.Load(), platform::kRegistryOk);
    ExpectFields(read, [&](const Field& field) { return Held(written, field); });

    // Saved again unchanged, the file stays byte for byte the same.
    const std::string before = ReadText(KeyFile());
    ASSERT_EQ(read.Save(), platform::kRegistryOk);
    EXPECT_EQ(ReadText(KeyFile()), before);
}

TEST_F(PelagorSettings, TextKeepsAtMostItsBufferLessOne)
{
    S settings;
    settings.PacketBufferSize = std::string(30, '9');
    EXPECT_EQ(settings.PacketBufferSize.str(), std::string(20, '9'));
    settings.strInitiatorAddr = "0123456789ABCDEF"; // 16 characters into 16 bytes
    EXPECT_EQ(settings.strInitiatorAddr.str(), "0123456789ABCDE");
    settings.ClockMultiplier = std::string_view("0.5\0junk", 8);
    EXPECT_EQ(settings.ClockMultiplier.Bytes(), std::string("0.5") + std::string(18, '\0'));
    ASSERT_EQ(settings.Save(), platform::kRegistryOk);
    S read;
    ASSERT_EQ(read.Load(), platform::kRegistryOk);
    EXPECT_EQ(read.PacketBufferSize.str(), std::string(20, '9'));
    EXPECT_EQ(read.strInitiatorAddr.str(), "0123456789ABCDE");
    EXPECT_STREQ(read.ClockMultiplier.c_str(), "0.5");
}

namespace {

struct StoredCase {
    const char* name;
    const char* value;
    RegistryType type;
    std::string data;
    // What the value loads as, as its stored form; nullopt: its default.
    std::optional<std::string> loads;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << c.name;
}

class StoredValue : public PelagorSettings, public ::testing::WithParamInterface<StoredCase> {};

} // namespace

TEST_P(StoredValue, LoadsOrTakesItsDefault)
{
    const StoredCase& c = GetParam();
    SaveWith([](S& s) { s.dataVer = 7; });
    ASSERT_EQ(CreateKey().SetValue(c.value, c.type, c.data), platform::kRegistryOk);

    S settings;
    EXPECT_EQ(settings.Load(), platform::kRegistryOk); // loading goes on past the value
    EXPECT_EQ(settings.dataVer, 7);
    const Field& field = *std::find_if(Fields().begin(), Fields().end(),
                                       [&](const Field& f) { return std::string(f.name) == c.value; });
    EXPECT_EQ(DataText(Held(settings, field)), DataText(c.loads ? RegistryValue{Default(field).type, *c.loads}
                                                                 : Default(field)));
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValue,
    ::testing::Values(
        StoredCase{"path_of_600_characters", "PathRegisterFile", RegistryType::Sz, std::string(600, 'p') + '\0',
                   std::nullopt},
        StoredCase{"path_filling_the_buffer_without_zero", "PathRegisterFile", RegistryType::Sz,
                   std::string(512, 'p'), std::nullopt},
        StoredCase{"path_of_511_characters", "PathRegisterFile", RegistryType::Sz, std::string(511, 'p') + '\0',
                   std::string(511, 'p') + '\0'},
        StoredCase{"short_text_without_zero", "ClockMultiplier", RegistryType::Sz, "2.5",
                   std::string("2.5") + std::string(18, '\0')},
        StoredCase{"cache_size_of_21_characters", "PacketBufferSize", RegistryType::Sz, std::string(21, '7'),
                   std::nullopt},
        StoredCase{"junk_after_the_zero_is_dropped", "PacketBufferSize", RegistryType::Sz,
                   std::string("64\0xyz", 6), std::string("64") + std::string(19, '\0')},
        StoredCase{"initiator_of_16_characters", "strInitiatorAddr", RegistryType::Sz, std::string(16, 'a'),
                   std::nullopt},
        StoredCase{"dword_as_text_is_its_bytes", "bcPort", RegistryType::Sz, "90",
                   Dword(0x3039)},
        StoredCase{"dword_of_five_bytes", "bcPort", RegistryType::Sz, "12345", std::nullopt},
        StoredCase{"text_as_dword_is_its_bytes", "strChannel", RegistryType::Dword, std::string("11\0\0", 4),
                   std::string("11") + std::string(30, '\0')},
        StoredCase{"bool_stored_as_7", "ShowBackground", RegistryType::Dword, Dword(7), Dword(1)},
        StoredCase{"bool_stored_as_0x100", "ShowGrid", RegistryType::Dword, Dword(0x100), Dword(1)},
        StoredCase{"bool_stored_as_0", "ShowTabs", RegistryType::Dword, Dword(0), Dword(0)},
        StoredCase{"plain_dword_stored_as_7_stays", "bcEnabled", RegistryType::Dword, Dword(7), Dword(7)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PelagorSettings, EveryBoolStoredAs7LoadsAndSavesAs1)
{
    {
        RegistryKey key = CreateKey();
        for (const Field& field : Fields()) {
            if (IsBool(field)) {
                ASSERT_EQ(key.SetDword(field.name, 7), platform::kRegistryOk);
            }
        }
    }
    S settings;
    settings.Load();
    ASSERT_EQ(settings.Save(), platform::kRegistryOk);
    RegistryKey key = CreateKey();
    for (const Field& field : Fields()) {
        if (!IsBool(field))
            continue;
        uint32_t stored = 0;
        ASSERT_EQ(key.QueryDword(field.name, stored), platform::kRegistryOk);
        EXPECT_EQ(stored, 1u) << field.name;
    }
}

namespace {

struct LastValueCase {
    const char* name;
    std::function<void(RegistryKey&)> change; // applied to a key holding every value
    long result;
    int32_t chipTypeIndex;
};

void PrintTo(const LastValueCase& c, std::ostream* os)
{
    *os << c.name;
}

class ChipTypeIndexRule : public PelagorSettings, public ::testing::WithParamInterface<LastValueCase> {};

} // namespace

TEST_P(ChipTypeIndexRule, OnlyTheLastValueGivesAnError)
{
    const LastValueCase& c = GetParam();
    SaveWith([](S& s) {
        s.chipTypeIndex = 2;
        s.protVer = 3;
        s.strBleLtk = "key";
    });
    RegistryKey key = CreateKey();
    c.change(key);

    HookedSettings settings;
    EXPECT_EQ(settings.Load(), c.result);
    EXPECT_EQ(settings.chipTypeIndex, c.chipTypeIndex);
    EXPECT_EQ(settings.protVer, 3); // the others load whatever became of the last
    EXPECT_EQ(settings.strBleLtk.str(), "key");
    // The hook runs after the last value, also when it could not be read.
    EXPECT_EQ(settings.calls, std::vector<std::string>{"load:" + std::to_string(c.chipTypeIndex)});
}

INSTANTIATE_TEST_SUITE_P(
    Loads, ChipTypeIndexRule,
    ::testing::Values(
        LastValueCase{"all_present", [](RegistryKey&) {}, platform::kRegistryOk, 2},
        LastValueCase{"missing", [](RegistryKey& k) { k.DeleteValue("chipTypeIndex"); }, platform::kRegistryNotFound,
                      -1},
        LastValueCase{"too_long", [](RegistryKey& k) { k.SetString("chipTypeIndex", "2345"); },
                      platform::kRegistryMoreData, -1},
        LastValueCase{"another_missing",
                      [](RegistryKey& k) {
                          k.DeleteValue("PacketBufferSize");
                          k.DeleteValue("dataVer");
                      },
                      platform::kRegistryOk, 2},
        LastValueCase{"another_too_long", [](RegistryKey& k) { k.SetString("blockSize", "123456"); },
                      platform::kRegistryOk, 2}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct DamageCase {
    const char* name;
    // The damaged file made from a whole one; nullptr: a folder in place of the file.
    std::function<std::string(const std::string&)> damage;
    bool firstLoads; // PacketBufferSize, the first value
    bool portLoads;  // bcPort, the fifth from the end
    bool lastLoads;  // chipTypeIndex
};

void PrintTo(const DamageCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class DamagedFile : public PelagorSettings, public ::testing::WithParamInterface<DamageCase> {};

} // namespace

TEST_P(DamagedFile, ReadsAsMissingValuesAndHealsOnSave)
{
    const DamageCase& c = GetParam();
    SaveWith([](S& s) {
        s.PacketBufferSize = "64";
        s.bcPort = 8080;
        s.chipTypeIndex = 1;
    });
    const std::string whole = ReadText(KeyFile());
    ASSERT_NE(whole.find("dword \"bcPort\" 0x00001F90\n"), std::string::npos);
    if (c.damage) {
        std::ofstream(KeyFile(), std::ios::binary | std::ios::trunc) << c.damage(whole);
    } else {
        fs::remove(KeyFile());
        fs::create_directory(KeyFile());
    }

    S settings;
    const long loaded = settings.Load();
    EXPECT_EQ(loaded == platform::kRegistryOk, c.lastLoads);
    EXPECT_EQ(settings.PacketBufferSize.str(), c.firstLoads ? "64" : "20");
    EXPECT_EQ(settings.bcPort, c.portLoads ? 8080 : 5000);
    EXPECT_EQ(settings.chipTypeIndex, c.lastLoads ? 1 : -1);

    settings.protVer = 9;
    const long saved = settings.Save();
    if (!c.damage) {
        EXPECT_NE(saved, platform::kRegistryOk);
        EXPECT_TRUE(fs::is_directory(KeyFile()));
        EXPECT_EQ(FilesInKeyFolder(), std::vector<std::string>{"settings.key"});
        return;
    }
    ASSERT_EQ(saved, platform::kRegistryOk);
    S again;
    EXPECT_EQ(again.Load(), platform::kRegistryOk);
    ExpectFields(again, [&](const Field& field) { return Held(settings, field); });
}

INSTANTIATE_TEST_SUITE_P(
    Contents, DamagedFile,
    ::testing::Values(
        DamageCase{"whole", [](const std::string& t) { return t; }, true, true, true},
        DamageCase{"cut_in_the_last_line", [](const std::string& t) { return t.substr(0, t.size() - 4); }, true,
                   true, false},
        DamageCase{"cut_in_the_middle", [](const std::string& t) { return t.substr(0, t.size() / 2); }, true, false,
                   false},
        DamageCase{"bad_type",
                   [](const std::string& t) { return Replace(t, "dword \"bcPort\"", "DWORD_LE \"bcPort\""); }, true,
                   false, true},
        DamageCase{"bad_number",
                   [](const std::string& t) { return Replace(t, "\"bcPort\" 0x00001F90", "\"bcPort\" 0x0000ZF90"); },
                   true, false, true},
        DamageCase{"number_too_large",
                   [](const std::string& t) { return Replace(t, "\"bcPort\" 0x00001F90", "\"bcPort\" 99999999999"); },
                   true, false, true},
        DamageCase{"bad_length", [](const std::string& t) { return Replace(t, "\"PacketBufferSize\" 21", "\"PacketBufferSize\" x1"); },
                   false, true, true},
        DamageCase{"unterminated_text",
                   [](const std::string& t) { return Replace(t, "\"PacketBufferSize\" 21 \"64\"", "\"PacketBufferSize\" 21 \"64"); },
                   false, true, true},
        DamageCase{"junk_lines_between",
                   [](const std::string& t) {
                       return Replace(t, "dword \"bcPort\"", std::string("\x01\xFF\0junk\n\"\"\"\n\\x\n", 15) + "dword \"bcPort\"");
                   },
                   true, true, true},
        DamageCase{"binary_junk",
                   [](const std::string&) {
                       std::string junk;
                       for (int i = 0; i < 4096; ++i)
                           junk += static_cast<char>((i * 167 + 13) & 0xFF);
                       return junk;
                   },
                   false, false, false},
        DamageCase{"empty", [](const std::string&) { return std::string(); }, false, false, false},
        DamageCase{"folder_in_place_of_the_file", nullptr, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PelagorSettings, TwoObjectsAliveAtOnce)
{
    SaveWith([](S& s) {
        s.bcPort = 1111;
        s.protVer = 3;
    });
    S first;
    S second;
    ASSERT_EQ(first.Load(), platform::kRegistryOk);
    ASSERT_EQ(second.Load(), platform::kRegistryOk);

    first.bcPort = 2222;
    ASSERT_EQ(first.Save(), platform::kRegistryOk);
    EXPECT_EQ(second.bcPort, 1111); // no sight of the other's change

    // A use that loads before it changes keeps what the other saved.
    {
        S later;
        ASSERT_EQ(later.Load(), platform::kRegistryOk);
        later.protVer = 4;
        ASSERT_EQ(later.Save(), platform::kRegistryOk);
    }
    S check;
    check.Load();
    EXPECT_EQ(check.bcPort, 2222);
    EXPECT_EQ(check.protVer, 4);

    // The object loaded before saves all its values: the last save holds for every one.
    second.ShowTabs = false;
    ASSERT_EQ(second.Save(), platform::kRegistryOk);
    check.Load();
    EXPECT_EQ(check.bcPort, 1111);
    EXPECT_EQ(check.protVer, 3);
    EXPECT_FALSE(check.ShowTabs);
    // Loaded again, the first sees it.
    first.Load();
    EXPECT_EQ(first.bcPort, 1111);
}

TEST_F(PelagorSettings, HooksRunAroundTheValues)
{
    HookedSettings settings;
    EXPECT_TRUE(settings.calls.empty());
    settings.beforeSave = [&] { settings.bcPort = 4242; }; // a change made by the hook is saved
    ASSERT_EQ(settings.Save(), platform::kRegistryOk);
    EXPECT_EQ(settings.calls, std::vector<std::string>{"save"});

    settings.calls.clear();
    settings.chipTypeIndex = 7;
    ASSERT_EQ(settings.Load(), platform::kRegistryOk);
    EXPECT_EQ(settings.calls, std::vector<std::string>{"load:-1"}); // after the last value
    EXPECT_EQ(settings.bcPort, 4242);
}

TEST_F(PelagorSettings, SaveLeavesOnlyTheKeyFile)
{
    SaveWith([](S& s) { s.protVer = 1; });
    SaveWith([](S& s) { s.protVer = 2; });
    EXPECT_EQ(FilesInKeyFolder(), std::vector<std::string>{"settings.key"});
    const std::string text = ReadText(KeyFile());
    EXPECT_EQ(text.rfind("# ", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 39);
}

TEST_F(PelagorSettings, SaveIntoAnUnwritablePlaceFailsAndSaysSo)
{
    folder_.Write("pelagor/registry/software", "a file where a folder belongs");
    HookedSettings settings;
    settings.protVer = 5;
    EXPECT_EQ(settings.Save(), platform::kRegistryPathNotFound);
    EXPECT_TRUE(settings.calls.empty()); // no key, so no value map
    EXPECT_TRUE(fs::is_regular_file(folder_ / "pelagor/registry/software"));
    S read;
    EXPECT_NE(read.Load(), platform::kRegistryOk);
    EXPECT_EQ(read.protVer, 0);
}

TEST_F(PelagorSettings, FailingWriteStopsTheSave)
{
    SaveWith([](S&) {});
    HookedSettings settings;
    settings.protVer = 6;
    // The key goes away after it was opened: the first write fails and nothing follows it.
    settings.beforeSave = [&] { fs::remove(KeyFile()); };
    EXPECT_EQ(settings.Save(), platform::kRegistryKeyDeleted);
    EXPECT_FALSE(fs::exists(KeyFile()));
    EXPECT_EQ(FilesInKeyFolder(), std::vector<std::string>{});
}

TEST_F(PelagorSettings, ReadOnlyKeyFolderFailsAndKeepsTheOldValues)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "this user writes into read-only folders";
    SaveWith([](S& s) { s.protVer = 1; });
    const std::string before = ReadText(KeyFile());
    fs::permissions(KeyFolder(), fs::perms::owner_read | fs::perms::owner_exec);
    S settings;
    settings.protVer = 2;
    EXPECT_EQ(settings.Save(), platform::kRegistryAccessDenied);
    fs::permissions(KeyFolder(), fs::perms::owner_all);
    EXPECT_EQ(ReadText(KeyFile()), before);
    EXPECT_EQ(FilesInKeyFolder(), std::vector<std::string>{"settings.key"});
}

TEST_F(PelagorSettings, KeyPathFromAFormat)
{
    S settings(platform::RegistryRoot::CurrentUser(), "Software\\Korvath\\%s\\Settings%d", "Other", 2);
    EXPECT_EQ(settings.KeyPath(), "Software\\Korvath\\Other\\Settings2");
    ExpectFields(settings, Default);
    ASSERT_EQ(settings.Save(), platform::kRegistryOk);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "pelagor/registry/software/korvath/other/settings2.key"));
    S mine;
    EXPECT_EQ(mine.Load(), platform::kRegistryNotFound);
}
