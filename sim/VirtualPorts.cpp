#include "sim/VirtualPorts.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace vorlin::sim {

bool MakeVirtualPortsFolder(const QString &folder, QString *error) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        // The runtime folder is made by whoever names it (the login session, a test harness);
        // made here it would have the wrong owner or lifetime, and the tool would look elsewhere.
        if (errno == ENOENT)
            *error = QStringLiteral("cannot create %1: the folder %2 that holds it does not exist "
                                    "(XDG_RUNTIME_DIR names it; make it, or unset XDG_RUNTIME_DIR)")
                         .arg(folder, QFileInfo(folder).path());
        else
            *error = QStringLiteral("cannot create %1: %2")
                         .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    switch (CheckPortFolder(folder)) {
    case PortFolderState::Trusted:
        return true;
    case PortFolderState::NotAFolder:
        *error = QStringLiteral("%1 is not a folder").arg(folder);
        break;
    case PortFolderState::OtherOwner:
        *error = QStringLiteral("%1 belongs to another user").arg(folder);
        break;
    case PortFolderState::OpenToOthers:
        *error = QStringLiteral("%1 can be written by other users").arg(folder);
        break;
    case PortFolderState::Missing:
    case PortFolderState::Inaccessible:
    case PortFolderState::Unsupported:
        *error = QStringLiteral("cannot examine %1").arg(folder);
        break;
    }
    return false;
}

int RemoveStaleVirtualPorts(const QString &folder) {
    int removed = 0;
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        // exists() follows the link: false for a link whose target is gone.
        if (entry.isSymLink() && !entry.exists() && QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace vorlin::sim
