#include "link/UnopenablePorts.h"

#include <memory>
#include <utility>

namespace vorlin {
namespace {

// One listing of the system's ports, so that every number probed names the device it named when
// the list was read.
class ListedPorts final : public PortDirectory {
public:
    explicit ListedPorts(QList<PortEntry> listing) : entries(std::move(listing)) {}
    QList<PortEntry> List() const override { return entries; }

private:
    QList<PortEntry> entries;
};

} // namespace

QList<UnopenablePort> FindUnopenablePorts(const PortDirectory &directory) {
    const QList<PortEntry> entries = directory.List();
    SerialPort probe{std::make_unique<ListedPorts>(entries)};
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
