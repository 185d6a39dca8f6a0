#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

namespace vorlin {

// A key caption laid out in a box: the lines it is drawn as, the font they are drawn in, and
// where each line starts on its baseline, relative to the box's top left corner.
struct FittedCaption {
    QStringList lines;
    QFont font;
    QList<QPointF> origins;
    bool fits = true; // false only when even the smallest size leaves the box too small
};

// The text a button shows for its caption: "&&" is a single "&", and a lone "&" marks the next
// character as an access key, which is not drawn.
QString ShownCaption(const QString &caption);

// Lays out `caption` (as shown, line breaks included) in a box of `box` pixels with `font`.
FittedCaption FitCaption(const QString &caption, const QFont &font, const QSize &box);

} // namespace vorlin
