#pragma once

#include <QList>
#include <QSerialPort>
#include <QString>

#include <optional>
#include <utility>

namespace vorlin {

// One serial port as the user picks it: "Com" followed by its number.
struct PortEntry {
    int number = 0;
    QString devicePath;  // what the port is opened by
    QString description; // for the port list's tooltip
};

// A port the system reports, before numbering.
struct SystemPort {
    QString devicePath;
    QString description;
    bool attachedByUsb = false;
};

// The port scan at start-up probes the numbers 1 to kHighestScannedPort only. A port numbered
// above it is reached by typing its number: on Windows, which gives each new USB serial device the
// next free COM number, a pad often sits there; where numbers are positions in the listing, the
// ports at the end of a long listing do.
inline constexpr int kHighestScannedPort = 16;

// The ports of a numbered listing that the scan never reaches, by increasing number.
QList<PortEntry> PortsBeyondScan(QList<PortEntry> listing);

// A system port as the tool lists it: the device's model and maker make its description, and
// a vendor id is what USB devices have.
SystemPort MakeSystemPort(const QString &devicePath, const QString &model, const QString &maker,
                          bool hasVendorId);

// A simulated pad announced in the virtual-ports folder.
struct VirtualPort {
    QString name;
    QString devicePath;
};

// Why an open failed, in the terms the user can act on.
enum class OpenFailure { None, NoSuchPort, PermissionDenied, Busy, Other };

// Classifies a failed open from QSerialPort's error and whether the device can be accessed.
OpenFailure ClassifyOpenFailure(QSerialPort::SerialPortError error, bool deviceExists,
                                bool accessDenied);

// What differs between the systems the tool runs on: how the system's ports are listed, which of
// them are ports, how they are numbered, and what a refused open means. Apart from the listing,
// every implementation is plain logic over the listings it is given, so each one runs (and is
// tested) anywhere; HostPortPlatform picks the one for the system the tool was built for.
class PortPlatform {
public:
    virtual ~PortPlatform() = default;

    // The system's serial ports, as Qt's port listing gives them.
    virtual QList<SystemPort> ListSystemPorts() const;

    // Numbers one listing of the system's ports and the announced simulated pads.
    virtual QList<PortEntry> NumberPorts(QList<SystemPort> system,
                                         QList<VirtualPort> virtuals) const = 0;
    // The device of a port number that the listing does not hold; none where numbers are only
    // positions in the listing.
    virtual std::optional<PortEntry> Unlisted(int number) const;
    virtual OpenFailure ClassifyOpenFailure(QSerialPort::SerialPortError error,
                                            const QString &devicePath) const = 0;
    // Whether the system grants serial ports to the members of the dialout group.
    virtual bool PortsNeedDialoutGroup() const { return false; }
};

// Linux and other Unix systems: ports attached by USB (by device path) first, since that is
// where a pad is; then announced simulated pads (by name); then every other serial port. A
// permission error is told apart from a port held elsewhere by the device's own access rights.
class UnixPortPlatform : public PortPlatform {
public:
    QList<PortEntry> NumberPorts(QList<SystemPort> system,
                                 QList<VirtualPort> virtuals) const override;
    OpenFailure ClassifyOpenFailure(QSerialPort::SerialPortError error,
                                    const QString &devicePath) const override;
    bool PortsNeedDialoutGroup() const override { return true; }
};

// Linux: the same ports, read from the device tree under `root` (link/SysfsPorts.h), which is
// many times faster than Qt's listing through libudev; the port scan at start-up waits for it.
class LinuxPortPlatform final : public UnixPortPlatform {
public:
    explicit LinuxPortPlatform(QString sysRoot = QStringLiteral("/")) : root(std::move(sysRoot)) {}
    QList<SystemPort> ListSystemPorts() const override;

private:
    QString root;
};

// macOS lists every device twice, as /dev/cu.* and /dev/tty.*. The call-out device is the one to
// open: a tty.* device waits for the modem's carrier before it opens. Serial devices there are
// open to every user, so there is no group to join.
class MacPortPlatform final : public UnixPortPlatform {
public:
    QList<PortEntry> NumberPorts(QList<SystemPort> system,
                                 QList<VirtualPort> virtuals) const override;
    bool PortsNeedDialoutGroup() const override { return false; }
};

// Windows: port N is COMN, listed or not (a port plugged in later is reached by its number).
// Windows refuses a port held by another program as access denied; that is the only reason it
// refuses a user.
class WindowsPortPlatform final : public PortPlatform {
public:
    QList<PortEntry> NumberPorts(QList<SystemPort> system,
                                 QList<VirtualPort> virtuals) const override;
    std::optional<PortEntry> Unlisted(int number) const override;
    OpenFailure ClassifyOpenFailure(QSerialPort::SerialPortError error,
                                    const QString &devicePath) const override;
};

// The platform the tool was built for.
const PortPlatform &HostPortPlatform();

} // namespace vorlin
