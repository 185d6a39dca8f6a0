#pragma once

#include "link/PortDirectory.h"
#include "link/SerialPort.h"

#include <QList>

namespace vorlin {

// A serial port of the system that will not open, and why.
struct UnopenablePort {
    PortEntry port;
    OpenFailure failure = OpenFailure::None;
};

// What the port list at start-up does not show of the ports a directory lists. The scan leaves
// out without a word a port that refuses to open and one numbered beyond its range; this is how
// a failed connect can tell the user why the port list is empty or short.
struct PortSurvey {
    // Refused because the user may not use them or another program holds them.
    QList<UnopenablePort> unopenable;
    // Open, but numbered beyond the scan (PortsBeyondScan): reached only by typing the number.
    QList<PortEntry> beyondScan;
};

// Opens and closes again each port `directory` lists, as the start-up scan does, and sorts out
// those the port list does not show.
PortSurvey SurveyPorts(const PortDirectory &directory);

} // namespace vorlin
