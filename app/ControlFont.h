#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace vorlin {

// Every face of the window, its own and its controls', is 9 pt.
inline constexpr int kFontPointSize = 9;

// The Chinese faces the controls' text falls back on, each system's own user-interface face
// first: Microsoft YaHei UI on Windows, PingFang SC on macOS, Noto Sans CJK SC on Linux. A system
// has its own and seldom the others, so one list picks the right face everywhere, and a face
// named outright looks the same in every locale.
inline const QStringList &ChineseFaces() {
    static const QStringList faces = {QStringLiteral("Microsoft YaHei UI"),
                                      QStringLiteral("PingFang SC"),
                                      QStringLiteral("Noto Sans CJK SC")};
    return faces;
}

// The controls' font: Arial, with the Chinese faces after it.
inline QFont ControlFont(const QString &family = QStringLiteral("Arial")) {
    QFont font(family, kFontPointSize);
    font.setFamilies(QStringList{family} + ChineseFaces());
    return font;
}

} // namespace vorlin
