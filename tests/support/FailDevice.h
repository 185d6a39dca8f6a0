#pragma once

#include "link/SerialDevice.h"

#include <limits>

// A serial device that takes a given number of bytes and then fails the write with a chosen
// error, as a jammed or vanishing device does, and that can refuse line settings. Every byte it
// took is kept; nothing ever arrives on it.
class FailDevice final : public vorlin::SerialDevice {
public:
    qint64 acceptBytes = std::numeric_limits<qint64>::max();
    QSerialPort::SerialPortError failure = QSerialPort::WriteError;
    QString failureText = QStringLiteral("Input/output error");
    bool refuseLineSettings = false;
    QByteArray written;

    bool Open(const QString &) override { return open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    bool SetLine(qint32, QSerialPort::Parity, QSerialPort::DataBits,
                 QSerialPort::StopBits) override {
        return !refuseLineSettings;
    }
    qint64 Write(const QByteArray &data) override {
        const qint64 taken = std::min<qint64>(data.size(), acceptBytes);
        written += data.left(taken);
        acceptBytes -= taken;
        if (taken == data.size())
            return taken;
        // As QSerialPort does: the error is set and announced before the write returns.
        error = failure;
        Q_EMIT ErrorOccurred(failure);
        return -1;
    }
    bool Flush() override { return error == QSerialPort::NoError; }
    QByteArray Read(qint64) override { return {}; }
    void Discard(QSerialPort::Directions) override {}
    QSerialPort::SerialPortError Error() const override { return error; }
    QString ErrorText() const override {
        return error == QSerialPort::NoError ? QString() : failureText;
    }
    void ClearError() override { error = QSerialPort::NoError; }

private:
    bool open = false;
    QSerialPort::SerialPortError error = QSerialPort::NoError;
};
