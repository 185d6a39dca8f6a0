#include "link/SerialDevice.h"

#include "link/HangUpWatch.h"
#include "link/OpenProbe.h"

namespace vorlin {

bool SerialDevice::CanOpen(const QString &devicePath) {
    if (!Open(devicePath)) {
        ClearError();
        return false;
    }
    Close();
    return true;
}

QtSerialDevice::QtSerialDevice(QObject *parent) : SerialDevice(parent) {
    connect(&port, &QSerialPort::readyRead, this, &SerialDevice::ReadyRead);
    connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // Qt may notice a hung-up line before the watch does, and then tells it in the system's
        // words: on Unix for whatever errno was left behind (EAGAIN, ENOENT, ...), on Windows
        // for the aborted wait. The cause is the same whoever is first, and so are the words.
        if (watch && watch->IsHangUp(error))
            hungUp = true;
        Q_EMIT ErrorOccurred(error);
    });
}

bool QtSerialDevice::Open(const QString &devicePath) {
    port.setPortName(devicePath);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    hungUp = false;
    watch = new HangUpWatch(port.handle(), this);
    connect(watch, &HangUpWatch::HungUp, this, [this] {
        hungUp = true;
        Q_EMIT ErrorOccurred(QSerialPort::ResourceError);
    });
    return true;
}

void QtSerialDevice::StopWatching() {
    if (!watch)
        return;
    watch->Stop();
    // The watch may be the one telling of the hang-up that brought us here.
    watch->deleteLater();
    watch = nullptr;
}

bool QtSerialDevice::CanOpen(const QString &devicePath) {
    if (const std::optional<bool> quick = QuickOpenProbe(devicePath))
        return *quick;
    return SerialDevice::CanOpen(devicePath);
}

void QtSerialDevice::Close() {
    StopWatching();
    if (port.isOpen())
        port.close();
}

bool QtSerialDevice::IsOpen() const {
    return port.isOpen();
}

bool QtSerialDevice::SetLine(qint32 baudRate, QSerialPort::Parity parity,
                             QSerialPort::DataBits dataBits, QSerialPort::StopBits stopBits) {
    return port.setBaudRate(baudRate) && port.setParity(parity) && port.setDataBits(dataBits) &&
           port.setStopBits(stopBits);
}

qint64 QtSerialDevice::Write(const QByteArray &data) {
    return port.write(data);
}

bool QtSerialDevice::Flush() {
    return port.flush();
}

QByteArray QtSerialDevice::Read(qint64 maxSize) {
    return maxSize > 0 ? port.read(maxSize) : port.readAll();
}

void QtSerialDevice::Discard(QSerialPort::Directions directions) {
    port.clear(directions);
    if (directions.testFlag(QSerialPort::Input))
        port.readAll();
}

QSerialPort::SerialPortError QtSerialDevice::Error() const {
    return hungUp ? QSerialPort::ResourceError : port.error();
}

QString QtSerialDevice::ErrorText() const {
    return hungUp ? HangUpWatch::Reason() : port.errorString();
}

void QtSerialDevice::ClearError() {
    hungUp = false;
    port.clearError();
}

} // namespace vorlin
