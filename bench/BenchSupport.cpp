#include "bench/BenchSupport.h"

#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vorlin::bench {

void DefaultToOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

qint64 AheadClock::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count() +
           aheadMs;
}

void PrintedBoxes::Inform(QWidget *, const QString &text) {
    if (printLimit < 0 || notices < printLimit)
        std::fprintf(stderr, "%s: notice: %s\n", program, qPrintable(text));
    ++notices;
}

void PrintedBoxes::Warn(QWidget *, const QString &text) {
    if (printLimit < 0 || warnings < printLimit)
        std::fprintf(stderr, "%s: warning: %s\n", program, qPrintable(text));
    ++warnings;
}

QList<vorlin::SystemPort> OnePort::SystemPorts() const {
    return {{device, QStringLiteral("bench pseudo-terminal"), false}};
}

Line::~Line() {
    if (slave >= 0)
        ::close(slave);
    if (master >= 0)
        ::close(master);
}

bool Line::Open() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return false;
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0)
        return false;
    termios settings{};
    if (::tcgetattr(master, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B115200);
    if (::tcsetattr(master, TCSANOW, &settings) != 0)
        return false;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    slavePath = QString::fromLocal8Bit(name);
    return slave >= 0;
}

bool Line::Write(const char *data, qsizetype size) const {
    const ssize_t written = ::write(master, data, size_t(size));
    if (written != ssize_t(size)) {
        std::fprintf(stderr, "%s: write of %lld bytes gave %zd (%s)\n", program, qlonglong(size),
                     written, std::strerror(errno));
        return false;
    }
    return true;
}

QByteArray Line::Drain() const {
    QByteArray text;
    char buffer[256];
    const int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    ::fcntl(master, F_SETFL, flags);
    return text;
}

Percentiles Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min(values.size() - 1, size_t(q * double(values.size() - 1) + 0.5))];
    };
    double sum = 0;
    for (double value : values)
        sum += value;
    return {at(0.5), at(0.9), at(0.99), values.back(), values.front(), sum / double(values.size())};
}

QByteArray LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "?";
    const QByteArrayList fields = file.readAll().split(' ');
    if (fields.size() < 3)
        return "?";
    return QByteArray(fields[0] + ' ' + fields[1] + ' ' + fields[2]);
}

void Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::unique_ptr<Main> ShowWindow(std::unique_ptr<vorlin::PortDirectory> ports, AheadClock &clock,
                                 PrintedBoxes &boxes) {
    Main::Dependencies dependencies;
    dependencies.ports = std::move(ports);
    dependencies.clock = &clock;
    dependencies.messageBoxes = &boxes;
    auto window = std::make_unique<Main>(std::move(dependencies));
    window->show();
    return window;
}

bool ConnectWindow(Main &window, AheadClock &clock, const char *program, const QString &device) {
    Pause(200);
    clock.Advance(10'000);
    window.Command1->click();
    if (!window.MSComm1->PortOpen()) {
        std::fprintf(stderr, "%s: the window did not open %s\n", program, qPrintable(device));
        return false;
    }
    Pause(200);
    return true;
}

} // namespace vorlin::bench
