// Runs a fuzz target without libFuzzer: every seed file, then mutations of them.
// fuzz_x [--runs N] [--seed S] seed-file-or-folder...
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Input = std::vector<uint8_t>;

void AddSeed(const std::filesystem::path& path, std::vector<Input>& seeds)
{
    std::ifstream in(path, std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Mutate(Input& input, std::mt19937& random)
{
    static const uint8_t kInteresting[] = {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFE, 0xFF};
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int s = 0; s < steps; ++s) {
        const size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 6) {
        case 0:
            if (!input.empty())
                input[at] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        case 1:
            if (!input.empty())
                input[at] = static_cast<uint8_t>(random());
            break;
        case 2:
            if (!input.empty())
                input[at] = kInteresting[random() % sizeof kInteresting];
            break;
        case 3:
            input.insert(input.begin() + static_cast<long>(at), 1 + random() % 16,
                         static_cast<uint8_t>(random()));
            break;
        case 4:
            if (!input.empty())
                input.erase(input.begin() + static_cast<long>(at),
                            input.begin() + static_cast<long>(std::min(input.size(), at + 1 + random() % 16)));
            break;
        case 5:
            input.resize(random() % (input.size() + 2));
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    long runs = 10000;
    unsigned seed = 1;
    std::vector<Input> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::atol(argv[++i]);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = static_cast<unsigned>(std::atol(argv[++i]));
        } else if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    AddSeed(entry.path(), seeds);
        } else {
            AddSeed(argv[i], seeds);
        }
    }

    for (const Input& input : seeds)
        LLVMFuzzerTestOneInput(input.data(), input.size());

    std::mt19937 random(seed);
    for (long run = 0; run < runs; ++run) {
        Input input;
        if (seeds.empty() || random() % 10 == 0) {
            input.resize(random() % 512);
            for (auto& b : input)
                b = static_cast<uint8_t>(random());
        } else {
            input = seeds[random() % seeds.size()];
            Mutate(input, random);
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%zu seeds and %ld mutated inputs run\n", seeds.size(), runs);
    return 0;
}
