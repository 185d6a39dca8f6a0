// How long the real window takes from the last byte of a settings report entering the serial
// line to all 56 slot boxes filled (Main::ReportApplied). The benchmark holds the master side of
// a pseudo-terminal and the window opens its slave side as port 1, exactly as it opens a pad.
//
// Each iteration writes a full-form report whose slot contents are rotated, so every box really
// changes. The report goes out in three shapes:
//   - one write();
//   - 64-byte writes back to back;
//   - 64-byte writes about 6 ms apart, the pace at which a USB serial adapter hands over 64-byte
//     chunks of a 115200-baud line.
// t0 is taken right after the write of the last byte returns, t1 in a handler connected directly
// to ReportApplied. Alongside: when the last receive notification had been handled (the bytes
// framed), and when the event loop was idle again (the window repainted).
//
// A last section times the receive notification's drain loop on its own (SerialPort::Input until
// empty, into the framer), with the window's InputLen of 1 and with InputLen 0 (all at once).
//
// Usage: bench_report_latency [iterations, default 200]
#include "app/Main.h"
#include "bench/BenchSupport.h"
#include "keys/KeyTable.h"
#include "link/SerialPort.h"
#include "protocol/MessageFramer.h"
#include "protocol/SettingsReport.h"
#include "sim/PadState.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

using namespace vorlin::bench;

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

SteadyTime Now() {
    return std::chrono::steady_clock::now();
}

double Microseconds(SteadyTime from, SteadyTime to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

constexpr qsizetype kChunkBytes = 64;
// 64 bytes at 115200 baud (10 bits a byte) take 5.56 ms; timers count whole milliseconds.
constexpr int kChunkPaceMs = 6;
constexpr double kMicrosecondsPerByte = 10.0 * 1e6 / 115200.0;

// The pad's factory settings with every layer's slots rotated by `turn`, the reported layer,
// the RGB and enable flags unchanged: a full-form report whose 56 slot texts differ from the
// previous turn's.
QByteArray Report(int turn) {
    vorlin::sim::PadState state;
    for (QStringList &layer : state.layers)
        std::rotate(layer.begin(), layer.begin() + turn % layer.size(), layer.end());
    return vorlin::sim::BuildReport(state, false);
}

// Runs everything the event loop has to do now, without waiting.
void RunUntilIdle() {
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (int round = 0; round < 1000 && dispatcher->processEvents(QEventLoop::AllEvents); ++round) {
    }
}

void Print(const char *what, const std::vector<double> &values) {
    const Percentiles p = Summarise(values);
    std::printf("  %-46s median %7.0f  p90 %7.0f  p99 %7.0f  max %7.0f  (min %.0f, mean %.0f) µs\n",
                what, p.median, p.p90, p.p99, p.max, p.min, p.mean);
}

// Notes when the window's receive poll (Timer1) starts, before the window sees its tick.
class PollWatch final : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Timer)
            started = Now();
        return false;
    }
    SteadyTime started;
};

enum class Shape { OneWrite, ChunksBackToBack, ChunksPaced };

struct Timings {
    std::vector<double> applied;       // last byte written -> ReportApplied
    std::vector<double> framed;        // last byte written -> last receive notification handled
    std::vector<double> toPoll;        // last receive notification handled -> poll tick starts
    std::vector<double> inPoll;        // poll tick starts -> ReportApplied (decode and fill)
    std::vector<double> idle;          // last byte written -> event loop idle (repainted)
    std::vector<double> notifications; // receive notifications per report
};

bool Run(Main &window, const Line &line, Shape shape, int iterations, int firstTurn,
         Timings &timings) {
    SteadyTime lastRead;
    int notifications = 0;
    const QMetaObject::Connection onComm =
        QObject::connect(window.MSComm1, &vorlin::SerialPort::OnComm, &window, [&] {
            lastRead = Now();
            ++notifications;
        });
    PollWatch poll;
    window.Timer1->installEventFilter(&poll);

    bool ok = true;
    for (int i = 0; i < iterations && ok; ++i) {
        const QByteArray report = Report(firstTurn + i);
        line.Drain();
        notifications = 0;
        SteadyTime t0, t1, pollStart;
        bool applied = false;
        QEventLoop loop;
        const QMetaObject::Connection onApplied =
            QObject::connect(&window, &Main::ReportApplied, &loop, [&] {
                t1 = Now();
                pollStart = poll.started;
                applied = true;
                loop.quit();
            });
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(5000);

        QTimer pacer;
        qsizetype at = 0; // the paced writer's position
        switch (shape) {
        case Shape::OneWrite:
            ok = line.Write(report.constData(), report.size());
            t0 = Now();
            break;
        case Shape::ChunksBackToBack:
            for (qsizetype from = 0; from < report.size() && ok; from += kChunkBytes)
                ok = line.Write(report.constData() + from,
                                std::min(kChunkBytes, report.size() - from));
            t0 = Now();
            break;
        case Shape::ChunksPaced: {
            pacer.setTimerType(Qt::PreciseTimer);
            pacer.setInterval(kChunkPaceMs);
            const auto next = [&] {
                const qsizetype size = std::min(kChunkBytes, report.size() - at);
                ok = ok && line.Write(report.constData() + at, size);
                at += size;
                if (at >= report.size()) {
                    t0 = Now();
                    pacer.stop();
                }
            };
            QObject::connect(&pacer, &QTimer::timeout, &loop, next);
            next();
            if (at < report.size())
                pacer.start();
            break;
        }
        }
        if (ok)
            loop.exec();
        QObject::disconnect(onApplied);
        if (!applied) {
            std::fprintf(stderr, "bench_report_latency: report %d was not applied\n", i);
            ok = false;
            break;
        }
        RunUntilIdle();
        const SteadyTime t2 = Now();

        // Every box must show the new report.
        const QString expected =
            window.Keys().CodesToNames(vorlin::sim::PadState().layers[0].at((firstTurn + i) % 14));
        if (window.group1value[0]->text() != expected) {
            std::fprintf(stderr, "bench_report_latency: slot 1 shows \"%s\", expected \"%s\"\n",
                         qPrintable(window.group1value[0]->text()), qPrintable(expected));
            ok = false;
        }

        timings.applied.push_back(Microseconds(t0, t1));
        timings.framed.push_back(Microseconds(t0, lastRead));
        timings.toPoll.push_back(Microseconds(lastRead, pollStart));
        timings.inPoll.push_back(Microseconds(pollStart, t1));
        timings.idle.push_back(Microseconds(t0, t2));
        timings.notifications.push_back(notifications);
        // A short gap, as between two real reports (which come seconds apart).
        Pause(2);
    }
    QObject::disconnect(onComm);
    window.Timer1->removeEventFilter(&poll);
    return ok;
}

void PrintTimings(const char *title, const Timings &timings) {
    std::printf("%s (%zu reports, load average %s)\n", title, timings.applied.size(),
                LoadAverage().constData());
    Print("last byte written -> 56 boxes filled", timings.applied);
    Print("  of which: -> last receive notification done", timings.framed);
    Print("  then: -> the poll timer's tick starts", timings.toPoll);
    Print("  then: tick -> filled (decode, fill boxes)", timings.inPoll);
    Print("last byte written -> window repainted", timings.idle);
    const Percentiles n = Summarise(timings.notifications);
    std::printf("  receive notifications per report: median %.0f, max %.0f\n", n.median, n.max);
    std::fflush(stdout);
}

// Times the receive notification's drain loop (the window's OnComm) on a standalone serial
// component over a second pseudo-terminal.
void TimeDrainLoop(const QByteArray &report, int iterations) {
    Line line("bench_report_latency");
    if (!line.Open()) {
        std::fprintf(stderr, "bench_report_latency: no second pseudo-terminal\n");
        return;
    }
    vorlin::SerialPort port(std::make_unique<OnePort>(line.SlavePath()));
    port.SetCommPort(1);
    if (!port.SetPortOpen(true) || !port.SetSettings(QStringLiteral("115200,N,8,1"))) {
        std::fprintf(stderr, "bench_report_latency: cannot open %s\n",
                     qPrintable(line.SlavePath()));
        return;
    }
    for (int inputLen : {1, 0}) {
        port.SetInputLen(inputLen);
        std::vector<double> perReport;
        for (int i = 0; i < iterations; ++i) {
            vorlin::MessageFramer framer;
            qsizetype received = 0;
            double spent = 0;
            QEventLoop loop;
            const QMetaObject::Connection connection =
                QObject::connect(&port, &vorlin::SerialPort::OnComm, &loop, [&] {
                    const SteadyTime start = Now();
                    for (QByteArray chunk = port.Input(); !chunk.isEmpty(); chunk = port.Input()) {
                        received += chunk.size();
                        framer.Append(chunk);
                    }
                    spent += Microseconds(start, Now());
                    if (received >= report.size())
                        loop.quit();
                });
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            line.Write(report.constData(), report.size());
            loop.exec();
            QObject::disconnect(connection);
            if (received != report.size() || !framer.Next()) {
                std::fprintf(stderr, "bench_report_latency: drain loop got %lld bytes\n",
                             qlonglong(received));
                return;
            }
            perReport.push_back(spent);
        }
        const Percentiles p = Summarise(perReport);
        std::printf("  InputLen %d: median %.1f µs, p90 %.1f µs per %lld-byte report (%.0f ns a "
                    "byte)\n",
                    inputLen, p.median, p.p90, qlonglong(report.size()),
                    p.median * 1000.0 / double(report.size()));
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    DefaultToOffscreen();
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 200;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: bench_report_latency [iterations]\n");
        return 2;
    }

    Line line("bench_report_latency");
    if (!line.Open()) {
        std::fprintf(stderr, "bench_report_latency: cannot open a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return 1;
    }

    AheadClock clock;
    PrintedBoxes boxes("bench_report_latency");
    const std::unique_ptr<Main> windowOwner =
        ShowWindow(std::make_unique<OnePort>(line.SlavePath()), clock, boxes);
    Main &window = *windowOwner;
    if (!ConnectWindow(window, clock, "bench_report_latency", line.SlavePath()))
        return 1;
    const QByteArray request = line.Drain();
    std::printf("window on %s, it asked for \"%s\"\n", qPrintable(line.SlavePath()),
                request.constData());

    const QByteArray sample = Report(0);
    std::printf("full-form report: %lld bytes, %.1f ms on the wire at 115200 baud (%.1f µs a "
                "byte)\n",
                qlonglong(sample.size()), sample.size() * kMicrosecondsPerByte / 1000.0,
                kMicrosecondsPerByte);
    {
        const vorlin::KeyTable keys;
        std::vector<double> decode;
        for (int i = 0; i < 200; ++i) {
            const QByteArray report = Report(i);
            const SteadyTime start = Now();
            const vorlin::DecodedReport decoded = vorlin::DecodeReport(keys, report);
            decode.push_back(Microseconds(start, Now()));
            if (!decoded.report)
                return 1;
        }
        std::printf("decoding one such report alone (DecodeReport): median %.0f µs\n",
                    Summarise(decode).median);
    }

    // Warm-up: first paint of every page's boxes, caches.
    Timings warmUp;
    if (!Run(window, line, Shape::OneWrite, 20, 0, warmUp))
        return 1;

    Timings one, burst, paced;
    if (!Run(window, line, Shape::OneWrite, iterations, 1, one))
        return 1;
    PrintTimings("one write()", one);
    if (!Run(window, line, Shape::ChunksBackToBack, iterations, 2, burst))
        return 1;
    PrintTimings("64-byte writes back to back", burst);
    if (!Run(window, line, Shape::ChunksPaced, iterations, 3, paced))
        return 1;
    PrintTimings("64-byte writes 6 ms apart", paced);

    std::printf("receive notification drain loop alone (Input() until empty, into the framer):\n");
    TimeDrainLoop(sample, iterations);
    return boxes.warnings == 0 ? 0 : 1;
}
