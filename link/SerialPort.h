#pragma once

#include "link/PortDirectory.h"
#include "link/SerialDevice.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>

#include <memory>

namespace vorlin {

// The window's serial component: a numbered port with line settings, a receive notification and
// whole-text reads and writes, over a serial device (the system's, through QSerialPort, unless
// one is given).
class SerialPort : public QObject {
    Q_OBJECT

public:
    explicit SerialPort(std::unique_ptr<PortDirectory> ports, QObject *parent = nullptr);
    SerialPort(std::unique_ptr<PortDirectory> ports, std::unique_ptr<SerialDevice> serialDevice,
               QObject *parent = nullptr);
    ~SerialPort() override;

    // Selects the port that the next open acts on.
    void SetCommPort(int number) { commPort = number; }
    int CommPort() const { return commPort; }

    // True opens the selected port (failing when it does not exist or is held elsewhere);
    // false closes it, harmless when closed. Returns whether the port is now as asked.
    bool SetPortOpen(bool open);
    bool PortOpen() const;
    // Whether SetPortOpen(true) would succeed now, asked without opening where the device can
    // tell (the start-up scan asks it of sixteen ports). The port stays as it is; DevicePath and
    // DeviceDescription name the port asked about.
    bool CanOpenPort();

    // "baud,parity,data bits,stop bits", e.g. "115200,N,8,1"; applied to the open port.
    bool SetSettings(const QString &settings);
    // How many characters one read of Input returns at most; 0 means all that wait.
    void SetInputLen(int length) { inputLen = length; }
    // Kept for the line's contract: the notification fires whenever characters arrive.
    void SetRThreshold(int threshold) { rThreshold = threshold; }
    void SetOutBufferCount(int count);
    void SetInBufferCount(int count);

    // Writes the text in one operation, with nothing added. False when the write failed.
    bool Output(const QByteArray &text);
    // Returns and removes at most InputLen waiting characters; empty when none wait.
    QByteArray Input();

    // While held, port numbers map to devices by one listing of the system's ports.
    void HoldPortListing(bool hold) { directory->HoldListing(hold); }

    OpenFailure LastOpenFailure() const { return lastOpenFailure; }
    // The system's words for the last failure.
    QString LastErrorText() const { return lastErrorText; }
    // The device of the open (or last opened) port.
    QString DevicePath() const { return devicePath; }
    QString DeviceDescription() const { return deviceDescription; }

Q_SIGNALS:
    // Characters have arrived.
    void OnComm();
    // The port was closed because the device went away; reason is the system's text.
    void ConnectionLost(const QString &reason);

private:
    void HandleError(QSerialPort::SerialPortError error);

    std::unique_ptr<PortDirectory> directory;
    std::unique_ptr<SerialDevice> device;
    QString devicePath;
    QString deviceDescription;
    int commPort = 1;
    int inputLen = 0;
    int rThreshold = 0;
    OpenFailure lastOpenFailure = OpenFailure::None;
    QString lastErrorText;
};

} // namespace vorlin
