#include "link/SerialPort.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace vorlin {

SerialPort::SerialPort(std::unique_ptr<PortDirectory> ports, QObject *parent)
    : SerialPort(std::move(ports), nullptr, parent) {}

SerialPort::SerialPort(std::unique_ptr<PortDirectory> ports,
                       std::unique_ptr<SerialDevice> serialDevice, QObject *parent)
    : QObject(parent), directory(std::move(ports)), device(std::move(serialDevice)) {
    if (!device)
        device = std::make_unique<QtSerialDevice>();
    connect(device.get(), &SerialDevice::ReadyRead, this, &SerialPort::OnComm);
    connect(device.get(), &SerialDevice::ErrorOccurred, this, &SerialPort::HandleError);
}

SerialPort::~SerialPort() = default;

bool SerialPort::SetPortOpen(bool open) {
    if (!open) {
        device->Close();
        return true;
    }
    if (device->IsOpen())
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
    if (device->Open(devicePath))
        return true;

    lastOpenFailure = directory->Platform().ClassifyOpenFailure(device->Error(), devicePath);
    lastErrorText = device->ErrorText();
    device->ClearError();
    return false;
}

bool SerialPort::CanOpenPort() {
    if (device->IsOpen())
        return true;
    const std::optional<PortEntry> entry = directory->Find(commPort);
    if (!entry)
        return false;
    devicePath = entry->devicePath;
    deviceDescription = entry->description;
    return device->CanOpen(devicePath);
}

bool SerialPort::PortOpen() const {
    return device->IsOpen();
}

bool SerialPort::SetSettings(const QString &settings) {
    const QStringList parts = settings.split(u',');
    if (parts.size() != 4 || !device->IsOpen())
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
    const auto *const parity =
        std::find_if(std::begin(kParities), std::end(kParities), [&](auto entry) {
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
    return device->SetLine(baud, parity->second, static_cast<QSerialPort::DataBits>(dataBits),
                           stopBits);
}

void SerialPort::SetOutBufferCount(int count) {
    if (count == 0 && device->IsOpen())
        device->Discard(QSerialPort::Output);
}

void SerialPort::SetInBufferCount(int count) {
    if (count == 0 && device->IsOpen())
        device->Discard(QSerialPort::Input);
}

bool SerialPort::Output(const QByteArray &text) {
    lastErrorText.clear();
    if (!device->IsOpen())
        return false;
    // A failure closes the port (see HandleError, which keeps the system's words) or leaves an
    // error behind, which is cleared so that it cannot count against the next write.
    const auto failed = [this] {
        if (lastErrorText.isEmpty())
            lastErrorText = device->ErrorText();
        device->ClearError();
        return false;
    };
    if (device->Write(text) != text.size())
        return failed();
    // Hand the bytes to the driver now; a vanished device shows up here rather than later.
    const bool flushed = device->Flush();
    if (!device->IsOpen() || (!flushed && device->Error() != QSerialPort::NoError))
        return failed();
    return true;
}

QByteArray SerialPort::Input() {
    if (!device->IsOpen())
        return {};
    return device->Read(std::max(inputLen, 0));
}

void SerialPort::HandleError(QSerialPort::SerialPortError error) {
    // clang-tidy puts the analyzer's finding for the invokeMethod below on the switch.
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): Qt owns invokeMethod's slot object
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError: {
        if (!device->IsOpen())
            return;
        // The far end is gone. Left open, the port's notifier fires without end.
        const QString reason = device->ErrorText();
        lastErrorText = reason;
        device->ClearError();
        device->Close();
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
