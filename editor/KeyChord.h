#pragma once

#include <QString>
#include <QStringList>

namespace vorlin {

// A combination typed on the computer's keyboard, followed from its key presses and releases.
// Keys are known by their slot tokens. The chord is taken when the last of its keys comes up:
// the modifiers in the order they went down, then the other keys in the order they went down.
// So Ctrl, Shift, Esc gives L_CTRL, L_SHIFT, ESC, and a modifier pressed alone gives itself.
class KeyChord {
public:
    // A key went down. Repeats of a key already down change nothing.
    void Press(const QString &token);

    // A key came up. When it was the last key down, returns the chord's tokens and starts a
    // new chord; otherwise returns nothing. A key that was not seen going down is ignored.
    QStringList Release(const QString &token);

    // Drops the chord, for instance when the focus leaves or a navigation key intervenes.
    void Cancel();

    bool IsEmpty() const { return down.isEmpty() && modifiers.isEmpty() && keys.isEmpty(); }

private:
    QStringList down;      // keys now down, in press order
    QStringList modifiers; // modifiers of this chord, in press order
    QStringList keys;      // other keys of this chord, in press order
};

} // namespace vorlin
