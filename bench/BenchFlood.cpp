// What the real window does when the line floods it with garbage: a forked child process writes
// pseudo-random bytes into the benchmark's pseudo-terminal as fast as the window reads them, for
// the given time, then one well-formed full report. The window (offscreen, port open, as after a
// click on 连接) has to keep its memory flat, its event loop responsive, and still apply that last
// report.
//
// The garbage comes from a fixed seed, so every run sends the same bytes. Most of it is random,
// with "[[", "]]", "done", "!!", "||", " + ", "group1" to "group4" and digit runs sprinkled in,
// so the framer cuts out short reports and acknowledgements and the decoder rejects real-looking
// fields. One block in eight has no "]]" and no "done" for 96 KiB, so reports run past the
// framer's 64 KiB limit and are dropped. The flood ends with "]]" (closing whatever report the
// garbage left open) followed by the factory-state report.
//
// The child also reads and drops what the window writes ("getsettings"), so neither side blocks.
// It stops after the duration (with an alarm as a backstop) and dies with the benchmark
// (PR_SET_PDEATHSIG); the benchmark kills and reaps it on every way out of main.
//
// Every 500 ms the benchmark samples its own resident set (/proc/self/statm), its own CPU time
// (getrusage RUSAGE_SELF, which does not include the child) and the bytes the child has written
// (a counter in a shared anonymous mapping). The gap between two sampling ticks shows whether
// the event loop stayed responsive.
//
// Exits non-zero when the resident set grew by more than 20 MiB or the last report was not
// applied, so it also serves as a check (run by hand; not part of ctest).
//
// Usage: bench_flood [seconds, default 10]
#include "app/Main.h"
#include "bench/BenchSupport.h"
#include "link/SerialPort.h"
#include "sim/PadState.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorlin::bench;

namespace {

constexpr char kProgram[] = "bench_flood";
constexpr double kMaxGrowthMiB = 20.0;
constexpr int kSampleMs = 500;
// After the flood: how long the window may take to work through what is still in the line.
constexpr int kSettleMs = 15000;
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::size_t kLongBlockBytes = 96 * 1024;
constexpr std::uint64_t kSeed = 0x5eed'f100'd000'0001ULL;

// Written by the child, read by the benchmark; lives in a shared anonymous mapping.
struct FloodCounters {
    std::atomic<std::uint64_t> written{0};     // bytes into the line, final report included
    std::atomic<std::uint64_t> drained{0};     // bytes the window wrote, read by the child
    std::atomic<std::int64_t> startNs{0};      // CLOCK_MONOTONIC when the flood began
    std::atomic<std::int64_t> garbageEndNs{0}; // when the last garbage byte was taken
    std::atomic<std::int64_t> finishedNs{0};   // when the final report had been taken
    std::atomic<int> failed{0};                // the child could not write the final report
};
static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
static_assert(std::atomic<std::int64_t>::is_always_lock_free);

std::int64_t MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// xorshift64*: fast, and the same sequence on every run.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed) {}
    std::uint64_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }

private:
    std::uint64_t state;
};

// The next block of garbage. About one position in 64 gets a token instead of a random byte.
void NextBlock(Random &random, std::string &block) {
    static const char *const kTokens[] = {"[[",  "]]",     "done",   "!!",     "||",
                                          " + ", "group1", "group2", "group3", "group4"};
    const bool longReports = random.Next() % 8 == 0;
    const std::size_t size = longReports ? kLongBlockBytes : kBlockBytes;
    block.clear();
    while (block.size() < size) {
        const std::uint64_t r = random.Next();
        if ((r & 63) != 0) {
            block.push_back(char(r >> 56));
            continue;
        }
        const unsigned pick = unsigned(r >> 8) % 11;
        if (pick == 10) {
            // A run of 1 to 4 digits, as in a key code.
            for (unsigned digits = 1 + unsigned(r >> 20) % 4, i = 0; i < digits; ++i)
                block.push_back(char('0' + unsigned(r >> (24 + 4 * i)) % 10));
            continue;
        }
        const std::string token = kTokens[pick];
        if (longReports && (token == "]]" || token == "done"))
            block += "!!";
        else
            block += token;
    }
}

// Writes what it can of `pending` from `*at` on and reads whatever the window wrote, waiting at
// most 100 ms for either. The master is non-blocking.
void Exchange(int master, const std::string &pending, std::size_t *at, FloodCounters *counters) {
    pollfd fd{master, short(POLLIN | (*at < pending.size() ? POLLOUT : 0)), 0};
    if (::poll(&fd, 1, 100) <= 0)
        return;
    if (fd.revents & POLLIN) {
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0)
            counters->drained += std::uint64_t(got);
    }
    if ((fd.revents & POLLOUT) && *at < pending.size()) {
        const ssize_t put = ::write(master, pending.data() + *at, pending.size() - *at);
        if (put > 0) {
            *at += std::size_t(put);
            counters->written += std::uint64_t(put);
        }
    }
}

// The child: waits for the go on `start`, floods for `seconds`, sends `finalText`, exits.
[[noreturn]] void Flood(int master, int start, FloodCounters *counters, int seconds,
                        const std::string &finalText, pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(3);
    // A backstop in case anything below waits longer than planned.
    ::alarm(unsigned(seconds) + 90);

    pollfd go{start, POLLIN, 0};
    char byte = 0;
    if (::poll(&go, 1, 60'000) != 1 || ::read(start, &byte, 1) != 1)
        ::_exit(2);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    const std::int64_t begin = MonotonicNs();
    counters->startNs = begin;
    const std::int64_t end = begin + std::int64_t(seconds) * 1'000'000'000;
    Random random(kSeed);
    std::string block;
    std::size_t at = 0;
    while (MonotonicNs() < end) {
        if (at == block.size()) {
            NextBlock(random, block);
            at = 0;
        }
        Exchange(master, block, &at, counters);
    }
    counters->garbageEndNs = MonotonicNs();

    at = 0;
    const std::int64_t giveUp = MonotonicNs() + std::int64_t(kSettleMs) * 1'000'000;
    while (at < finalText.size() && MonotonicNs() < giveUp)
        Exchange(master, finalText, &at, counters);
    if (at < finalText.size()) {
        counters->failed = 1;
        ::_exit(1);
    }
    counters->finishedNs = MonotonicNs();
    ::_exit(0);
}

// Kills (if still running) and reaps the child when main returns, whichever way.
class ChildGuard {
public:
    explicit ChildGuard(pid_t pid) : pid(pid) {}
    ChildGuard(const ChildGuard &) = delete;
    ChildGuard &operator=(const ChildGuard &) = delete;
    ~ChildGuard() { Reap(); }

    // Returns the child's wait status.
    int Reap() {
        if (pid > 0) {
            if (::waitpid(pid, &status, WNOHANG) == 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
            }
            pid = -1;
        }
        return status;
    }

private:
    pid_t pid;
    int status = 0;
};

double ResidentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const double pages = statm.readAll().split(' ').value(1).toDouble();
    return pages * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The kernel's high-water mark of the resident set, which also catches peaks between samples.
double PeakResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char **argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (seconds <= 0 || seconds > 3600) {
        std::fprintf(stderr, "usage: bench_flood [seconds, default 10]\n");
        return 2;
    }

    // Everything the child needs is set up before the fork, while the process has one thread.
    Line line(kProgram);
    if (!line.Open()) {
        std::fprintf(stderr, "%s: cannot open a pseudo-terminal: %s\n", kProgram,
                     std::strerror(errno));
        return 1;
    }
    const vorlin::sim::PadState factory;
    const QByteArray report = vorlin::sim::BuildReport(factory, false);
    const std::string finalText = "]]" + report.toStdString();

    void *shared = ::mmap(nullptr, sizeof(FloodCounters), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        std::fprintf(stderr, "%s: mmap: %s\n", kProgram, std::strerror(errno));
        return 1;
    }
    FloodCounters *counters = new (shared) FloodCounters;
    int start[2];
    if (::pipe2(start, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "%s: pipe: %s\n", kProgram, std::strerror(errno));
        return 1;
    }
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "%s: fork: %s\n", kProgram, std::strerror(errno));
        return 1;
    }
    if (child == 0) {
        ::close(start[1]);
        Flood(line.MasterFd(), start[0], counters, seconds, finalText, parent);
    }
    ChildGuard guard(child);
    ::close(start[0]);

    DefaultToOffscreen();
    QApplication app(argc, argv);

    AheadClock clock;
    // Count every box, print only the first few of each kind.
    PrintedBoxes boxes(kProgram, 3);
    const std::unique_ptr<Main> windowOwner =
        ShowWindow(std::make_unique<OnePort>(line.SlavePath()), clock, boxes);
    Main &window = *windowOwner;
    if (!ConnectWindow(window, clock, kProgram, line.SlavePath())) {
        ::close(start[1]);
        return 1;
    }
    const QString expected = window.Keys().CodesToNames(factory.layers[0].at(4));

    int applied = 0;
    int rejected = 0;
    std::int64_t appliedNs = 0;
    QEventLoop loop;
    QObject::connect(&window, &Main::ReportApplied, &loop, [&] {
        ++applied;
        appliedNs = MonotonicNs();
        if (counters->finishedNs.load() != 0)
            loop.quit();
    });
    QObject::connect(&window, &Main::ReportRejected, &loop, [&] { ++rejected; });

    const QByteArray loadBefore = LoadAverage();
    const double rssStart = ResidentMiB();
    const double cpuStart = CpuSeconds();
    const std::int64_t wallStart = MonotonicNs();
    double rssMax = rssStart;
    double cpuAtGarbageEnd = -1;
    std::int64_t wallAtGarbageEnd = 0;
    double maxGapMs = 0;
    std::int64_t lastTick = wallStart;
    std::uint64_t lastWritten = 0;
    double lastCpu = cpuStart;

    std::printf("%s: window on %s, %d s of garbage, then the factory report (%lld bytes); "
                "load average %s\n",
                kProgram, qPrintable(line.SlavePath()), seconds, qlonglong(report.size()),
                loadBefore.constData());
    std::printf("  %6s  %10s  %8s  %7s  %8s  %7s  %8s\n", "t s", "flooded MB", "MB/s", "CPU %",
                "RSS MiB", "notices", "rejected");

    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    sampler.setInterval(kSampleMs);
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        const std::int64_t now = MonotonicNs();
        maxGapMs = std::max(maxGapMs, double(now - lastTick) / 1e6);
        const double rss = ResidentMiB();
        rssMax = std::max(rssMax, rss);
        const double cpu = CpuSeconds();
        const std::uint64_t written = counters->written.load();
        const double interval = double(now - lastTick) / 1e9;
        std::printf("  %6.1f  %10.2f  %8.2f  %7.1f  %8.1f  %7d  %8d\n",
                    double(now - wallStart) / 1e9, double(written) / 1e6,
                    double(written - lastWritten) / 1e6 / interval,
                    100.0 * (cpu - lastCpu) / interval, rss, boxes.notices, rejected);
        std::fflush(stdout);
        if (counters->garbageEndNs.load() == 0) {
            cpuAtGarbageEnd = cpu;
            wallAtGarbageEnd = now;
        }
        lastTick = now;
        lastWritten = written;
        lastCpu = cpu;
        const bool finished = counters->finishedNs.load() != 0;
        if ((finished && appliedNs > counters->finishedNs.load()) || counters->failed.load() ||
            now - wallStart > std::int64_t(seconds * 1000 + kSettleMs) * 1'000'000)
            loop.quit();
    });

    if (::write(start[1], "g", 1) != 1) {
        std::fprintf(stderr, "%s: cannot start the flood: %s\n", kProgram, std::strerror(errno));
        return 1;
    }
    ::close(start[1]);
    sampler.start();
    loop.exec();
    sampler.stop();
    // Let the window finish what the last notification started (repaint, control states).
    Pause(200);

    const double rssEnd = ResidentMiB();
    rssMax = std::max(rssMax, rssEnd);
    const double rssPeak = PeakResidentMiB();
    const int childStatus = guard.Reap();

    const std::int64_t floodStart = counters->startNs.load();
    const std::int64_t garbageEnd = counters->garbageEndNs.load();
    const std::int64_t finished = counters->finishedNs.load();
    const std::uint64_t written = counters->written.load();
    const double floodSeconds =
        garbageEnd > floodStart ? double(garbageEnd - floodStart) / 1e9 : 0.0;
    const double cpuPercent =
        cpuAtGarbageEnd >= 0 && wallAtGarbageEnd > wallStart
            ? 100.0 * (cpuAtGarbageEnd - cpuStart) / (double(wallAtGarbageEnd - wallStart) / 1e9)
            : 0.0;
    const QString shown = window.group1value[4]->text();
    const bool finalApplied = finished != 0 && appliedNs > finished && shown == expected;
    const double growth = rssMax - rssStart;

    std::printf("%s (%d s, load average %s before, %s after)\n", kProgram, seconds,
                loadBefore.constData(), LoadAverage().constData());
    std::printf("  flooded: %llu bytes in %.2f s = %.2f MB/s (the pseudo-terminal takes what the "
                "window reads); the window wrote %llu bytes\n",
                static_cast<unsigned long long>(written), floodSeconds,
                floodSeconds > 0 ? double(written) / 1e6 / floodSeconds : 0.0,
                static_cast<unsigned long long>(counters->drained.load()));
    std::printf("  window CPU during the flood: %.1f %% of one core (getrusage of the benchmark "
                "only)\n",
                cpuPercent);
    std::printf("  RSS: start %.1f MiB, max %.1f MiB (sampled), end %.1f MiB; growth %.1f MiB "
                "(limit %.0f); kernel peak VmHWM %.1f MiB\n",
                rssStart, rssMax, rssEnd, growth, kMaxGrowthMiB, rssPeak);
    std::printf("  boxes requested: %d notices, %d warnings; reports rejected: %d, applied: %d\n",
                boxes.notices, boxes.warnings, rejected, applied);
    if (finalApplied)
        std::printf("  final report: applied %.1f ms after its last byte was taken; slot 5 of "
                    "layer 1 shows \"%s\"\n",
                    double(appliedNs - finished) / 1e6, qPrintable(shown));
    else
        std::printf("  final report: NOT applied (child %s; slot 5 of layer 1 shows \"%s\", "
                    "expected \"%s\")\n",
                    finished != 0 ? "sent it" : "could not send it", qPrintable(shown),
                    qPrintable(expected));
    std::printf("  event loop: sampling timer every %d ms, max gap between ticks %.1f ms\n",
                kSampleMs, maxGapMs);
    if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0)
        std::printf("  flooding child ended abnormally (wait status %d)\n", childStatus);

    const bool ok = finalApplied && growth <= kMaxGrowthMiB;
    std::printf("  result: %s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
