#include "portfolder/PortFolder.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vorlin {

#ifdef Q_OS_WIN

// Simulated pads run on pseudo-terminals, which Windows does not have.
QString VirtualPortsFolder() {
    return {};
}

PortFolderState CheckPortFolder(const QString &) {
    return PortFolderState::Unsupported;
}

#else

QString VirtualPortsFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/vorlin-pad");
    return QStringLiteral("/tmp/vorlin-pad-%1").arg(::getuid());
}

PortFolderState CheckPortFolder(const QString &folder) {
    if (folder.isEmpty())
        return PortFolderState::Unsupported;
    // lstat, not stat: a link in the folder's place would lead wherever its maker wants.
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return errno == ENOENT ? PortFolderState::Missing : PortFolderState::Inaccessible;
    if (!S_ISDIR(info.st_mode))
        return PortFolderState::NotAFolder;
    if (info.st_uid != ::getuid())
        return PortFolderState::OtherOwner;
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return PortFolderState::OpenToOthers;
    return PortFolderState::Trusted;
}

#endif

} // namespace vorlin
