#include "editor/KeyChord.h"

#include "keys/KeyTable.h"

namespace vorlin {

void KeyChord::Press(const QString &token) {
    if (token.isEmpty() || down.contains(token))
        return;
    down.append(token);
    QStringList &part = KeyTable::IsModifier(token) ? modifiers : keys;
    if (!part.contains(token))
        part.append(token);
}

QStringList KeyChord::Release(const QString &token) {
    if (!down.removeOne(token) || !down.isEmpty())
        return {};
    QStringList chord = modifiers + keys;
    Cancel();
    return chord;
}

void KeyChord::Cancel() {
    down.clear();
    modifiers.clear();
    keys.clear();
}

} // namespace vorlin
