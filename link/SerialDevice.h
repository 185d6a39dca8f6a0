#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>

namespace vorlin {

// The device under the serial component: what SerialPort needs of a serial line, shaped like
// QIODevice and QSerialPort. The real one is QtSerialDevice; tests put in devices that fail on
// demand, which no pseudo-terminal can be made to do.
class SerialDevice : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool Open(const QString &devicePath) = 0;
    virtual void Close() = 0;
    // Whether Open would succeed now; the device is left closed and without an error. Opens
    // and closes it unless the device knows a cheaper way.
    virtual bool CanOpen(const QString &devicePath);
    virtual bool IsOpen() const = 0;
    // Line settings of the open device; false when the device refuses any of them.
    virtual bool SetLine(qint32 baudRate, QSerialPort::Parity parity,
                         QSerialPort::DataBits dataBits, QSerialPort::StopBits stopBits) = 0;
    // Queues the bytes; returns how many were taken, or -1.
    virtual qint64 Write(const QByteArray &data) = 0;
    // Hands queued bytes to the driver now.
    virtual bool Flush() = 0;
    // At most maxSize waiting bytes; all that wait when maxSize is 0.
    virtual QByteArray Read(qint64 maxSize) = 0;
    // Drops what waits to be sent or read.
    virtual void Discard(QSerialPort::Directions directions) = 0;

    virtual QSerialPort::SerialPortError Error() const = 0;
    // The system's words for the last error.
    virtual QString ErrorText() const = 0;
    virtual void ClearError() = 0;

Q_SIGNALS:
    void ReadyRead();
    void ErrorOccurred(QSerialPort::SerialPortError error);
};

class HangUpWatch;

// The system's serial device, through QSerialPort, with a watch for a line that hangs up (which
// QSerialPort does not tell on every Qt version): a hang-up is told as a ResourceError.
class QtSerialDevice final : public SerialDevice {
    Q_OBJECT

public:
    explicit QtSerialDevice(QObject *parent = nullptr);

    bool Open(const QString &devicePath) override;
    void Close() override;
    // Without QSerialPort's lock file where that tells the same (link/OpenProbe.h).
    bool CanOpen(const QString &devicePath) override;
    bool IsOpen() const override;
    bool SetLine(qint32 baudRate, QSerialPort::Parity parity, QSerialPort::DataBits dataBits,
                 QSerialPort::StopBits stopBits) override;
    qint64 Write(const QByteArray &data) override;
    bool Flush() override;
    QByteArray Read(qint64 maxSize) override;
    void Discard(QSerialPort::Directions directions) override;
    QSerialPort::SerialPortError Error() const override;
    QString ErrorText() const override;
    void ClearError() override;

private:
    void StopWatching();

    QSerialPort port;
    QPointer<HangUpWatch> watch;
    bool hungUp = false;
};

} // namespace vorlin
