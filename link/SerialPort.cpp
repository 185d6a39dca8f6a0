#include "link/SerialPort.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace vorlin {

OpenFailure ClassifyOpenFailure(QSerialPort::SerialPortError error, bool deviceExists,
                                bool accessDenied) {
    switch (error) {
    case QSerialPort::NoError:
        return OpenFailure::None;
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NoSuchPort;
    case QSerialPort::PermissionError:
        // Qt reports a port locked by another program as a permission error too; only the
        // device's own access rights tell the two apart.
        if (!deviceExists)
            return OpenFailure::NoSuchPort;
        return accessDenied ? OpenFailure::PermissionDenied : OpenFailure::Busy;
    case QSerialPort::OpenError:
        return OpenFailure::Busy;
    default:
        return deviceExists ? OpenFailure::Other : OpenFailure::NoSuchPort;
    }
}

SerialPort::SerialPort(std::unique_ptr<PortDirectory> directory, QObject *parent)
    : QObject(parent), directory(std::move(directory)) {
    connect(&port, &QSerialPort::readyRead, this, &SerialPort::OnComm);
    connect(&port, &QSerialPort::errorOccurred, this, &SerialPort::HandleError);
}

SerialPort::~SerialPort() = default;

bool SerialPort::SetPortOpen(bool open) {
    if (!open) {
        if (port.isOpen())
            port.close();
        return true;
    }
    if (port.isOpen())
        return true;

    lastOpenFailure = OpenFailure::None;
    lastErrorText.clear();
    const std::optional<PortEntry> entry = directory->Find(commPort);
    if (!entry) {
        lastOpenFailure = OpenFailure::NoSuchPort;
        return false;
    }
    devicePath = entry->devicePath;
    deviceDescription = entry->description;
    port.setPortName(devicePath);
    if (port.open(QIODevice::ReadWrite))
        return true;

    const QByteArray path = QFile::encodeName(entry->devicePath);
    const bool exists = QFileInfo::exists(entry->devicePath);
    const bool denied = exists && ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
    lastOpenFailure = ClassifyOpenFailure(port.error(), exists, denied);
    lastErrorText = port.errorString();
    port.clearError();
    return false;
}

bool SerialPort::PortOpen() const {
    return port.isOpen();
}

bool SerialPort::SetSettings(const QString &settings) {
    const QStringList parts = settings.split(u',');
    if (parts.size() != 4 || !port.isOpen())
        return false;
    bool ok = false;
    const int baud = parts[0].toInt(&ok);
    if (!ok || baud <= 0)
        return false;
    // Parity is one letter: none, even, odd, mark or space.
    static constexpr std::pair<char16_t, QSerialPort::Parity> kParities[] = {
        {u'N', QSerialPort::NoParity},
        {u'E', QSerialPort::EvenParity},
        {u'O', QSerialPort::OddParity},
        {u'M', QSerialPort::MarkParity},
        {u'S', QSerialPort::SpaceParity}};
    const auto parity = std::find_if(std::begin(kParities), std::end(kParities), [&](auto entry) {
        return parts[1].compare(QChar(entry.first), Qt::CaseInsensitive) == 0;
    });
    if (parity == std::end(kParities))
        return false;
    const int dataBits = parts[2].toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return false;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    if (parts[3] == QLatin1String("2"))
        stopBits = QSerialPort::TwoStop;
    else if (parts[3] == QLatin1String("1.5"))
        stopBits = QSerialPort::OneAndHalfStop;
    else if (parts[3] != QLatin1String("1"))
        return false;
    return port.setBaudRate(baud) && port.setParity(parity->second) &&
           port.setDataBits(static_cast<QSerialPort::DataBits>(dataBits)) &&
           port.setStopBits(stopBits);
}

void SerialPort::SetOutBufferCount(int count) {
    if (count == 0 && port.isOpen())
        port.clear(QSerialPort::Output);
}

void SerialPort::SetInBufferCount(int count) {
    if (count == 0 && port.isOpen()) {
        port.clear(QSerialPort::Input);
        port.readAll();
    }
}

bool SerialPort::Output(const QByteArray &text) {
    lastErrorText.clear();
    if (!port.isOpen())
        return false;
    if (port.write(text) != text.size()) {
        lastErrorText = port.errorString();
        return false;
    }
    // Hand the bytes to the driver now; a vanished device shows up here rather than later.
    // A failure here closes the port (see HandleError) or leaves an error behind.
    const bool flushed = port.flush();
    if (!port.isOpen() || (!flushed && port.error() != QSerialPort::NoError)) {
        if (lastErrorText.isEmpty())
            lastErrorText = port.errorString();
        return false;
    }
    return true;
}

QByteArray SerialPort::Input() {
    if (!port.isOpen())
        return {};
    return inputLen > 0 ? port.read(inputLen) : port.readAll();
}

void SerialPort::HandleError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError: {
        if (!port.isOpen())
            return;
        // The far end is gone. Left open, the port's notifier fires without end.
        const QString reason = port.errorString();
        lastErrorText = reason;
        port.clearError();
        port.close();
        // Tell the window once the serial code has returned, so a message box it shows does not
        // run inside the port's own notification.
        QMetaObject::invokeMethod(
            this, [this, reason] { Q_EMIT ConnectionLost(reason); }, Qt::QueuedConnection);
        return;
    }
    default:
        // NoError comes with every open; DTR/RTS and pinout requests are unsupported on a
        // pseudo-terminal. Neither is a failure of the line; open failures are handled by the
        // opener.
        return;
    }
}

} // namespace vorlin
