#pragma once

#include <QList>
#include <QString>

#include <optional>

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

// A simulated pad announced as a link in the virtual-ports folder.
struct VirtualPort {
    QString name;
    QString devicePath;
};

// The folder in which simulated pads announce themselves: $XDG_RUNTIME_DIR/vorlin-pad, or
// /tmp/vorlin-pad-<uid> where there is no runtime directory.
QString VirtualPortsFolder();

// Numbers ports 1, 2, ...: ports attached by USB (by device path) first, since that is where a
// pad is; then announced simulated pads (by name); then every other serial port (by device path).
QList<PortEntry> NumberPorts(QList<SystemPort> system, QList<VirtualPort> virtuals);

// Maps port numbers to devices. On Windows port N is simply "COMN"; elsewhere the numbering
// above is taken afresh at every lookup, so a pad plugged in later can be reached by typing
// its number.
class PortDirectory {
public:
    virtual ~PortDirectory() = default;
    virtual QList<PortEntry> List() const;
    std::optional<PortEntry> Find(int number) const;

    // While held, lookups share one listing: the port scan looks up sixteen numbers in a row,
    // and reading the system's device tree for each costs tens of milliseconds.
    void HoldListing(bool hold) const;

protected:
    virtual QList<SystemPort> SystemPorts() const;
    virtual QList<VirtualPort> VirtualPorts() const;

private:
    mutable std::optional<QList<PortEntry>> heldList;
    mutable bool holding = false;
};

} // namespace vorlin
