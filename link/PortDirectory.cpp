#include "link/PortDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

#include <unistd.h>

namespace vorlin {

QString VirtualPortsFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/vorlin-pad");
    return QStringLiteral("/tmp/vorlin-pad-%1").arg(::getuid());
}

QList<PortEntry> NumberPorts(QList<SystemPort> system, QList<VirtualPort> virtuals) {
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

QList<PortEntry> PortDirectory::List() const {
#ifdef Q_OS_WIN
    QList<PortEntry> entries;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        bool ok = false;
        const int number = info.portName().mid(3).toInt(&ok);
        if (info.portName().startsWith(QLatin1String("COM")) && ok)
            entries.append({number, info.portName(), info.description()});
    }
    return entries;
#else
    return NumberPorts(SystemPorts(), VirtualPorts());
#endif
}

std::optional<PortEntry> PortDirectory::Find(int number) const {
#ifdef Q_OS_WIN
    if (number >= 1)
        return PortEntry{number, QStringLiteral("COM%1").arg(number), QString()};
    return std::nullopt;
#else
    if (holding && !heldList)
        heldList = List();
    const QList<PortEntry> entries = holding ? *heldList : List();
    for (const PortEntry &entry : entries)
        if (entry.number == number)
            return entry;
    return std::nullopt;
#endif
}

void PortDirectory::HoldListing(bool hold) const {
    holding = hold;
    heldList.reset();
}

QList<SystemPort> PortDirectory::SystemPorts() const {
    QList<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QString description = info.description();
        if (!info.manufacturer().isEmpty())
            description += QStringLiteral(" (%1)").arg(info.manufacturer());
        ports.append({info.systemLocation(), description.trimmed(), info.hasVendorIdentifier()});
    }
    return ports;
}

QList<VirtualPort> PortDirectory::VirtualPorts() const {
    QList<VirtualPort> ports;
    const QDir folder(VirtualPortsFolder());
    const QFileInfoList links =
        folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : links) {
        // Pads announce themselves with a link to their terminal device; a link whose pad has
        // gone points nowhere, and plain files and folders are not ports.
        const QFileInfo device(entry.canonicalFilePath());
        if (entry.canonicalFilePath().isEmpty() || !device.exists() || device.isDir() ||
            device.isFile())
            continue;
        ports.append({entry.fileName(), device.absoluteFilePath()});
    }
    return ports;
}

} // namespace vorlin
