#pragma once

#include "link/PortDirectory.h"

#include <utility>

namespace vorlin {

// A port directory that lists exactly the system ports a test gives it, and no simulated pads.
class FixedDirectory : public PortDirectory {
public:
    explicit FixedDirectory(QList<SystemPort> listed,
                            const PortPlatform &portPlatform = HostPortPlatform())
        : PortDirectory(portPlatform), ports(std::move(listed)) {}

protected:
    QList<SystemPort> SystemPorts() const override { return ports; }
    QList<VirtualPort> VirtualPorts() const override { return {}; }

private:
    QList<SystemPort> ports;
};

} // namespace vorlin
