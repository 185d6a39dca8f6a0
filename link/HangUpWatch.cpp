#include "link/HangUpWatch.h"

#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/ioctl.h>
#endif

namespace vorlin {

#ifndef Q_OS_WIN
namespace {

// Whether the terminal behind the open descriptor handle is hung up now.
bool IsHungUp(HangUpWatch::Handle handle) {
    // Bytes waiting: a live line, told by one call, as almost every time the line is readable.
    // A line that no longer answers the question (EIO) has gone.
    int waiting = 0;
    if (::ioctl(handle, FIONREAD, &waiting) != 0)
        return true;
    if (waiting > 0)
        return false;
    pollfd line{handle, POLLIN, 0};
    if (::poll(&line, 1, 0) != 1)
        return false;
    if (line.revents & (POLLHUP | POLLERR | POLLNVAL))
        return true;
    // Readable with nothing to read is the zero-byte read of a line that has gone; a live
    // terminal is readable only with at least one byte waiting (asked again, after the poll).
    if (line.revents & POLLIN)
        return ::ioctl(handle, FIONREAD, &waiting) != 0 || waiting == 0;
    return false;
}

} // namespace
#endif

HangUpWatch::HangUpWatch(Handle handle, QObject *parent) : QObject(parent), lineHandle(handle) {
#ifndef Q_OS_WIN
    if (handle < 0)
        return;
    notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        if (LineHungUp()) {
            Stop();
            Q_EMIT HungUp();
        }
    });
#endif
}

bool HangUpWatch::LineHungUp() const {
#ifndef Q_OS_WIN
    return lineHandle >= 0 && IsHungUp(lineHandle);
#else
    return false;
#endif
}

bool HangUpWatch::IsHangUp(QSerialPort::SerialPortError error) const {
    switch (error) {
    case QSerialPort::ResourceError:
        return true;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        return LineHungUp();
    default:
        return false;
    }
}

HangUpWatch::~HangUpWatch() = default;

void HangUpWatch::Stop() {
    if (!notifier)
        return;
    notifier->setEnabled(false);
}

QString HangUpWatch::Reason() {
    return QStringLiteral("设备已挂断");
}

} // namespace vorlin
