#include "editor/SlotText.h"

namespace vorlin {

QStringList SplitSlotText(const QString &text) {
    if (text.isEmpty())
        return {};
    return text.split(kSlotSeparator);
}

QString JoinSlotText(const QStringList &tokens) {
    return tokens.join(kSlotSeparator);
}

QString AppendToken(const QString &text, const QString &token) {
    if (text.isEmpty())
        return token;
    const QStringList tokens = SplitSlotText(text);
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        if (tokens.at(k) == token || k == kMaxKeyTokens - 1)
            return text;
    }
    return text + kSlotSeparator + token;
}

} // namespace vorlin
