#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace vorlin {

// Every face of the window, its own and its controls', is 9 pt.
inline constexpr int kFontPointSize = 9;

// The controls' font: Arial, with its Chinese fallback named so that the window looks the same
// in every locale.
inline QFont ControlFont(const QString &family = QStringLiteral("Arial")) {
    QFont font(family, kFontPointSize);
    font.setFamilies(QStringList{family, QStringLiteral("Noto Sans CJK SC")});
    return font;
}

} // namespace vorlin
