#pragma once

#include <QString>

namespace vorlin::sim {

// The folder in which simulated pads announce themselves: one symbolic link per pad, named after
// the pad and pointing at the terminal device the tool opens. It is
// "$XDG_RUNTIME_DIR/vorlin-pad" when XDG_RUNTIME_DIR is set and not empty, otherwise
// "/tmp/vorlin-pad-<uid>". The tool lists the links in it as ports.
QString VirtualPortsFolder();

// Creates the folder (mode 0700) when it is missing. Refuses a folder that is a symbolic link or
// belongs to another user, since anyone could then steer the tool to a device of their choice.
bool MakeVirtualPortsFolder(const QString &folder, QString *error);

// Removes the links in the folder whose target no longer exists (a pad that was killed before it
// could clean up). Returns how many were removed.
int RemoveStaleVirtualPorts(const QString &folder);

} // namespace vorlin::sim
