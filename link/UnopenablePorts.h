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

// The ports `directory` lists that refuse to open because the user may not use them or another
// program holds them. Each is opened and closed again, as the start-up scan does. The scan leaves
// such ports out without a word; this is how a failed connect can tell the user why the port
// list is empty or short.
QList<UnopenablePort> FindUnopenablePorts(const PortDirectory &directory);

} // namespace vorlin
