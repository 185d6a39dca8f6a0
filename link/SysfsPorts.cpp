#include "link/SysfsPorts.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace vorlin {
namespace {

QByteArray ReadSmallFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The value of `key` in "KEY=value" lines (a uevent file; udev's records with "E:" before the
// key); null when the key is not there.
QByteArray Field(const QByteArray &text, const QByteArray &key) {
    const QByteArray prefix = key + '=';
    for (const QByteArray &line : text.split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return {};
}

// Terminals without a parent device that are serial lines all the same: Bluetooth links,
// virtual null modems, and the serial side of a USB gadget.
bool IsParentlessSerialLine(const QString &name) {
    if (name.startsWith(QLatin1String("rfcomm"))) {
        bool ok = false;
        const int number = name.mid(6).toInt(&ok);
        return ok && number >= 0 && number <= 255;
    }
    return name.startsWith(QLatin1String("tnt")) || name.startsWith(QLatin1String("ttyGS"));
}

struct Identity {
    QString model;
    QString maker;
    bool hasVendorId = false;
};

// What udev recorded of the device with `uevent`: the model and maker with its blanks put back,
// as Qt shows them. Empty when udev keeps no record (no udev daemon, as in most containers).
std::optional<Identity> UdevIdentity(const QString &root, const QByteArray &uevent) {
    const QByteArray major = Field(uevent, "MAJOR");
    const QByteArray minor = Field(uevent, "MINOR");
    if (major.isEmpty() || minor.isEmpty())
        return std::nullopt;
    const QByteArray record = ReadSmallFile(root + QStringLiteral("/run/udev/data/c") +
                                            QLatin1String(major + ':' + minor));
    if (record.isEmpty())
        return std::nullopt;
    Identity identity;
    identity.model = QString::fromLatin1(Field(record, "E:ID_MODEL")).replace(u'_', u' ');
    identity.maker = QString::fromLatin1(Field(record, "E:ID_VENDOR")).replace(u'_', u' ');
    Field(record, "E:ID_VENDOR_ID").toInt(&identity.hasVendorId, 16);
    return identity;
}

// The USB device a port sits on, found by walking up from its parent device.
Identity UsbIdentity(const QString &root, const QString &ttyFolder) {
    const QString devices = QFileInfo(root + QStringLiteral("/sys/devices")).canonicalFilePath();
    QString folder = QFileInfo(ttyFolder + QStringLiteral("/device")).canonicalFilePath();
    Identity identity;
    while (!devices.isEmpty() && folder.startsWith(devices + u'/')) {
        const QByteArray vendor = ReadSmallFile(folder + QStringLiteral("/idVendor"));
        if (!vendor.isEmpty()) {
            const auto text = [&folder](const char *name) {
                return QString::fromLatin1(ReadSmallFile(folder + u'/' + QLatin1String(name)))
                    .simplified();
            };
            identity.model = text("product");
            identity.maker = text("manufacturer");
            vendor.trimmed().toInt(&identity.hasVendorId, 16);
            break;
        }
        folder = folder.left(folder.lastIndexOf(u'/'));
    }
    return identity;
}

} // namespace

QList<SystemPort> ListSysfsPorts(const QString &root) {
    QList<SystemPort> ports;
    const QString classFolder = root + QStringLiteral("/sys/class/tty");
    QDirIterator entries(classFolder, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QString folder = entries.next();
        const QString name = entries.fileName();
        const bool hasParent = QFileInfo::exists(folder + QStringLiteral("/device"));
        // Consoles, virtual terminals and pseudo-terminals have no parent device.
        if (!hasParent && !IsParentlessSerialLine(name))
            continue;
        // The kernel keeps slots for UARTs that are not there; their port type reads 0.
        if (ReadSmallFile(folder + QStringLiteral("/type")).trimmed() == "0")
            continue;
        const QByteArray uevent = ReadSmallFile(folder + QStringLiteral("/uevent"));
        const QByteArray node = Field(uevent, "DEVNAME");
        const QString devicePath =
            QStringLiteral("/dev/") + (node.isEmpty() ? name : QString::fromLocal8Bit(node));
        Identity identity;
        if (const std::optional<Identity> recorded = UdevIdentity(root, uevent))
            identity = *recorded;
        else if (hasParent)
            identity = UsbIdentity(root, folder);
        ports.append(
            MakeSystemPort(devicePath, identity.model, identity.maker, identity.hasVendorId));
    }
    return ports;
}

} // namespace vorlin
