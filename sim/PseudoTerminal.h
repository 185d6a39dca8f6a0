#pragma once

#include <QString>

namespace vorlin::sim {

// The pad's end of a pseudo-terminal. The master side is raw, non-blocking and close-on-exec.
// The pad also keeps the slave side open itself: while any slave descriptor is open, the tool
// closing its port does not hang the master up, so reading never turns into an endless stream
// of EIO and POLLHUP between two connections.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool Open(QString *error);
    // Closes both sides: whoever has the slave open sees the line vanish.
    void Close();

    bool IsOpen() const { return masterFd >= 0; }
    int MasterFd() const { return masterFd; }
    // The device the tool opens, for example /dev/pts/3.
    const QString &SlavePath() const { return slavePath; }
    // Bytes written by the pad that the tool has not read yet.
    int UnreadBytes() const;

private:
    int masterFd = -1;
    int slaveFd = -1;
    QString slavePath;
};

} // namespace vorlin::sim
