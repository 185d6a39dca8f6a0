#pragma once

#include <QHash>
#include <QtGlobal>

namespace vorlin::test {

// Tests give keys as XKB keycodes, what X11 and Wayland report on Linux. This is the same key as
// the system under test reports it: on Windows its set-1 scan code (0x100 marks an extended key;
// F13, XKB 191, stands for a key no token has; media pause, XKB 209, has no scan code).
inline quint32 NativeScanCode(int xkb) {
#ifdef Q_OS_WIN
    static const QHash<int, quint32> scanCodes = {
        {9, 0x01},    {10, 0x02},   {23, 0x0F},   {37, 0x1D},   {38, 0x1E},   {50, 0x2A},
        {54, 0x2E},   {62, 0x36},   {64, 0x38},   {65, 0x39},   {66, 0x3A},   {87, 0x4F},
        {105, 0x11D}, {111, 0x148}, {133, 0x15B}, {135, 0x15D}, {172, 0x122}, {191, 0x64},
        {14, 0x06},   {39, 0x1F},   {61, 0x35},   {91, 0x53},   {96, 0x58},   {108, 0x138},
        {119, 0x153}, {123, 0x130}, {127, 0x45},  {136, 0x168}, {148, 0x121}, {166, 0x16A},
        {174, 0x124}, {180, 0x132}, {225, 0x165}, {234, 0x16D}};
    return scanCodes.value(xkb);
#else
    return quint32(xkb);
#endif
}

} // namespace vorlin::test
