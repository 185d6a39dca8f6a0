#pragma once

#include "link/PortPlatform.h"

#include <QList>
#include <QString>

namespace vorlin {

// The serial ports of a Linux system, read from its device tree under `root` ("/" for the
// running system): every terminal device with a parent device, less the UART slots the kernel
// reserves without hardware behind them, plus Bluetooth serial links. Each port carries what
// the device manager (udev) recorded of it, its model and maker and whether it has a vendor id,
// as Qt's own listing reports it; where udev keeps no record, the USB device the port sits on
// says the same. About a millisecond, where asking libudev to enumerate takes tens.
QList<SystemPort> ListSysfsPorts(const QString &root = QStringLiteral("/"));

} // namespace vorlin
