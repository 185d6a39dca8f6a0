#pragma once

#include "link/PortPlatform.h"
#include "portfolder/PortFolder.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace vorlin {

// Numbers ports as the platform the tool runs on does (see PortPlatform).
QList<PortEntry> NumberPorts(QList<SystemPort> system, QList<VirtualPort> virtuals);

// Maps port numbers to devices: the platform's numbering of the system's ports and the announced
// simulated pads, taken afresh at every lookup so that a pad plugged in later can be reached by
// typing its number, and on Windows COMN for any number N.
class PortDirectory {
public:
    explicit PortDirectory(const PortPlatform &portPlatform = HostPortPlatform());
    virtual ~PortDirectory() = default;
    virtual QList<PortEntry> List() const;
    std::optional<PortEntry> Find(int number) const;

    // While held, lookups share one listing: the port scan looks up sixteen numbers in a row,
    // and reading the system's device tree for each costs tens of milliseconds.
    void HoldListing(bool hold) const;

    const PortPlatform &Platform() const { return *platform; }

    // Whether the last listing could use the virtual-ports folder, and if not, why. The listing
    // itself stays silent: an untrusted folder simply lists no pads.
    PortFolderState VirtualPortsFolderState() const { return folderState; }

protected:
    virtual QList<SystemPort> SystemPorts() const;
    virtual QList<VirtualPort> VirtualPorts() const;

private:
    const PortPlatform *platform;
    mutable std::optional<QList<PortEntry>> heldList;
    mutable bool holding = false;
    mutable PortFolderState folderState = PortFolderState::Missing;
};

// A directory that always gives one listing taken earlier: every number names the device it
// named when the list was read (a probe of all ports, a test's own ports).
class ListedPortDirectory final : public PortDirectory {
public:
    explicit ListedPortDirectory(QList<PortEntry> listing) : entries(std::move(listing)) {}
    QList<PortEntry> List() const override { return entries; }

private:
    QList<PortEntry> entries;
};

} // namespace vorlin
