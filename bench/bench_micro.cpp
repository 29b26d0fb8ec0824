// The tool's three hot paths, each beside a reference measured in the same run:
//  - frame assembly through the link's receive path over a realistic received stream, against
//    the line rate at 115200 bit/s;
//  - trace aggregation, messages per second into the trace over 16 to 8192 identifiers, against
//    a plain scan of the entries doing the same matching on the same input;
//  - the profile document on a full profile (64 frames of 8 bytes, 50 scheduler entries):
//    opening and reading it, writing and saving it, against pugixml doing the same to the file
//    alone, and the safe save against pugixml writing a temporary file that it syncs and renames
//    over the file, syncing the folder after. Every fsync and fdatasync of the program is counted
//    on the way to the C library, so each save reports how many it made.
//
//   bench_micro [Google Benchmark options]   (--benchmark_min_time=0.01 for a quick run)

#include "bench_row.h"
#include "core/link/lin_port.h"
#include "core/profiles/profile_document.h"
#include "core/trace/trace_list.h"
#include "profile_values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <pty.h>
#include <random>
#include <sstream>
#include <unistd.h>

namespace {

std::atomic<int> g_syncs{0};

template<typename Fn>
Fn nextSymbol(const char *name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

} // namespace

// Counted, then passed on to the C library.
extern "C" int fsync(int fd)
{
    static const auto real = nextSymbol<int (*)(int)>("fsync");
    ++g_syncs;
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    static const auto real = nextSymbol<int (*)(int)>("fdatasync");
    ++g_syncs;
    return real(fd);
}

using namespace vxl;
using vxl::test::fullProfileValues;
using vxl::test::ProfileValues;

namespace {

constexpr double kLineRateBytes = 115200.0 / 10.0; // 8N1: ten bits a byte
constexpr int kGoalIds = 2048;
constexpr std::uint32_t kSeed = 20261209;

// ---- frame assembly ------------------------------------------------------------------------

std::vector<std::uint8_t> frameBytes(std::uint8_t header, std::mt19937 &rng, bool goodChecksum)
{
    std::vector<std::uint8_t> bytes{kStartByte, header};
    std::uint8_t checksum = header;
    for (int i = 0; i < HeaderField(header, 2); ++i) {
        const auto byte = std::uint8_t(rng());
        bytes.push_back(byte);
        checksum ^= byte;
    }
    bytes.push_back(goodChecksum ? checksum : std::uint8_t(checksum ^ 0x5A));
    return bytes;
}

// What a busy line brings: the module's own messages (CAN and LIN traffic) with replies among
// them, now and then a message spoilt on the line or a stray byte, cut into blocks of random
// size as the reader happens to find them.
struct ReceivedStream
{
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> blocks;
};

ReceivedStream makeStream(std::size_t size)
{
    std::mt19937 rng(kSeed);
    ReceivedStream stream;
    while (stream.bytes.size() < size) {
        const unsigned roll = rng() % 1000;
        const int length = 1 + int(rng() % kMaxDataBytes);
        std::vector<std::uint8_t> bytes;
        if (roll < 2) {
            bytes = {0x55}; // the link purges what is waiting and starts again
        } else {
            const bool own = roll % 10 < 6;
            const int source = own ? 1 + int(rng() % 2) : int(rng() % 8); // CAN, LIN or sequence
            const auto header = std::uint8_t((own ? 0x80 : 0) | (source << 4) | length);
            bytes = frameBytes(header, rng, roll >= 12);
        }
        stream.bytes.insert(stream.bytes.end(), bytes.begin(), bytes.end());
    }
    for (std::size_t left = stream.bytes.size(); left > 0;) {
        const std::size_t block = std::min<std::size_t>(left, 1 + rng() % 512);
        stream.blocks.push_back(block);
        left -= block;
    }
    return stream;
}

// A link on a pseudo-terminal, so that a purge is the real one, fed the recorded stream
// through the same entry the reader thread uses.
class FedLink : public clsLinPort
{
public:
    using clsLinPort::clsLinPort;
    using clsSrlPort::ReceiveBlock;
};

class PtyLinkRig
{
public:
    PtyLinkRig()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        QFile::link(QString::fromLocal8Bit(name), m_dir.filePath(QStringLiteral("com1")));
        m_link = std::make_unique<FedLink>([this](unsigned, int, int) { ++notifications; },
                                           ComPortMap(
                                               ComPortRoots{m_dir.path(),
                                                            QString(),
                                                            QStringLiteral("/nonexistent")}));
        m_connected = m_link->Connect(1, 115200) == LinCode::Ok;
    }
    ~PtyLinkRig()
    {
        m_link.reset();
        for (int fd : {m_master, m_slave})
            if (fd >= 0)
                ::close(fd);
    }
    PtyLinkRig(const PtyLinkRig &) = delete;
    PtyLinkRig &operator=(const PtyLinkRig &) = delete;

    [[nodiscard]] bool connected() const { return m_connected; }
    FedLink &link() { return *m_link; }

    std::atomic<std::size_t> notifications{0};

private:
    QTemporaryDir m_dir;
    int m_master = -1;
    int m_slave = -1;
    std::unique_ptr<FedLink> m_link;
    bool m_connected = false;
};

void BM_FrameAssembly(benchmark::State &state)
{
    const ReceivedStream stream = makeStream(std::size_t(state.range(0)));
    PtyLinkRig rig;
    if (!rig.connected()) {
        state.SkipWithError("no pseudo-terminal for the link");
        return;
    }
    std::size_t delivered = 0;
    LIN_Msg msg;
    for (auto _ : state) {
        const std::uint8_t *at = stream.bytes.data();
        for (const std::size_t block : stream.blocks) {
            rig.link().ReceiveBlock(at, block);
            at += block;
            // The user-interface thread takes them as they come.
            while (rig.link().GetMessage(&msg) == LinCode::Ok)
                ++delivered;
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * stream.bytes.size()));
    state.counters["messages"] = double(delivered) / double(state.iterations());
}
BENCHMARK(BM_FrameAssembly)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// ---- trace aggregation ---------------------------------------------------------------------

// CAN frames of eight data bytes over `ids` identifiers (11-bit below 2048, 29-bit above), in
// random order with changing data, every identifier present.
std::vector<LIN_Msg> traceInput(int ids)
{
    std::mt19937 rng(kSeed);
    const std::size_t count = std::max<std::size_t>(16384, std::size_t(ids) * 4);
    std::vector<LIN_Msg> input;
    input.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto id = std::uint32_t(i < std::size_t(ids) ? i : rng() % std::uint32_t(ids));
        const bool extended = id >= 2048;
        LIN_Msg msg;
        msg.start = kStartByte;
        int at = 0;
        msg.data[std::size_t(at++)] = std::uint8_t((extended ? 0x80 : 0) | 8);
        for (int b = 0; b < (extended ? 4 : 2); ++b)
            msg.data[std::size_t(at++)] = std::uint8_t(id >> (8 * b));
        for (int b = 0; b < 8; ++b)
            msg.data[std::size_t(at++)] = std::uint8_t(rng());
        msg.count = at;
        msg.header = std::uint8_t(0x90 | at);
        input.push_back(msg);
    }
    return input;
}

// The matching as a plain scan: decode the whole message, walk the entries in order and update
// the first with the same source, type and code/ID, or append a new one.
class ScannedTrace
{
public:
    void Add(const LIN_Msg &msg, std::uint32_t tick)
    {
        clsDisplayEntry decoded = clsDisplayEntry::Decode(msg);
        for (clsDisplayEntry &entry : m_entries) {
            if (!entry.SameKey(decoded))
                continue;
            ++entry.count;
            entry.previousTime = entry.lastTime;
            entry.lastTime = tick;
            entry.SetLatest(msg);
            return;
        }
        decoded.previousTime = decoded.lastTime = tick;
        decoded.count = 1;
        m_entries.push_back(std::move(decoded));
    }
    [[nodiscard]] std::size_t Count() const { return m_entries.size(); }

private:
    std::vector<clsDisplayEntry> m_entries;
};

// Every identifier has its entry before the clock starts: the steady state of a flood.
template<typename Trace, typename AddFn>
void runTrace(benchmark::State &state, Trace &trace, AddFn add)
{
    const int ids = int(state.range(0));
    const std::vector<LIN_Msg> input = traceInput(ids);
    std::uint32_t tick = 0;
    for (int i = 0; i < ids; ++i)
        add(trace, input[std::size_t(i)], tick++);
    std::size_t next = 0;
    for (auto _ : state) {
        add(trace, input[next], tick++);
        next = next + 1 == input.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}

void BM_TraceIndex(benchmark::State &state)
{
    TraceList trace;
    runTrace(state, trace, [](TraceList &t, const LIN_Msg &msg, std::uint32_t tick) {
        benchmark::DoNotOptimize(&t.AddTraceEntry(msg, tick));
    });
    if (trace.Count() != state.range(0))
        state.SkipWithError("the trace does not hold one entry per identifier");
}

void BM_TraceScan(benchmark::State &state)
{
    ScannedTrace trace;
    runTrace(state, trace, [](ScannedTrace &t, const LIN_Msg &msg, std::uint32_t tick) {
        t.Add(msg, tick);
    });
    if (trace.Count() != std::size_t(state.range(0)))
        state.SkipWithError("the scan does not hold one entry per identifier");
}

void traceSizes(benchmark::internal::Benchmark *b)
{
    for (int ids : {16, 128, 1024, kGoalIds, 8192})
        b->Arg(ids);
}
BENCHMARK(BM_TraceIndex)->Apply(traceSizes);
BENCHMARK(BM_TraceScan)->Apply(traceSizes);

// ---- profile document ----------------------------------------------------------------------

class ProfileFiles
{
public:
    ProfileFiles()
    {
        clsVLINXMLProfile doc;
        m_ok = doc.WriteAll(values.baudrate, values.can, values.lin) && doc.SaveAs(path("full"));
    }
    [[nodiscard]] bool ok() const { return m_ok; }
    [[nodiscard]] QString path(const char *name) const
    {
        return m_dir.filePath(QString::fromLatin1(name) + QStringLiteral(".vxlin"));
    }
    [[nodiscard]] std::string localPath(const char *name) const
    {
        return QFile::encodeName(path(name)).toStdString();
    }
    // A copy of the full profile of its own.
    [[nodiscard]] QString copy(const char *name) const
    {
        QFile::remove(path(name));
        QFile::copy(path("full"), path(name));
        return path(name);
    }

    const ProfileValues values = fullProfileValues();

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

const ProfileFiles &profileFiles()
{
    static const ProfileFiles files;
    return files;
}

constexpr unsigned kPugiParse = pugi::parse_default | pugi::parse_declaration
                                | pugi::parse_comments;
constexpr unsigned kPugiFormat = pugi::format_indent | pugi::format_write_bom;

void BM_ProfileOpenRead(benchmark::State &state)
{
    const ProfileFiles &files = profileFiles();
    clsVLINXMLProfile doc;
    ProfileValues read;
    for (auto _ : state) {
        if (!doc.OpenFile(files.path("full")) || !doc.ReadAll(&read.baudrate, &read.can, &read.lin))
            state.SkipWithError("the profile does not read");
    }
    if (read.lin.SchedulerEntries != files.values.lin.SchedulerEntries
        || read.lin.FrameLengths != files.values.lin.FrameLengths
        || read.lin.Frames[kFrameCount - 1].Data != files.values.lin.Frames[kFrameCount - 1].Data)
        state.SkipWithError("the profile read back differs");
}

void BM_PugiLoad(benchmark::State &state)
{
    const std::string path = profileFiles().localPath("full");
    pugi::xml_document doc;
    for (auto _ : state) {
        if (!doc.load_file(path.c_str(), kPugiParse))
            state.SkipWithError("pugixml does not load the profile");
    }
}

void BM_ProfileWriteSave(benchmark::State &state)
{
    const ProfileFiles &files = profileFiles();
    clsVLINXMLProfile doc;
    if (!doc.OpenFile(files.copy("saved"))) {
        state.SkipWithError("the profile does not open");
        return;
    }
    const int syncsBefore = g_syncs;
    for (auto _ : state) {
        if (!doc.WriteAll(files.values.baudrate, files.values.can, files.values.lin) || !doc.Save())
            state.SkipWithError("the profile does not save");
    }
    state.counters["syncs"] = double(g_syncs - syncsBefore) / double(state.iterations());
}

void BM_PugiSave(benchmark::State &state)
{
    const ProfileFiles &files = profileFiles();
    pugi::xml_document doc;
    doc.load_file(files.localPath("full").c_str(), kPugiParse);
    const std::string path = QFile::encodeName(files.copy("pugi")).toStdString();
    for (auto _ : state) {
        if (!doc.save_file(path.c_str(), "  ", kPugiFormat, pugi::encoding_utf16_le))
            state.SkipWithError("pugixml does not save the profile");
    }
}

// What promises as much after a crash: the new bytes in a temporary file beside the profile,
// synced, renamed over it, and the folder synced so that the new name survives.
class FdWriter : public pugi::xml_writer
{
public:
    explicit FdWriter(int fd)
        : m_fd(fd)
    {}
    void write(const void *data, size_t size) override
    {
        const auto *bytes = static_cast<const char *>(data);
        while (m_ok && size > 0) {
            const ssize_t n = ::write(m_fd, bytes, size);
            if (n < 0 && errno == EINTR)
                continue;
            m_ok = n > 0;
            bytes += n > 0 ? n : 0;
            size -= n > 0 ? size_t(n) : 0;
        }
    }
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    int m_fd;
    bool m_ok = true;
};

bool pugiSafeSave(const pugi::xml_document &doc, const std::string &path, const std::string &folder)
{
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    FdWriter writer(fd);
    doc.save(writer, "  ", kPugiFormat, pugi::encoding_utf16_le);
    const bool written = writer.ok() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0)
        return false;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0)
        ::close(dir);
    return synced;
}

void BM_PugiSafeSave(benchmark::State &state)
{
    const ProfileFiles &files = profileFiles();
    pugi::xml_document doc;
    doc.load_file(files.localPath("full").c_str(), kPugiParse);
    const QString copy = files.copy("pugisafe");
    const std::string path = QFile::encodeName(copy).toStdString();
    const std::string folder = QFile::encodeName(QFileInfo(copy).absolutePath()).toStdString();
    const int syncsBefore = g_syncs;
    for (auto _ : state) {
        if (!pugiSafeSave(doc, path, folder))
            state.SkipWithError("pugixml does not save the profile safely");
    }
    state.counters["syncs"] = double(g_syncs - syncsBefore) / double(state.iterations());
}

// Both again without the file: what the document's own code costs.
void BM_ProfileWriteSerialize(benchmark::State &state)
{
    const ProfileFiles &files = profileFiles();
    clsVLINXMLProfile doc;
    doc.OpenFile(files.path("full"));
    // As between two saves in the editor: one value edited, here a data byte of the next frame.
    LIN_Group lin = files.values.lin;
    int frame = 0;
    for (auto _ : state) {
        lin.Frames[std::size_t(frame)].Data[0] ^= 1;
        frame = (frame + 1) % kFrameCount;
        doc.WriteAll(files.values.baudrate, files.values.can, lin);
        benchmark::DoNotOptimize(doc.Serialize());
    }
}

void BM_PugiSerialize(benchmark::State &state)
{
    pugi::xml_document doc;
    doc.load_file(profileFiles().localPath("full").c_str(), kPugiParse);
    for (auto _ : state) {
        std::ostringstream out;
        doc.save(out, "  ", kPugiFormat, pugi::encoding_utf16_le);
        benchmark::DoNotOptimize(out.str());
    }
}

BENCHMARK(BM_ProfileOpenRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PugiLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProfileWriteSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PugiSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PugiSafeSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProfileWriteSerialize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PugiSerialize)->Unit(benchmark::kMicrosecond);

// ---- the rows ------------------------------------------------------------------------------

// The console's report, and each run kept by name for the rows.
class KeepingReporter : public benchmark::ConsoleReporter
{
public:
    // Without colours: the output goes to a log that scripts/bench.sh reads.
    KeepingReporter()
        : ConsoleReporter(OO_Tabular)
    {}
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_runs[run.benchmark_name()] = run;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    [[nodiscard]] const Run *find(const std::string &name) const
    {
        const auto found = m_runs.find(name);
        return found == m_runs.end() ? nullptr : &found->second;
    }
    [[nodiscard]] double counter(const std::string &name, const char *counter) const
    {
        const Run *run = find(name);
        return run ? double(run->counters.at(counter)) : 0;
    }
    // Wall time where waiting for the disk is part of the cost, else the thread's processor
    // time, which a busy machine disturbs less.
    [[nodiscard]] double seconds(const std::string &name, bool wall = false) const
    {
        const Run *run = find(name);
        if (!run)
            return 0;
        return (wall ? run->real_accumulated_time : run->cpu_accumulated_time)
               / double(run->iterations);
    }

private:
    std::map<std::string, Run> m_runs;
};

using bench::Format;
using bench::PrintRow;

void frameRow(const KeepingReporter &r)
{
    if (!r.find("BM_FrameAssembly/1048576"))
        return;
    const double rate = r.counter("BM_FrameAssembly/1048576", "bytes_per_second");
    const double ratio = rate / kLineRateBytes;
    PrintRow({"frame assembly through the link's receive path",
              Format("%.1f MB/s", rate / 1e6),
              "line rate 11.52 kB/s (115200 bit/s)",
              ratio,
              true,
              "≥ 10,000 ×",
              ratio >= 10000});
}

void traceRows(const KeepingReporter &r)
{
    double first = 0, last = 0;
    for (int ids : {16, 128, 1024, kGoalIds, 8192}) {
        const std::string arg = "/" + std::to_string(ids);
        if (!r.find("BM_TraceIndex" + arg) || !r.find("BM_TraceScan" + arg))
            continue;
        const double indexed = r.counter("BM_TraceIndex" + arg, "items_per_second");
        const double scanned = r.counter("BM_TraceScan" + arg, "items_per_second");
        first = first > 0 ? first : indexed;
        last = indexed;
        const bool goal = ids == kGoalIds;
        PrintRow({"trace aggregation, " + std::to_string(ids) + " ids",
                  Format("%.3g msg/s", indexed),
                  Format("%.3g msg/s (plain scan)", scanned),
                  indexed / scanned,
                  true,
                  goal ? "≥ 50 ×" : "",
                  !goal || indexed / scanned >= 50});
    }
    if (first > 0 && last > 0) {
        PrintRow({"trace aggregation, 8192 ids against 16 ids (flat)",
                  Format("%.3g msg/s", last),
                  Format("%.3g msg/s", first),
                  last / first,
                  true,
                  "≥ 0.5 ×",
                  last / first >= 0.5});
    }
}

// A row of the profile document beside its pugixml reference; an empty goal makes it a row for
// information.
struct ProfileRowSpec
{
    std::string figure;
    std::string ours;
    std::string reference;
    std::string referenceText;
    bool wall = false;
    std::string goal;
    double limit = 0;
};

std::string syncsOf(const KeepingReporter &r, const std::string &name)
{
    const benchmark::BenchmarkReporter::Run *run = r.find(name);
    if (!run || run->counters.find("syncs") == run->counters.end())
        return {};
    return Format(", %.0f syncs", double(run->counters.at("syncs")));
}

void profileRow(const KeepingReporter &r, const ProfileRowSpec &row)
{
    if (!r.find(row.ours) || !r.find(row.reference))
        return;
    const double ours = r.seconds(row.ours, row.wall);
    const double reference = r.seconds(row.reference, row.wall);
    PrintRow(
        {row.figure + (row.wall ? " (wall time)" : " (processor time)"),
         Format("%.0f µs", ours * 1e6) + syncsOf(r, row.ours),
         Format("%.0f µs", reference * 1e6) + syncsOf(r, row.reference) + " " + row.referenceText,
         ours / reference,
         true,
         row.goal,
         row.goal.empty() || ours / reference <= row.limit});
}

// Opening, reading, writing and saving the full profile, all in wall time.
void combinedRow(const KeepingReporter &r,
                 const char *referenceSave,
                 const std::string &referenceText,
                 const std::string &goal)
{
    const char *all[] = {"BM_ProfileOpenRead", "BM_ProfileWriteSave", "BM_PugiLoad", referenceSave};
    if (!std::all_of(std::begin(all), std::end(all), [&r](const char *n) { return r.find(n); }))
        return;
    const double ours = r.seconds(all[0], true) + r.seconds(all[1], true);
    const double pugi = r.seconds(all[2], true) + r.seconds(referenceSave, true);
    PrintRow({"profile document: open + ReadAll, WriteAll + Save (64 frames, 50 entries; wall "
              "time)",
              Format("%.0f µs", ours * 1e6) + syncsOf(r, all[1]),
              Format("%.0f µs", pugi * 1e6) + syncsOf(r, referenceSave) + " " + referenceText,
              ours / pugi,
              true,
              goal,
              goal.empty() || ours / pugi <= 2});
}

void profileRows(const KeepingReporter &r)
{
    // Against a plain save_file, which promises nothing after a crash: for information.
    combinedRow(r, "BM_PugiSave", "(pugixml load_file + save_file)", "");
    combinedRow(r,
                "BM_PugiSafeSave",
                "(pugixml load_file + temporary file, fsync, rename, folder fsync)",
                "≤ 2 ×");
    profileRow(r,
               {"profile: open + ReadAll",
                "BM_ProfileOpenRead",
                "BM_PugiLoad",
                "(pugixml load_file)",
                false,
                "≤ 2 ×",
                2});
    profileRow(r,
               {"profile: WriteAll + Save",
                "BM_ProfileWriteSave",
                "BM_PugiSave",
                "(pugixml save_file, no promise after a crash)",
                true,
                "",
                0});
    profileRow(r,
               {"profile: WriteAll + safe Save",
                "BM_ProfileWriteSave",
                "BM_PugiSafeSave",
                "(pugixml temporary file, fsync, rename, folder fsync)",
                true,
                "≤ 3 ×",
                3});
    profileRow(r,
               {"profile: WriteAll after one edit + serialise, no file",
                "BM_ProfileWriteSerialize",
                "BM_PugiSerialize",
                "(pugixml save to memory)",
                false,
                "≤ 1.5 ×",
                1.5});
}

} // namespace

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    if (!profileFiles().ok()) {
        std::fprintf(stderr, "bench_micro: the full profile could not be written\n");
        return 2;
    }
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    frameRow(reporter);
    traceRows(reporter);
    profileRows(reporter);
    benchmark::Shutdown();
    return 0;
}
