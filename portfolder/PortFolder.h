#pragma once

#include <QString>

namespace vorlin {

// The folder in which simulated pads announce themselves: one entry per pad, named after it and
// leading to the terminal device the tool opens. It is "$XDG_RUNTIME_DIR/vorlin-pad" when
// XDG_RUNTIME_DIR is set and not empty, otherwise "/tmp/vorlin-pad-<uid>". Windows has no such
// folder: the result is empty there.
QString VirtualPortsFolder();

// Whether the folder's entries may be used. An entry names a device that the tool opens and
// sends commands to, so whoever can write the folder can steer the tool.
enum class PortFolderState {
    Trusted,      // a real folder of this user that nobody else may write
    Missing,      // no pad has announced itself yet
    NotAFolder,   // a link or a file stands in its place
    OtherOwner,   // it belongs to another user
    OpenToOthers, // group or others may write it
    Inaccessible, // it cannot be examined
    Unsupported,  // there is no port folder on this system
};

PortFolderState CheckPortFolder(const QString &folder);

} // namespace vorlin
