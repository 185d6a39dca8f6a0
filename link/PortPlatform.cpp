#include "link/PortPlatform.h"

#include "link/SysfsPorts.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

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

QList<PortEntry> PortsBeyondScan(QList<PortEntry> listing) {
    listing.removeIf([](const PortEntry &entry) { return entry.number <= kHighestScannedPort; });
    std::sort(listing.begin(), listing.end(),
              [](const PortEntry &a, const PortEntry &b) { return a.number < b.number; });
    return listing;
}

SystemPort MakeSystemPort(const QString &devicePath, const QString &model, const QString &maker,
                          bool hasVendorId) {
    QString description = model;
    if (!maker.isEmpty())
        description += QStringLiteral(" (%1)").arg(maker);
    return {devicePath, description.trimmed(), hasVendorId};
}

QList<SystemPort> PortPlatform::ListSystemPorts() const {
    QList<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports.append(MakeSystemPort(info.systemLocation(), info.description(), info.manufacturer(),
                                    info.hasVendorIdentifier()));
    return ports;
}

std::optional<PortEntry> PortPlatform::Unlisted(int /*number*/) const {
    return std::nullopt;
}

QList<PortEntry> UnixPortPlatform::NumberPorts(QList<SystemPort> system,
                                               QList<VirtualPort> virtuals) const {
    const auto byPath = [](const SystemPort &a, const SystemPort &b) {
        return a.devicePath < b.devicePath;
    };
    std::sort(system.begin(), system.end(), byPath);
    std::stable_partition(system.begin(), system.end(),
                          [](const SystemPort &port) { return port.attachedByUsb; });
    std::sort(virtuals.begin(), virtuals.end(),
              [](const VirtualPort &a, const VirtualPort &b) { return a.name < b.name; });

    QList<PortEntry> entries;
    const auto add = [&entries](const QString &path, const QString &description) {
        entries.append({static_cast<int>(entries.size()) + 1, path, description});
    };
    for (const SystemPort &port : std::as_const(system))
        if (port.attachedByUsb)
            add(port.devicePath, port.description);
    for (const VirtualPort &port : std::as_const(virtuals))
        add(port.devicePath, QStringLiteral("模拟键盘 %1").arg(port.name));
    for (const SystemPort &port : std::as_const(system))
        if (!port.attachedByUsb)
            add(port.devicePath, port.description);
    return entries;
}

OpenFailure UnixPortPlatform::ClassifyOpenFailure(QSerialPort::SerialPortError error,
                                                  const QString &devicePath) const {
    // Read afresh: the rights are what the system says now, not what an earlier look cached.
    const QFileInfo device(devicePath);
    const bool exists = device.exists();
    const bool denied = exists && !(device.isReadable() && device.isWritable());
    return vorlin::ClassifyOpenFailure(error, exists, denied);
}

QList<SystemPort> LinuxPortPlatform::ListSystemPorts() const {
    return ListSysfsPorts(root);
}

QList<PortEntry> MacPortPlatform::NumberPorts(QList<SystemPort> system,
                                              QList<VirtualPort> virtuals) const {
    system.removeIf([](const SystemPort &port) {
        return !port.devicePath.startsWith(QLatin1String("/dev/cu."));
    });
    return UnixPortPlatform::NumberPorts(std::move(system), std::move(virtuals));
}

QList<PortEntry> WindowsPortPlatform::NumberPorts(QList<SystemPort> system,
                                                  QList<VirtualPort> /*virtuals*/) const {
    QList<PortEntry> entries;
    for (const SystemPort &port : std::as_const(system)) {
        // Qt gives the location as \\.\COM3; the port's name is its last part.
        const QString name = port.devicePath.section(u'\\', -1);
        bool ok = false;
        const int number = name.mid(3).toInt(&ok);
        if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) && ok && number >= 1)
            entries.append({number, QStringLiteral("COM%1").arg(number), port.description});
    }
    std::sort(entries.begin(), entries.end(),
              [](const PortEntry &a, const PortEntry &b) { return a.number < b.number; });
    return entries;
}

std::optional<PortEntry> WindowsPortPlatform::Unlisted(int number) const {
    if (number < 1)
        return std::nullopt;
    return PortEntry{number, QStringLiteral("COM%1").arg(number), QString()};
}

OpenFailure WindowsPortPlatform::ClassifyOpenFailure(QSerialPort::SerialPortError error,
                                                     const QString & /*devicePath*/) const {
    // Windows refuses a user no port, so a refused open of a port it knows is one held elsewhere.
    return vorlin::ClassifyOpenFailure(error, true, false);
}

const PortPlatform &HostPortPlatform() {
#if defined(Q_OS_WIN)
    static const WindowsPortPlatform platform;
#elif defined(Q_OS_MACOS)
    static const MacPortPlatform platform;
#elif defined(Q_OS_LINUX)
    static const LinuxPortPlatform platform;
#else
    static const UnixPortPlatform platform;
#endif
    return platform;
}

} // namespace vorlin
