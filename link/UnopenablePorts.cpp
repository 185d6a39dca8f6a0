#include "link/UnopenablePorts.h"

#include <memory>

namespace vorlin {

QList<UnopenablePort> FindUnopenablePorts(const PortDirectory &directory) {
    const QList<PortEntry> entries = directory.List();
    SerialPort probe{std::make_unique<ListedPortDirectory>(entries)};
    QList<UnopenablePort> unopenable;
    for (const PortEntry &entry : entries) {
        probe.SetCommPort(entry.number);
        if (probe.SetPortOpen(true)) {
            probe.SetPortOpen(false);
            continue;
        }
        const OpenFailure failure = probe.LastOpenFailure();
        if (failure == OpenFailure::PermissionDenied || failure == OpenFailure::Busy)
            unopenable.append({entry, failure});
    }
    return unopenable;
}

} // namespace vorlin
