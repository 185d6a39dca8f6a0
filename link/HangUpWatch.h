#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <utility>

class QSocketNotifier;

namespace vorlin {

// Tells when the terminal under an open serial device has been hung up: the USB converter was
// unplugged, or the far end of a pseudo-terminal closed. Such a line reads as zero bytes with
// POLLHUP, or fails with EIO, for ever. Since Qt 6.5 QSerialPort takes a zero-byte read for
// "nothing to read" and raises no error, while its read notifier goes on firing, so the tool
// would spin without ever noticing. The watch looks at the line itself whenever it is readable.
// Where the system has no such terminals (Windows), it never fires.
class HangUpWatch : public QObject {
    Q_OBJECT

public:
    // The system's handle of an open port: a descriptor on Unix, a HANDLE on Windows.
    using Handle = decltype(std::declval<const QSerialPort &>().handle());

    // Watches the open descriptor handle until Stop or destruction.
    HangUpWatch(Handle handle, QObject *parent = nullptr);
    ~HangUpWatch() override;

    // Whether an error that QSerialPort raised on the open port is this hang-up, told in the
    // system's words. A resource error is Qt's own word for a device that went away (the only
    // word Windows gives); a read or write error is one when the line says so.
    bool IsHangUp(QSerialPort::SerialPortError error) const;

    // Stops watching, also from inside HungUp. A watch may be deleted inside HungUp only with
    // deleteLater: it is still in its notifier's signal.
    void Stop();

    // The words for a hang-up, in the window's language.
    static QString Reason();

Q_SIGNALS:
    void HungUp();

private:
    // Whether the line has hung up now, asked of the line itself; false where the system has no
    // such terminals.
    bool LineHungUp() const;

    Handle lineHandle;
    QSocketNotifier *notifier = nullptr;
};

} // namespace vorlin
