#pragma once

#include <QColor>

namespace vorlin {

// How bright an sRGB colour looks, from 0 (black) to 1 (white), as WCAG defines it.
double RelativeLuminance(const QColor &colour);

// How well two colours stand apart for a reader: from 1 (the same) to 21 (black on white).
// Body text needs 4.5 to be read comfortably.
double ContrastRatio(const QColor &a, const QColor &b);

// Black or white, whichever stands out more on `background`.
QColor ReadableTextOn(const QColor &background);

} // namespace vorlin
