#include "editor/KeyChord.h"

#include <algorithm>
#include <array>

namespace vorlin {

bool KeyChord::IsModifier(const QString &token) {
    static const std::array<QString, 8> kModifiers = {
        QStringLiteral("L_CTRL"), QStringLiteral("L_SHIFT"), QStringLiteral("L_ALT"),
        QStringLiteral("L_GUI"),  QStringLiteral("R_CTRL"),  QStringLiteral("R_SHIFT"),
        QStringLiteral("R_ALT"),  QStringLiteral("R_GUI")};
    return std::find(kModifiers.begin(), kModifiers.end(), token) != kModifiers.end();
}

void KeyChord::Press(const QString &token) {
    if (token.isEmpty() || down.contains(token))
        return;
    down.append(token);
    QStringList &part = IsModifier(token) ? modifiers : keys;
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
