// Pieces the window benchmarks share: a clock running ahead so the send pacing lets the first
// command out at once, message boxes that print and count instead of blocking, the benchmark's
// own pseudo-terminal as the window's only port, and small measuring helpers.
#pragma once

#include "app/Main.h"
#include "app/MessageBoxes.h"
#include "link/PortDirectory.h"
#include "protocol/SendPacing.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>

#include <vector>

namespace vorlin::bench {

// Sets QT_QPA_PLATFORM=offscreen unless the caller chose a platform; call before QApplication.
void DefaultToOffscreen();

// The steady clock moved forwards by hand, so the window's pacing lets the first command out
// without waiting out the start-up interval in real time.
class AheadClock final : public vorlin::Clock {
public:
    qint64 NowMs() const override;
    void Advance(qint64 ms) { aheadMs += ms; }

private:
    qint64 aheadMs = 0;
};

// A message box would stop the benchmark; say what it would have shown instead, on standard
// error with the program's name, and count the boxes. With a print limit, only the first that
// many boxes of each kind are printed (a flood can ask for thousands); all are counted.
class PrintedBoxes final : public vorlin::MessageBoxes {
public:
    explicit PrintedBoxes(const char *program, int printLimit = -1)
        : program(program), printLimit(printLimit) {}
    void Inform(QWidget *, const QString &text) override;
    void Warn(QWidget *, const QString &text) override;

    int notices = 0;
    int warnings = 0;

private:
    const char *program;
    int printLimit;
};

// The benchmark's pseudo-terminal as the only port, port 1.
class OnePort final : public vorlin::PortDirectory {
public:
    explicit OnePort(QString device) : device(std::move(device)) {}

protected:
    QList<vorlin::SystemPort> SystemPorts() const override;
    QList<vorlin::VirtualPort> VirtualPorts() const override { return {}; }

private:
    QString device;
};

// The master side of a raw pseudo-terminal at 115200 baud. The benchmark also keeps the slave
// open, so the line does not hang up while the window opens and closes the port during its
// start-up scan.
class Line {
public:
    explicit Line(const char *program) : program(program) {}
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;
    ~Line();

    bool Open();

    // One write() of all the bytes; false (and a message) when the kernel took fewer.
    bool Write(const char *data, qsizetype size) const;

    // Reads and returns what the window wrote, without waiting.
    QByteArray Drain() const;

    QString SlavePath() const { return slavePath; }
    int MasterFd() const { return master; }

private:
    const char *program;
    int master = -1;
    int slave = -1;
    QString slavePath;
};

struct Percentiles {
    double median, p90, p99, max, min, mean;
};

// Nearest-rank percentiles of a non-empty sample.
Percentiles Summarise(std::vector<double> values);

// The 1, 5 and 15 minute load averages from /proc/loadavg, or "?".
QByteArray LoadAverage();

// Runs the event loop for the given time.
void Pause(int ms);

// The window as the benchmarks run it: the given ports, the ahead clock, printing boxes; shown.
std::unique_ptr<Main> ShowWindow(std::unique_ptr<vorlin::PortDirectory> ports, AheadClock &clock,
                                 PrintedBoxes &boxes);

// Connects the window to its first port past the start-up pacing and lets it send its request.
// False, with a message naming `device`, when the port did not open.
bool ConnectWindow(Main &window, AheadClock &clock, const char *program, const QString &device);

} // namespace vorlin::bench
