#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vorlin::sim {
namespace {

QString Failure(const char *what) {
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Open(QString *error) {
    Close();
    // POSIX promises only these two flags to posix_openpt, and macOS refuses any other; the pad
    // relies on close-on-exec and non-blocking reads, so those are set right after.
    masterFd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (masterFd < 0) {
        *error = Failure("posix_openpt");
        return false;
    }
    ::fcntl(masterFd, F_SETFD, FD_CLOEXEC);
    ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    char name[128] = {};
    termios settings{};
    if (::grantpt(masterFd) != 0) {
        *error = Failure("grantpt");
    } else if (::unlockpt(masterFd) != 0) {
        *error = Failure("unlockpt");
    } else if (::ptsname_r(masterFd, name, sizeof name) != 0) {
        *error = Failure("ptsname_r");
    } else if (::tcgetattr(masterFd, &settings) != 0) {
        *error = Failure("tcgetattr");
    } else {
        // Raw: no echo of what the tool writes, no line editing, no translation of bytes.
        ::cfmakeraw(&settings);
        ::cfsetspeed(&settings, B115200);
        if (::tcsetattr(masterFd, TCSANOW, &settings) != 0) {
            *error = Failure("tcsetattr");
        } else {
            slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (slaveFd < 0) {
                *error = Failure("open slave");
            } else {
                slavePath = QString::fromLocal8Bit(name);
                return true;
            }
        }
    }
    Close();
    return false;
}

int PseudoTerminal::UnreadBytes() const {
    int count = 0;
    if (slaveFd < 0 || ::ioctl(slaveFd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void PseudoTerminal::Close() {
    if (slaveFd >= 0)
        ::close(slaveFd);
    if (masterFd >= 0)
        ::close(masterFd);
    slaveFd = -1;
    masterFd = -1;
}

} // namespace vorlin::sim
