#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <span>

class QKeyEvent;

namespace vorlin {

// A key of the computer's keyboard, by its place on the keyboard, and the slot token of the
// on-screen key in the same place. The pad's keyboard is the on-screen (US) one, so what counts
// is where a key sits, not what character the desktop's layout makes of it.
struct PhysicalKey {
    quint32 code;
    QStringView token;
};

// Linux: evdev key codes (linux/input-event-codes.h). X11 and Wayland both report a key as its
// XKB keycode, which is the evdev code plus kXkbKeycodeOffset.
std::span<const PhysicalKey> LinuxKeys();
inline constexpr quint32 kXkbKeycodeOffset = 8;

// Windows: set-1 scan codes as Qt reports them, with the extended-key flag as 0x100 (right Ctrl
// is 0x11D). The tests of the Windows build (tst_KeyChord) type through it.
std::span<const PhysicalKey> WindowsKeys();

// macOS: virtual key codes (kVK_*), which Qt reports as the native virtual key. Media keys do
// not arrive as key codes there. Written for the macOS build and not exercised by the tests here.
std::span<const PhysicalKey> MacKeys();

// The token of `code` in `table`, or empty when the table has none.
QString TokenOfCode(std::span<const PhysicalKey> table, quint32 code);

// For an event without native key data (offscreen windows, synthesized events, media keys that
// Windows delivers as commands): the token of Qt's key where that names exactly one on-screen
// key. Letters, digits and unshifted marks are taken as on the US layout, the keypad by its
// keypad flag; the modifiers are ignored, because Qt's key does not say which side they are on,
// and so are shifted marks, whose key depends on the layout.
QString TokenOfQtKey(int key, Qt::KeyboardModifiers modifiers);

// The token of the key `event` comes from, by position on the keyboard; empty for a key that no
// token stands for. Uses this platform's table when the event carries native key data.
QString PhysicalKeyToken(const QKeyEvent &event);

} // namespace vorlin
