#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorlin {

// The pad's key vocabulary: 83 key names with their three-digit device codes, in the fixed order
// in which the conversions walk them. Single printable characters (and the keyboard's "KEY_MENU")
// have no entry and travel on the wire as themselves.
class KeyTable {
public:
    static constexpr int kEntryCount = 83;

    // Builds the table: all entries in index order, then the two parallel arrays.
    KeyTable();

    int Count() const { return static_cast<int>(keyNames.size()); }

    // The code of a whole token, compared exactly and case-sensitively; none for a token that is
    // not a key name.
    std::optional<qint16> CodeOf(const QString &name) const;

    // Whether a whole token is one of the eight modifier keys (L_CTRL … R_GUI): the names whose
    // codes are 128 to 135, one a bit of the modifier byte.
    static bool IsModifier(const QString &token);

    // A slot token as it travels on the wire: a name becomes its decimal code, anything else
    // stays as it is.
    QString TokenToWire(const QString &token) const;

    // Replaces, for every entry in table order, each occurrence of its decimal code in the text
    // by its name. Every code has exactly three digits, so no code's text lies inside another's.
    QString CodesToNames(QString text) const;

    QStringList keyNames;
    QList<qint16> keyCodes;
};

} // namespace vorlin
