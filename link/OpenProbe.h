#pragma once

#include <QString>

#include <optional>

namespace vorlin {

// Whether QSerialPort's open of the device for reading and writing would succeed now, found
// without taking its lock: QSerialPort writes a lock file and syncs it to disk on every open,
// about 8 ms where the lock folder is on a disk, which the port scan paid for every port it
// probed. Where no lock file for the device exists and a lock folder is writable, the lock
// would be taken, and what decides is the device itself: a port without permission and one held
// exclusively by another program (TIOCEXCL) refuse the same open that QSerialPort makes, and a
// device that is no terminal refuses its line settings. Empty where only QSerialPort can tell: a
// lock file exists (held, or stale and about to be cleared), no lock folder can be written, or
// the system is not a POSIX one.
std::optional<bool> QuickOpenProbe(const QString &devicePath);

} // namespace vorlin
