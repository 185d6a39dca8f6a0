#pragma once

#include "portfolder/PortFolder.h"

#include <QString>

namespace vorlin::sim {

// The pad announces itself in the folder the tool lists simulated pads from: a symbolic link
// named after the pad, pointing at the terminal device the tool opens.
using vorlin::VirtualPortsFolder;

// Creates the folder (mode 0700) when it is missing. Refuses a folder that the tool would not
// trust (a link, another user's, or one others may write), since the tool lists no pads there.
bool MakeVirtualPortsFolder(const QString &folder, QString *error);

// Removes the links in the folder whose target no longer exists (a pad that was killed before it
// could clean up). Returns how many were removed.
int RemoveStaleVirtualPorts(const QString &folder);

} // namespace vorlin::sim
