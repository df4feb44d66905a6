// The data-file layout check and the reader's record preparation on arbitrary bytes.
// Input: the bytes of a data file. It is checked as a file and in memory for several raw
// record lengths H, for the "Generic" plug-in and another, and compared with a plain model of
// the rule. Every buffer handed over is exactly as large as what it holds, so that any read
// beyond it is caught by AddressSanitizer. The file's first records are then prepared as the
// file reader prepares them, in both layouts, and written back as the store saves them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/store/DataFileCheck.h"
#include "core/store/DataFileRec.h"

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFolder.h"

namespace {

constexpr uint16_t kRawLengths[] = {5, 13, 14, 15, 16, 40, 271};
constexpr size_t kPreparedRecords = 4;

// An exact copy on the heap: nothing beyond size is addressable.
std::unique_ptr<uint8_t[]> Copy(const uint8_t* data, size_t size)
{
    auto copy = std::make_unique<uint8_t[]>(size == 0 ? 1 : size);
    std::copy(data, data + size, copy.get());
    return copy;
}

// The rule, as the open command states it: the first record's length fields and the zeros
// behind its used bytes, or, for "Generic", three records numbered one by one.
int Model(const uint8_t* f, size_t size, size_t r, bool generic)
{
    auto number = [&](size_t record) {
        uint32_t n = 0;
        for (size_t i = 0; i < 4; ++i)
            n |= static_cast<uint32_t>(f[record * r + 1 + i]) << (8 * i);
        return n;
    };
    const bool numbered = generic && size >= 3 * r && number(1) == number(0) + 1 && number(2) == number(0) + 2;
    if (size < r || r < 16 || f[14] != 0)
        return numbered ? 1 : 0;
    const int d = (f[0] & 1) ? 1 : 3;
    if (f[13] != f[15] + d)
        return numbered ? 1 : 0;
    for (size_t i = f[15] + 15 + d; i < r; ++i)
        if (f[i] != 0)
            return 0;
    return 1;
}

void CheckLayout(const uint8_t* data, size_t size, const std::string& path)
{
    for (uint16_t h : kRawLengths) {
        const size_t r = 1 + static_cast<size_t>(h);
        const size_t looked = std::min(size, DataFileCheckLength(h));
        const auto start = Copy(data, looked);
        for (bool generic : {false, true}) {
            const int expected = Model(start.get(), looked, r, generic);
            int layout = -1;
            std::string error;
            const int result = CheckDataFileLayout(path, h, &layout, generic ? "Generic" : "Fennet", &error);
            Check(result == 0 || result == 1);
            Check(layout == result);
            Check(error.empty());
            Check(result == expected);
            // In memory: the first three records are all that count.
            int inMemory = -1;
            Check(CheckDataFileBytes(start.get(), looked, h, generic, &inMemory) == result);
            Check(inMemory == result);
            const auto whole = Copy(data, size);
            Check(CheckDataFileBytes(whole.get(), size, h, generic, &inMemory) == result);
        }
    }
}

void CheckRecords(const uint8_t* data, size_t size)
{
    for (uint16_t h : kRawLengths) {
        const int32_t r = 1 + h;
        for (size_t k = 0; k < kPreparedRecords && (k + 1) * static_cast<size_t>(r) <= size; ++k) {
            for (bool newLayout : {true, false}) {
                for (bool generic : {false, true}) {
                    const auto record = Copy(data + k * static_cast<size_t>(r), static_cast<size_t>(r));
                    const int captured = DataFileRec::PrepareReadRecord(record.get(), r, newLayout, generic);
                    Check(captured >= 0 && captured <= 65535);
                    // A length the plug-in is given always lies inside the record.
                    uint8_t info = record[0];
                    if (!newLayout && generic)
                        info |= DataFileRec::kInfoGenericLayout;
                    if (captured > 0)
                        Check(1 + DataFileRec::UsedLength(record.get(), r, info) <= r);

                    // Saved as the store saves it: the used bytes, zeros behind them.
                    const auto raw = Copy(record.get() + 1, h);
                    const auto out = Copy(record.get(), static_cast<size_t>(r));
                    int32_t declared = -1;
                    if (DataFileRec::MakeRecord(out.get(), raw.get(), h, record[0], &declared)) {
                        const int32_t used = DataFileRec::UsedLength(out.get(), r, record[0]);
                        Check(used <= h);
                        Check(std::equal(raw.get(), raw.get() + used, out.get() + 1));
                        Check(std::all_of(out.get() + 1 + used, out.get() + r, [](uint8_t b) { return b == 0; }));
                    } else {
                        Check(declared >= 0 && declared <= 65535);
                    }
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = FuzzFolder() + "/input.pld";
    FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(size == 0 || std::fwrite(data, 1, size, file) == size);
    Check(std::fclose(file) == 0);

    CheckLayout(data, size, path);
    CheckRecords(data, size);
    return 0;
}
