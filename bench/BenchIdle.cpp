// What the running tool costs while nothing happens: CPU time and wake-ups of the real window,
// offscreen, over an interval of idle event loop, with the port closed and with the port open
// to a simulated pad that has sent its report and then stays quiet. For comparison, the same
// process with a 1 ms repeating timer that does nothing (the cost of polling the line all the
// time).
//
// A focused line edit blinks its text cursor twice a second whatever the link does, so the port
// states are measured twice: with the focus where start-up or the mouse click left it, and with
// no focus (as when the window is in the background), which leaves only the link's own cost.
//
// The pad runs as a separate vorlin-pad-sim process, so every figure is the tool's own: CPU time
// and context switches from getrusage(RUSAGE_SELF), event-loop wake-ups from the dispatcher's
// awake signal, and Qt timer events counted by an application event filter.
//
// Usage: bench_idle [seconds per state, default 20] [path of vorlin-pad-sim]
#include "app/Main.h"
#include "bench/BenchSupport.h"
#include "link/PortDirectory.h"
#include "link/SerialPort.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

using namespace vorlin::bench;

namespace {

// Lists the one pad this benchmark started and nothing else, whatever else runs on the machine.
class OnePad final : public vorlin::PortDirectory {
public:
    OnePad(QString name, QString device) : name(std::move(name)), device(std::move(device)) {}

protected:
    QList<vorlin::SystemPort> SystemPorts() const override { return {}; }
    QList<vorlin::VirtualPort> VirtualPorts() const override { return {{name, device}}; }

private:
    QString name;
    QString device;
};

// Counts the timer events the application delivers, by receiver.
class TimerEventCounter final : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Timer) {
            ++total;
            QByteArray who = watched->metaObject()->className();
            if (!watched->objectName().isEmpty())
                who += " \"" + watched->objectName().toUtf8() + "\"";
            else if (watched->parent())
                who += QByteArray(" in ") + watched->parent()->metaObject()->className();
            ++byReceiver[who];
        }
        return false;
    }
    void Reset() {
        total = 0;
        byReceiver.clear();
    }

    quint64 total = 0;
    QMap<QByteArray, quint64> byReceiver;
};

struct Usage {
    double cpuSeconds = 0;
    long voluntarySwitches = 0;
    long involuntarySwitches = 0;
    // The scheduler's run time summed over the process's threads, in nanoseconds, and the
    // number of threads.
    double runNs = 0;
    int threads = 0;
};

Usage Now() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    Usage now{seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_nvcsw, usage.ru_nivcsw};
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly)) {
            now.runNs += schedstat.readAll().split(' ').value(0).toDouble();
            ++now.threads;
        }
    }
    return now;
}

QString FocusName() {
    const QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return QStringLiteral("none");
    QString name = QString::fromLatin1(focus->metaObject()->className());
    for (const QWidget *w = focus; w; w = w->parentWidget())
        if (!w->objectName().isEmpty()) {
            name += QStringLiteral(" of ") + w->objectName();
            break;
        }
    return name;
}

// What a mouse click on a button does: focus moves to the button, then it is clicked.
void Click(QPushButton *button) {
    button->setFocus(Qt::MouseFocusReason);
    button->click();
}

quint64 awakenings = 0;

void Measure(const char *state, int seconds, TimerEventCounter &timers) {
    timers.Reset();
    awakenings = 0;
    const Usage before = Now();
    QElapsedTimer wall;
    wall.start();
    Pause(seconds * 1000);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const Usage after = Now();

    const double cpu = after.cpuSeconds - before.cpuSeconds;
    const long voluntary = after.voluntarySwitches - before.voluntarySwitches;
    const long involuntary = after.involuntarySwitches - before.involuntarySwitches;
    const double run = (after.runNs - before.runNs) / 1e9;
    std::printf("%s (%.1f s, load average %s)\n", state, elapsed, LoadAverage().constData());
    std::printf("  focus: %s; %d threads\n", qPrintable(FocusName()), after.threads);
    std::printf("  CPU: %.1f ms = %.3f %% of one core (getrusage)", cpu * 1e3,
                100.0 * cpu / elapsed);
    // A thread that ended meanwhile takes its run time out of the sum.
    if (after.threads == before.threads)
        std::printf("; scheduler run time %.1f ms = %.3f %%\n", run * 1e3, 100.0 * run / elapsed);
    else
        std::printf("; scheduler run time not comparable (%d threads before)\n", before.threads);
    std::printf("  context switches: %.2f/s voluntary, %.2f/s involuntary (%ld + %ld)\n",
                voluntary / elapsed, involuntary / elapsed, voluntary, involuntary);
    std::printf("  event-loop wake-ups: %.2f/s (%llu)\n", awakenings / elapsed,
                static_cast<unsigned long long>(awakenings));
    std::printf("  Qt timer events: %.2f/s (%llu)\n", timers.total / elapsed,
                static_cast<unsigned long long>(timers.total));
    // The benchmark's own end-of-interval timer is one of them.
    std::vector<std::pair<quint64, QByteArray>> sources;
    for (auto it = timers.byReceiver.cbegin(); it != timers.byReceiver.cend(); ++it)
        sources.emplace_back(it.value(), it.key());
    std::sort(sources.rbegin(), sources.rend());
    for (const auto &[count, who] : sources)
        std::printf("    %8llu  %s\n", static_cast<unsigned long long>(count), who.constData());
    std::fflush(stdout);
}

// A vorlin-pad-sim process: its standard output goes to a pipe from which the first two lines
// (terminal device and link) are read.
struct PadProcess {
    pid_t pid = -1;
    int output = -1;
    QString device;
    QString link;

    bool Start(const QString &program, const QString &name) {
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        const std::string path = program.toStdString();
        const std::string nameArg = name.toStdString();
        std::vector<char *> argv = {
            const_cast<char *>(path.c_str()),    const_cast<char *>("--instant"),
            const_cast<char *>("--no-stdin"),    const_cast<char *>("--name"),
            const_cast<char *>(nameArg.c_str()), nullptr};
        const int failed =
            ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        output = fds[0];
        if (failed != 0) {
            pid = -1;
            return false;
        }
        // The two lines arrive at once when the pad is ready; the pipe stays open (unread)
        // afterwards so the pad never writes into a closed pipe.
        QByteArray text;
        char buffer[512];
        while (text.count('\n') < 2) {
            const ssize_t got = ::read(output, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            text.append(buffer, got);
        }
        const QByteArrayList lines = text.split('\n');
        device = QString::fromLocal8Bit(lines[0]);
        link = QString::fromLocal8Bit(lines[1]);
        return true;
    }

    ~PadProcess() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        if (output >= 0)
            ::close(output);
    }
};

} // namespace

int main(int argc, char **argv) {
    DefaultToOffscreen();
    QApplication app(argc, argv);

    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: bench_idle [seconds per state] [vorlin-pad-sim]\n");
        return 2;
    }
    const QString simulator = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                       : QCoreApplication::applicationDirPath() + "/vorlin-pad-sim";

    PadProcess pad;
    const QString name = QStringLiteral("bench-idle-%1").arg(::getpid());
    if (!pad.Start(simulator, name)) {
        std::fprintf(stderr, "bench_idle: cannot start %s\n", qPrintable(simulator));
        return 1;
    }
    std::printf("simulated pad: pid %d, %s -> %s\n", int(pad.pid), qPrintable(pad.link),
                qPrintable(pad.device));

    TimerEventCounter timers;
    app.installEventFilter(&timers);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &app,
                     [] { ++awakenings; });

    AheadClock clock;
    PrintedBoxes boxes("bench_idle");
    const std::unique_ptr<Main> windowOwner =
        ShowWindow(std::make_unique<OnePad>(name, pad.link), clock, boxes);
    Main &window = *windowOwner;
    // Let start-up settle: first paint, the first look at the closed port.
    Pause(1000);

    // At start-up the port box's editor has the focus and its text cursor blinks.
    Measure("port closed, never connected, start-up focus", seconds, timers);
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    Pause(1000);
    Measure("port closed, never connected, no focus (nothing blinks)", seconds, timers);

    clock.Advance(3000);
    bool applied = false;
    QObject::connect(&window, &Main::ReportApplied, &app, [&applied] { applied = true; });
    Click(window.Command1);
    if (!window.MSComm1->PortOpen()) {
        std::fprintf(stderr, "bench_idle: the port did not open\n");
        return 1;
    }
    QElapsedTimer waiting;
    waiting.start();
    while (!applied && waiting.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!applied) {
        std::fprintf(stderr, "bench_idle: no report within 10 s\n");
        return 1;
    }
    Pause(1000);
    // Wherever the click left the focus.
    Measure("port open, report applied, line quiet, focus as the click left it", seconds, timers);
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    Pause(1000);
    Measure("port open, report applied, line quiet, no focus", seconds, timers);

    {
        QTimer poll;
        poll.setInterval(1);
        QObject::connect(&poll, &QTimer::timeout, &app, [] {});
        poll.start();
        Measure("port open, no focus, plus a 1 ms repeating QTimer doing nothing (for comparison)",
                seconds, timers);
    }

    Click(window.Command2);
    Pause(1000);
    if (window.MSComm1->PortOpen()) {
        std::fprintf(stderr, "bench_idle: the port did not close\n");
        return 1;
    }
    Measure("port closed after disconnecting, focus as the click left it", seconds, timers);
    return boxes.warnings == 0 ? 0 : 1;
}
