#include "link/PortDirectory.h"

#include <QDir>
#include <QFileInfo>

namespace vorlin {

QList<PortEntry> NumberPorts(QList<SystemPort> system, QList<VirtualPort> virtuals) {
    return HostPortPlatform().NumberPorts(std::move(system), std::move(virtuals));
}

PortDirectory::PortDirectory(const PortPlatform &portPlatform) : platform(&portPlatform) {}

QList<PortEntry> PortDirectory::List() const {
    return platform->NumberPorts(SystemPorts(), VirtualPorts());
}

std::optional<PortEntry> PortDirectory::Find(int number) const {
    if (holding && !heldList)
        heldList = List();
    const QList<PortEntry> entries = holding ? *heldList : List();
    for (const PortEntry &entry : entries)
        if (entry.number == number)
            return entry;
    return platform->Unlisted(number);
}

void PortDirectory::HoldListing(bool hold) const {
    holding = hold;
    heldList.reset();
}

QList<SystemPort> PortDirectory::SystemPorts() const {
    return platform->ListSystemPorts();
}

QList<VirtualPort> PortDirectory::VirtualPorts() const {
    const QString path = VirtualPortsFolder();
    folderState = CheckPortFolder(path);
    if (folderState != PortFolderState::Trusted)
        return {};
    QList<VirtualPort> ports;
    const QDir folder(path);
    const QFileInfoList links =
        folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : links) {
        // Pads announce themselves with a link to their terminal device; a link whose pad has
        // gone points nowhere, and plain files and folders are not ports.
        const QFileInfo device(entry.canonicalFilePath());
        if (entry.canonicalFilePath().isEmpty() || !device.exists() || device.isDir() ||
            device.isFile())
            continue;
        ports.append({entry.fileName(), device.absoluteFilePath()});
    }
    return ports;
}

} // namespace vorlin
