#pragma once

#include "protocol/WireFormat.h"

#include <QString>
#include <QStringList>

namespace vorlin {

// A slot's text is its whole assignment: key tokens joined by " + ", empty when unassigned.

// Tokens a slot takes from the on-screen keyboard; texts from the pad may hold more.
inline constexpr int kMaxKeyTokens = 4;

inline const QString kSlotSeparator = QString::fromLatin1(kTokenSeparator);

// The tokens of a slot text, split at every " + " from left to right; none for the empty text.
QStringList SplitSlotText(const QString &text);

// The slot text of the given tokens.
QString JoinSlotText(const QStringList &tokens);

// The slot text after a key button with this token was clicked: an empty slot takes the token;
// otherwise the token is refused (text returned unchanged) if the slot already holds it or
// already holds four tokens.
QString AppendToken(const QString &text, const QString &token);

} // namespace vorlin
