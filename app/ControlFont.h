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

// The face with Arial's (or Arial Narrow's) metrics where the system has no Arial: Linux has
// Liberation Sans. Qt takes the first family of a list that is installed, without asking the
// system for substitutes, so a family it lacks must be followed by its stand-in: otherwise Latin
// text falls through to the Chinese face.
inline QString MetricCompatibleFace(const QString &family) {
    if (family == QStringLiteral("Arial"))
        return QStringLiteral("Liberation Sans");
    if (family == QStringLiteral("Arial Narrow"))
        return QStringLiteral("Liberation Sans Narrow");
    return family;
}

// The controls' font: Arial, its stand-in, then the Chinese faces.
inline QFont ControlFont(const QString &family = QStringLiteral("Arial")) {
    QFont font(family, kFontPointSize);
    QStringList families{family};
    if (const QString standIn = MetricCompatibleFace(family); standIn != family)
        families.append(standIn);
    font.setFamilies(families + ChineseFaces());
    return font;
}

} // namespace vorlin
