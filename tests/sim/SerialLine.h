#pragma once

#include <QByteArray>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <termios.h>
#include <unistd.h>

// The tool's end of the line in the tests: the pad's terminal device opened raw, as a serial
// port would be, with what it receives collected in `received`.
class SerialLine {
public:
    explicit SerialLine(const QString &path) {
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios settings{};
        if (fd >= 0 && ::tcgetattr(fd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::cfsetspeed(&settings, B115200);
            ::tcsetattr(fd, TCSANOW, &settings);
        }
    }
    ~SerialLine() { Close(); }
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;

    bool IsOpen() const { return fd >= 0; }
    void Close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    bool Write(const QByteArray &bytes) {
        return fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads what has arrived so far; notes a hang-up of the far end.
    void ReadAvailable() {
        char buffer[4096];
        while (fd >= 0) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count > 0) {
                received.append(buffer, count);
                ++reads;
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else {
                if (count == 0 || errno != EAGAIN)
                    hungUp = true;
                return;
            }
        }
    }

    // Runs the event loop until `done` holds for what was received, the far end hangs up or the
    // timeout passes. Returns whether `done` holds.
    bool WaitFor(const std::function<bool(const QByteArray &)> &done, int timeoutMs = 5000) {
        ReadAvailable();
        if (done(received) || hungUp || fd < 0)
            return done(received);
        QEventLoop loop;
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
            ReadAvailable();
            if (done(received) || hungUp)
                loop.quit();
        });
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        return done(received);
    }
    bool WaitForBytes(qsizetype count, int timeoutMs = 5000) {
        return WaitFor([count](const QByteArray &got) { return got.size() >= count; }, timeoutMs);
    }
    bool WaitForEnd(const QByteArray &end, int timeoutMs = 5000) {
        return WaitFor([&end](const QByteArray &got) { return got.endsWith(end); }, timeoutMs);
    }
    bool WaitForHangUp(int timeoutMs = 5000) {
        WaitFor([this](const QByteArray &) { return hungUp; }, timeoutMs);
        return hungUp;
    }

    QByteArray Take() {
        const QByteArray got = received;
        received.clear();
        return got;
    }

    QByteArray received;
    int reads = 0;
    bool hungUp = false;

private:
    int fd = -1;
};

// The tests run with XDG_RUNTIME_DIR pointing into the build tree; the folder may not exist yet.
inline void MakeRuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        QDir().mkpath(runtime);
}
