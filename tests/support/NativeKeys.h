#pragma once

#include <QHash>
#include <QtGlobal>

namespace vorlin::test {

// Tests give keys as XKB keycodes, what X11 and Wayland report on Linux. This is the same key as
// the system under test reports it: on Windows its set-1 scan code (0x100 marks an extended key;
// F13, XKB 191, stands for a key no token has).
inline quint32 NativeScanCode(int xkb) {
#ifdef Q_OS_WIN
    static const QHash<int, quint32> scanCodes = {
        {9, 0x01},    {10, 0x02},   {23, 0x0F},   {37, 0x1D},   {38, 0x1E},   {50, 0x2A},
        {54, 0x2E},   {62, 0x36},   {64, 0x38},   {65, 0x39},   {66, 0x3A},   {87, 0x4F},
        {105, 0x11D}, {111, 0x148}, {133, 0x15B}, {135, 0x15D}, {172, 0x122}, {191, 0x64}};
    return scanCodes.value(xkb);
#else
    return quint32(xkb);
#endif
}

} // namespace vorlin::test
