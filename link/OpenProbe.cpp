#include "link/OpenProbe.h"

#include <QDir>
#include <QFile>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace vorlin {

#ifdef Q_OS_WIN

std::optional<bool> QuickOpenProbe(const QString &) {
    return std::nullopt;
}

#else

std::optional<bool> QuickOpenProbe(const QString &devicePath) {
    // The folders QSerialPort takes its lock file from; it uses the first readable one that
    // holds the lock or can be written. A lock file in any of them sends the question to it.
    static const QStringList folders = {QStringLiteral("/var/lock"),
                                        QStringLiteral("/etc/locks"),
                                        QStringLiteral("/var/spool/locks"),
                                        QStringLiteral("/var/spool/uucp"),
                                        QStringLiteral("/tmp"),
                                        QStringLiteral("/var/tmp"),
                                        QStringLiteral("/var/lock/lockdev"),
                                        QStringLiteral("/run/lock"),
                                        QDir::tempPath()};
    QString name = devicePath.startsWith(QLatin1String("/dev/")) ? devicePath.mid(5) : devicePath;
    name.replace(u'/', u'_');
    bool lockable = false;
    for (const QString &folder : folders) {
        if (::access(QFile::encodeName(folder + QStringLiteral("/LCK..") + name), F_OK) == 0)
            return std::nullopt;
        lockable = lockable || ::access(QFile::encodeName(folder), R_OK | W_OK) == 0;
    }
    if (!lockable)
        return std::nullopt;

    // The open QSerialPort makes, then the line settings it applies (raw, 9600 baud, 8 data
    // bits), which are put back before closing, as QSerialPort does on close.
    const int fd = ::open(QFile::encodeName(devicePath).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios saved{};
    bool usable = ::tcgetattr(fd, &saved) == 0;
    if (usable) {
        termios line = saved;
        ::cfmakeraw(&line);
        line.c_cflag |= CLOCAL | CREAD;
        usable = ::cfsetispeed(&line, B9600) == 0 && ::cfsetospeed(&line, B9600) == 0 &&
                 ::tcsetattr(fd, TCSANOW, &line) == 0;
        ::tcsetattr(fd, TCSANOW, &saved);
    }
    ::close(fd);
    return usable;
}

#endif

} // namespace vorlin
