// The whole packet road of the store next to tshark, side by side. The program generates
// IEEE 802.15.4 traffic of four PANs and writes it twice: as a Tolvane data file and as a
// capture file of link type 195. Our road, phase by phase: the store alone (Tolvane plug-in,
// 20 MB cache, disk buffer in $TMPDIR) opens the data file and decodes and stores every packet
// until the reader's end; a display filter on the destination PAN and one on the frame type,
// typed as text, are each compiled and scanned and the first page of what passes is served;
// then the packets are saved and the store is reset, the first step of the next open. tshark
// reads the capture file with the same two filters. Figures: each phase's seconds, the road,
// tshark's seconds and their ratio, the match counts of both (and of the generator, which
// knows them), and the peak resident memory of both.
// Run: build/release/bench/packet_road_bench [packets [runs]]   (default 1000000 and 3; with
// several runs the median of each figure). tshark is looked for in PATH, or PELAGOR_TSHARK
// names it; without it only our road runs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchClock.h"
#include "bench/RoadTraffic.h"
#include "core/host/FilterCompiler.h"
#include "core/host/FilterTemplates.h"
#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/DiskBufferHandler.h"
#include "core/store/PacketManager.h"
#include "core/store/ReadFileThread.h"
#include "core/tables/PelagorTable.h"
#include "core/tables/TabFieldDef.h"
#include "tests/plugin/tolvane/MacFrameBuilder.h"
#include "tests/support/PcapWriter.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace {

using benchsupport::Clock;
using benchsupport::Median;

constexpr uint16_t kCacheMb = 20; // the main window's default
constexpr int kPageRows = 40;
constexpr uint16_t kWatchedPan = benchsupport::RoadTraffic::kPans[0];

// The two questions, in the display filter's words and in tshark's.
struct Question {
    const char* ours;
    const char* tshark;
    const char* what;
};
// '\' takes any one character of the text: the last three binary digits are the frame type.
const Question kQuestions[2] = {{"DPA=0x1A2B", "wpan.dst_pan == 0x1a2b", "destination PAN 0x1A2B"},
                                {"FCF=0b\\?\\?\\?\\?\\?001", "wpan.frame_type == 1", "data frames"}};

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long StatusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    const size_t keyLength = std::strlen(key);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, keyLength, key) == 0)
            return std::strtol(line.c_str() + keyLength, nullptr, 10);
    return -1;
}

// Starts the peak of resident memory again from what is resident now; false when the kernel
// does not let us (the peak then counts from the start of the process).
bool ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

double MiB(long kib)
{
    return kib / 1024.0;
}

// What the generator wrote, and what each question must find.
struct RoadFiles {
    std::string dataFile;
    std::string capture;
    int32_t packets = 0;
    int32_t expected[2] = {};
    int32_t kinds[4] = {}; // by MAC frame type
};

// Generates the traffic into a store (whose SaveToFile writes the data file exactly as the
// program does) and into the capture file at once, frame by frame.
bool WriteRoadFiles(const testsupport::TempFolder& folder, int32_t packets, RoadFiles& files)
{
    files.packets = packets;
    files.dataFile = folder / "road.pld";
    files.capture = folder / "road.pcap";
    PluginHandler host;
    if (host.Load(TOLVANE_PATH, "") != 1) {
        std::fprintf(stderr, "cannot load %s: %s\n", TOLVANE_PATH, host.LoadErrorText().c_str());
        return false;
    }
    PacketManager store;
    if (!testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(), folder / "fill-", kCacheMb)) {
        std::fprintf(stderr, "cannot set up the store that writes the data file\n");
        return false;
    }
    store.Restart(1);
    testsupport::PcapWriter capture(files.capture);
    benchsupport::RoadTraffic traffic;
    for (int32_t i = 0; i < packets; ++i) {
        const benchsupport::RoadFrame& frame = traffic.Next();
        std::vector<uint8_t> record = testsupport::MakeMacRecord(static_cast<uint32_t>(i + 1), frame.ticks, frame.mac,
                                                                 frame.rssi, frame.status, host.RawLength());
        if (store.AddPacket(record.data(), 1, record[12] | record[13] << 8, 0) != 1) {
            std::fprintf(stderr, "the store took %d packets\n", i);
            return false;
        }
        capture.Add(frame.mac, frame.ticks / benchsupport::RoadTraffic::kTicksPerMicrosecond);
        ++files.kinds[frame.type & 3];
        files.expected[0] += frame.hasDestinationPan && frame.destinationPan == kWatchedPan ? 1 : 0;
        files.expected[1] += frame.type == 1 ? 1 : 0;
    }
    store.Stop(1);
    std::string error;
    if (!capture.Close() || !store.SaveToFile(files.dataFile, &error)) {
        std::fprintf(stderr, "cannot write the files: %s\n", error.c_str());
        return false;
    }
    const auto size = std::filesystem::file_size(files.dataFile);
    if (size != static_cast<uintmax_t>(packets) * (1u + host.RawLength())) {
        std::fprintf(stderr, "the data file has %ju bytes\n", static_cast<uintmax_t>(size));
        return false;
    }
    return true;
}

bool SameBytes(const std::string& a, const std::string& b)
{
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    std::vector<char> x(1 << 20), y(1 << 20);
    while (first && second) {
        first.read(x.data(), static_cast<std::streamsize>(x.size()));
        second.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (first.gcount() != second.gcount() || std::memcmp(x.data(), y.data(), static_cast<size_t>(first.gcount())))
            return false;
    }
    return first.eof() && second.eof();
}

// One run of our road; seconds of each phase.
struct OurRoad {
    double setUp = 0;
    double open = 0;
    double scan[2] = {};
    double page[2] = {};
    double save = 0;
    double reset = 0;
    int32_t opened = 0;
    int32_t matches[2] = {};
    long peakKiB = -1;
    bool savedSame = true;

    double ToFirstAnswer() const { return setUp + open + scan[0] + page[0]; }
    double ToBothAnswers() const { return ToFirstAnswer() + scan[1] + page[1]; }
    double Whole() const { return ToBothAnswers() + save + reset; }
};

// Serves rows 1..rows of the active list as the packet list asks for them at each refresh.
double ServePage(PacketManager& store, int32_t rows, std::vector<char>& fields)
{
    const auto start = Clock::now();
    PARSED_DATA out{};
    out.fieldBuffer = fields.data();
    for (int32_t n = 1; n <= rows; ++n)
        while (store.GetPacket(n, 0, &out) != 1)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    return Seconds(start);
}

// The display filter's Apply: the row compiled against the field templates and handed to the
// store, whose scan then runs to its end; then its first page.
bool AskStore(PacketManager& store, PluginHandler& host, const FilterTemplates& templates, int q, OurRoad& road,
              std::vector<char>& fields)
{
    const auto start = Clock::now();
    PacketFilter filter(host.ParsedLength());
    std::string message;
    if (!FilterCompiler::Compile({kQuestions[q].ours}, templates, filter, &message)) {
        std::fprintf(stderr, "\"%s\" does not compile: %s\n", kQuestions[q].ours, message.c_str());
        return false;
    }
    store.SetFilter(&filter);
    const bool ended = store.WaitForScan(600000);
    road.scan[q] = Seconds(start);
    road.matches[q] = store.GetPacketCount(1);
    road.page[q] = ended ? ServePage(store, std::min(kPageRows, road.matches[q]), fields) : 0;
    store.FilterOff();
    if (!ended)
        std::fprintf(stderr, "the scan of \"%s\" did not end\n", kQuestions[q].ours);
    return ended;
}

bool RunOurRoad(const RoadFiles& files, const std::string& savePath, bool compareSaved, OurRoad& road)
{
    const bool peakFromHere = ResetPeakResident();
    {
        auto start = Clock::now();
        PluginHandler host;
        PacketManager store;
        if (host.Load(TOLVANE_PATH, "") != 1 ||
            !testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                     DiskBufferHandler::TemporaryFolder(), kCacheMb)) {
            std::fprintf(stderr, "cannot set up the store\n");
            return false;
        }
        // The display filter's templates, as the window builds them with the plug-in.
        PelagorTable::SetPluginHandler(&host);
        TabFieldDef fieldDef(std::string(PELAGOR_PROTOCOLS_DIR) + "/Tolvane");
        const int read = fieldDef.Read();
        PelagorTable::SetPluginHandler(nullptr);
        if (read != 1) {
            std::fprintf(stderr, "cannot read the Tolvane FieldDef.plt\n");
            return false;
        }
        FilterTemplates templates;
        for (const TAB_FIELD_DEF_REC& row : fieldDef.Rows())
            if (row.SHORTNAME[0] != '\0')
                templates.AddField(row, nullptr);
        road.setUp = Seconds(start);

        start = Clock::now();
        if (store.OpenFile(files.dataFile, 0, true, host.ProtocolName(), 0) != 1) {
            std::fprintf(stderr, "cannot open %s\n", files.dataFile.c_str());
            return false;
        }
        while (store.FileReader() != nullptr && store.FileReader()->Running())
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        store.DeleteFileReader();
        road.open = Seconds(start);
        road.opened = store.GetPacketCount(0);

        std::vector<char> fields(host.ParsedLength());
        for (int q = 0; q < 2; ++q)
            if (!AskStore(store, host, templates, q, road, fields))
                return false;

        start = Clock::now();
        std::string error;
        const bool saved = store.SaveToFile(savePath, &error);
        road.save = Seconds(start);
        if (!saved) {
            std::fprintf(stderr, "the save failed: %s\n", error.c_str());
            return false;
        }
        if (compareSaved)
            road.savedSame = SameBytes(savePath, files.dataFile);
        std::filesystem::remove(savePath);

        start = Clock::now();
        store.Reset();
        road.reset = Seconds(start);
        road.peakKiB = peakFromHere ? StatusKiB("VmHWM:") : -1;
    }
    return true;
}

// A run of tshark: its seconds from start to end, its peak resident memory, and when its
// output is read, the lines it wrote and how many of them have a second column other than "1".
struct ChildRun {
    bool started = false;
    int exitCode = -1;
    double seconds = 0;
    long peakKiB = 0;
    int64_t lines = 0;
    int64_t flagged = 0;
};

ChildRun RunTshark(const std::vector<std::string>& arguments, bool readOutput, const std::string& errorFile)
{
    ChildRun run;
    const char* program = std::getenv("PELAGOR_TSHARK");
    if (program == nullptr || *program == '\0')
        program = "tshark";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    if (readOutput && pipe2(pipeEnds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (readOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const auto start = Clock::now();
    const int spawned = posix_spawnp(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (readOutput)
        close(pipeEnds[1]);
    if (spawned != 0) {
        if (readOutput)
            close(pipeEnds[0]);
        return run;
    }
    run.started = true;
    if (readOutput) {
        char chunk[1 << 16];
        size_t column = 0; // of the line being read
        bool secondIsOne = false;
        size_t secondLength = 0;
        for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) != 0;) {
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            for (ssize_t i = 0; i < n; ++i) {
                const char c = chunk[i];
                if (c == '\n') {
                    ++run.lines;
                    run.flagged += column >= 1 && !(secondIsOne && secondLength == 1) ? 1 : 0;
                    column = 0;
                    secondIsOne = false;
                    secondLength = 0;
                } else if (c == '\t') {
                    ++column;
                } else if (column == 1) {
                    secondIsOne = secondLength == 0 && c == '1';
                    ++secondLength;
                }
            }
        }
        close(pipeEnds[0]);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = Seconds(start);
    run.peakKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

void ShowErrors(const std::string& errorFile)
{
    std::ifstream errors(errorFile);
    for (std::string line; std::getline(errors, line);)
        if (line.find("Running as user") == std::string::npos && line.find("could be dangerous") == std::string::npos)
            std::fprintf(stderr, "  tshark: %s\n", line.c_str());
}

struct TsharkRun {
    double seconds[2] = {};
    long peakKiB = 0;
};

bool RunTsharkRoad(const RoadFiles& files, const std::string& errorFile, TsharkRun& run)
{
    for (int q = 0; q < 2; ++q) {
        const ChildRun child = RunTshark({"-r", files.capture, "-Y", kQuestions[q].tshark}, false, errorFile);
        if (!child.started || child.exitCode != 0) {
            std::fprintf(stderr, "tshark -Y '%s' failed (exit %d)\n", kQuestions[q].tshark, child.exitCode);
            ShowErrors(errorFile);
            return false;
        }
        run.seconds[q] = child.seconds;
        run.peakKiB = std::max(run.peakKiB, child.peakKiB);
    }
    return true;
}

template <typename Runs, typename Figure>
double MedianOf(const Runs& runs, Figure figure)
{
    std::vector<double> values;
    for (const auto& run : runs)
        values.push_back(figure(run));
    return Median(values);
}

void PrintRun(int n, const OurRoad& ours, const TsharkRun* tshark)
{
    std::printf("run %d: set-up %.3f s, open %.3f s, DPA scan %.3f s + page %.1f ms, FCF scan %.3f s + page %.1f ms, "
                "save %.3f s, reset %.1f ms; road %.3f s, peak %.0f MiB",
                n, ours.setUp, ours.open, ours.scan[0], 1000 * ours.page[0], ours.scan[1], 1000 * ours.page[1],
                ours.save, 1000 * ours.reset, ours.Whole(), MiB(ours.peakKiB));
    if (tshark != nullptr)
        std::printf(" | tshark %.3f s + %.3f s, peak %.0f MiB", tshark->seconds[0], tshark->seconds[1],
                    MiB(tshark->peakKiB));
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t packets = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (packets < 1 || runs < 1) {
        std::fprintf(stderr, "usage: packet_road_bench [packets [runs]]\n");
        return 2;
    }
    testsupport::TempFolder folder;
    RoadFiles files;
    const auto writeStart = Clock::now();
    if (!WriteRoadFiles(folder, packets, files))
        return 1;
    std::printf("%d IEEE 802.15.4 frames of PANs 0x%04X 0x%04X 0x%04X 0x%04X: %.1f %% data, %.1f %% "
                "acknowledgements, %.1f %% MAC commands, %.1f %% beacons; written in %.1f s\n",
                packets, benchsupport::RoadTraffic::kPans[0], benchsupport::RoadTraffic::kPans[1],
                benchsupport::RoadTraffic::kPans[2], benchsupport::RoadTraffic::kPans[3],
                100.0 * files.kinds[1] / packets, 100.0 * files.kinds[2] / packets, 100.0 * files.kinds[3] / packets,
                100.0 * files.kinds[0] / packets, Seconds(writeStart));
    std::printf("data file %.1f MB, capture file %.1f MB (link type %u); our filters \"%s\" and \"%s\", "
                "tshark's -Y '%s' and -Y '%s'\n",
                std::filesystem::file_size(files.dataFile) / 1e6, std::filesystem::file_size(files.capture) / 1e6,
                testsupport::PcapWriter::kLinkType, kQuestions[0].ours, kQuestions[1].ours, kQuestions[0].tshark,
                kQuestions[1].tshark);

    // tshark's counts come from runs of their own: the timed runs are the plain command.
    const std::string errorFile = folder / "tshark.err";
    const ChildRun probe = RunTshark({"-v"}, false, errorFile);
    const bool haveTshark = probe.started && probe.exitCode == 0;
    int64_t tsharkMatches[2] = {-1, -1};
    bool ok = true;
    if (!haveTshark) {
        std::printf("tshark not found: our road only\n");
    } else {
        for (int q = 0; q < 2; ++q) {
            const ChildRun counted = RunTshark(
                {"-r", files.capture, "-Y", kQuestions[q].tshark, "-T", "fields", "-e", "frame.number", "-e", "wpan.fcs_ok"},
                true, errorFile);
            if (!counted.started || counted.exitCode != 0) {
                std::fprintf(stderr, "tshark could not count \"%s\" (exit %d)\n", kQuestions[q].tshark, counted.exitCode);
                ShowErrors(errorFile);
                return 1;
            }
            tsharkMatches[q] = counted.lines;
            if (counted.flagged != 0) {
                std::printf("*** MISMATCH: tshark finds a bad FCS in %lld of the frames of \"%s\" ***\n",
                            static_cast<long long>(counted.flagged), kQuestions[q].tshark);
                ok = false;
            }
        }
    }

    std::vector<OurRoad> ours;
    std::vector<TsharkRun> theirs;
    const std::string savePath = folder / "saved.pld";
    for (int r = 0; r < runs; ++r) {
        OurRoad road;
        if (!RunOurRoad(files, savePath, r == 0, road))
            return 1;
        ours.push_back(road);
        TsharkRun tshark;
        if (haveTshark) {
            if (!RunTsharkRoad(files, errorFile, tshark))
                return 1;
            theirs.push_back(tshark);
        }
        PrintRun(r + 1, road, haveTshark ? &tshark : nullptr);
    }

    const OurRoad& first = ours.front();
    const auto med = [&](auto figure) { return MedianOf(ours, figure); };
    std::printf("\n%s of %d run%s, %d packets\n", runs > 1 ? "median" : "figures", runs, runs > 1 ? "s" : "", packets);
    const auto line = [](const char* side, const std::string& label, double seconds, bool rate, int32_t count) {
        std::printf("  %-7s%-46s %9.4f s", side, label.c_str(), seconds);
        if (rate && seconds > 0)
            std::printf("  (%.0f packets/s)", count / seconds);
        std::printf("\n");
    };
    line("ours", "set-up (plug-in, store, filter templates)", med([](const OurRoad& r) { return r.setUp; }), false, 0);
    line("", "open, decode and store", med([](const OurRoad& r) { return r.open; }), true, packets);
    for (int q = 0; q < 2; ++q) {
        line("", std::string("filter \"") + kQuestions[q].ours + "\" scan", med([q](const OurRoad& r) { return r.scan[q]; }),
             true, packets);
        line("", "  its first page (" + std::to_string(kPageRows) + " rows)", med([q](const OurRoad& r) { return r.page[q]; }),
             false, 0);
    }
    line("", "save " + std::to_string(packets) + " packets", med([](const OurRoad& r) { return r.save; }), true, packets);
    line("", "reset", med([](const OurRoad& r) { return r.reset; }), false, 0);
    const double toFirst = med([](const OurRoad& r) { return r.ToFirstAnswer(); });
    const double toBoth = med([](const OurRoad& r) { return r.ToBothAnswers(); });
    const double whole = med([](const OurRoad& r) { return r.Whole(); });
    line("", "road to the first answer (set-up to its page)", toFirst, false, 0);
    line("", "road to both answers", toBoth, false, 0);
    line("", "whole road (with save and reset)", whole, false, 0);
    const double ourPeak = med([](const OurRoad& r) { return static_cast<double>(r.peakKiB); });
    if (ourPeak >= 0)
        std::printf("  %-7s%-46s %9.0f MiB\n", "", "peak resident memory", MiB(static_cast<long>(ourPeak)));
    else
        std::printf("  %-7s%-46s cannot be told\n", "", "peak resident memory");
    if (haveTshark) {
        const double t0 = MedianOf(theirs, [](const TsharkRun& r) { return r.seconds[0]; });
        const double t1 = MedianOf(theirs, [](const TsharkRun& r) { return r.seconds[1]; });
        line("tshark", std::string("-Y '") + kQuestions[0].tshark + "'", t0, true, packets);
        line("", std::string("-Y '") + kQuestions[1].tshark + "'", t1, true, packets);
        std::printf("  %-7s%-46s %9.0f MiB\n", "", "peak resident memory",
                    MiB(static_cast<long>(MedianOf(theirs, [](const TsharkRun& r) { return double(r.peakKiB); }))));
        std::printf("  ratio tshark / ours: first answer %.2f, both answers %.2f, whole road against both tshark runs "
                    "%.2f\n",
                    t0 / toFirst, (t0 + t1) / toBoth, (t0 + t1) / whole);
    }

    std::printf("\nmatches (generated / ours / tshark):\n");
    if (first.opened != packets) {
        std::printf("*** MISMATCH: the store read %d of the %d packets ***\n", first.opened, packets);
        ok = false;
    }
    for (int q = 0; q < 2; ++q) {
        bool same = true;
        for (const OurRoad& r : ours)
            same = same && r.matches[q] == files.expected[q];
        same = same && (!haveTshark || tsharkMatches[q] == files.expected[q]);
        std::printf("  %-22s %d / %d / %s%s\n", kQuestions[q].what, files.expected[q], first.matches[q],
                    haveTshark ? std::to_string(tsharkMatches[q]).c_str() : "(no tshark)",
                    same ? "" : "   *** MISMATCH ***");
        ok = ok && same;
    }
    if (!first.savedSame) {
        std::printf("*** MISMATCH: the saved data file differs from the one opened ***\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
