#include "link/UnopenablePorts.h"

#include <memory>

namespace vorlin {

PortSurvey SurveyPorts(const PortDirectory &directory) {
    const QList<PortEntry> entries = directory.List();
    SerialPort probe{std::make_unique<ListedPortDirectory>(entries)};
    PortSurvey survey;
    QList<PortEntry> opened;
    for (const PortEntry &entry : entries) {
        probe.SetCommPort(entry.number);
        if (probe.SetPortOpen(true)) {
            probe.SetPortOpen(false);
            opened.append(entry);
            continue;
        }
        const OpenFailure failure = probe.LastOpenFailure();
        if (failure == OpenFailure::PermissionDenied || failure == OpenFailure::Busy)
            survey.unopenable.append({entry, failure});
    }
    survey.beyondScan = PortsBeyondScan(opened);
    return survey;
}

} // namespace vorlin
