#include "app/CaptionFit.h"

#include <QFontMetricsF>
#include <QRectF>
#include <QTextBoundaryFinder>

#include <cmath>
#include <limits>

namespace vorlin {
namespace {

// A caption that fits nowhere shrinks in quarter points, down to a size still read at a glance.
constexpr qreal kPointStep = 0.25;
constexpr qreal kSmallestPointSize = 6;
// Blank pixel rows left between the glyphs of two lines whose leading is tightened.
constexpr qreal kLineGap = 1;
// Break positions tried together; a key caption has a handful.
constexpr qsizetype kMostBreaks = 10;

// One line in one font, relative to the start of its baseline. Its box is as tall as the
// tallest face the line is drawn in: a Chinese fallback face is often taller than the Latin face
// the font names first. Left and right take in the glyphs and the advance together.
struct LineMetrics {
    qreal ascent = 0;
    qreal descent = 0;
    qreal inkTop = 0;
    qreal inkBottom = 0;
    qreal left = 0;
    qreal right = 0;
    qreal advance = 0;
};

LineMetrics Measure(const QFontMetricsF &metrics, const QString &line) {
    // Both rectangles come from the faces the text is actually drawn in, fallback faces included.
    const QRectF box = metrics.boundingRect(line);
    const QRectF ink = metrics.tightBoundingRect(line);
    LineMetrics measured;
    measured.ascent = -box.top();
    measured.descent = box.bottom();
    measured.advance = metrics.horizontalAdvance(line);
    measured.right = measured.advance;
    if (!ink.isNull()) {
        measured.inkTop = ink.top();
        measured.inkBottom = ink.bottom();
        measured.left = qMin(0.0, ink.left());
        measured.right = qMax(measured.advance, ink.right());
    }
    return measured;
}

// Places `lines` in `box`: centred as a button centres its text, with the leading between lines
// tightened only as far as needed, never so far that the glyphs of two lines come closer than
// kLineGap. `fits` says whether every glyph ends up inside the box.
FittedCaption Place(const QStringList &lines, const QFont &font, const QSize &box) {
    const QFontMetricsF metrics(font);
    QList<LineMetrics> measured;
    bool fits = true;
    for (const QString &line : lines) {
        measured << Measure(metrics, line);
        fits = fits && measured.back().right - measured.back().left <= box.width();
    }

    // Baseline to baseline: as the style sets lines, and as close as the glyphs allow.
    const qreal leading = qMax(0.0, metrics.leading());
    QList<int> natural;
    QList<int> tightest;
    for (qsizetype i = 1; i < measured.size(); ++i) {
        const LineMetrics &above = measured.at(i - 1);
        const LineMetrics &below = measured.at(i);
        natural << qRound(above.descent + leading + below.ascent);
        tightest << qMin(natural.back(), int(std::ceil(above.inkBottom - below.inkTop + kLineGap)));
    }

    QList<qreal> baselines;
    for (int tighten = 0;; ++tighten) {
        baselines = {0};
        bool tightestReached = true;
        for (qsizetype i = 0; i < natural.size(); ++i) {
            const int pitch = qMax(tightest.at(i), natural.at(i) - tighten);
            tightestReached = tightestReached && pitch == tightest.at(i);
            baselines << baselines.back() + pitch;
        }
        // Centred by the lines' boxes, so that keys side by side share their baselines, then
        // moved just enough to bring every glyph inside.
        const qreal boxHeight =
            measured.front().ascent + baselines.back() + measured.back().descent;
        qreal shift = std::round((box.height() - boxHeight) / 2 + measured.front().ascent);
        qreal inkTop = std::numeric_limits<qreal>::max();
        qreal inkBottom = std::numeric_limits<qreal>::lowest();
        for (qsizetype i = 0; i < measured.size(); ++i) {
            inkTop = qMin(inkTop, baselines.at(i) + measured.at(i).inkTop);
            inkBottom = qMax(inkBottom, baselines.at(i) + measured.at(i).inkBottom);
        }
        if (inkTop + shift < 0)
            shift = std::ceil(-inkTop);
        else if (inkBottom + shift > box.height())
            shift = std::floor(box.height() - inkBottom);
        const bool tallEnough = inkTop + shift >= 0 && inkBottom + shift <= box.height();
        if (tallEnough || tightestReached || !fits) {
            for (qreal &baseline : baselines)
                baseline += shift;
            fits = fits && tallEnough;
            break;
        }
    }

    FittedCaption fitted{lines, font, {}, fits};
    for (qsizetype i = 0; i < measured.size(); ++i) {
        const LineMetrics &line = measured.at(i);
        qreal x = (box.width() - line.advance) / 2;
        if (x + line.left < 0)
            x = -line.left;
        else if (x + line.right > box.width())
            x = box.width() - line.right;
        fitted.origins << QPointF(x, baselines.at(i));
    }
    return fitted;
}

// Letters and digits of scripts that put blanks between words: a line never breaks between two
// of them, so a Latin word stays whole.
bool InsideWord(QChar c) {
    return c.isLetterOrNumber() && c.script() != QChar::Script_Han;
}

// Where a caption may break: where Unicode's line-breaking rules allow (after a blank, between
// Chinese characters, after a slash before one), but never inside a word.
QList<qsizetype> BreakPositions(const QString &caption) {
    QList<qsizetype> positions;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, caption);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < caption.size();
         at = finder.toNextBoundary()) {
        if (finder.boundaryReasons().testFlag(QTextBoundaryFinder::BreakOpportunity) &&
            !(InsideWord(caption.at(at - 1)) && InsideWord(caption.at(at))))
            positions << at;
    }
    positions.resize(qMin(positions.size(), kMostBreaks));
    return positions;
}

// The caption as it is, then, if it has no line break of its own, the most even way of breaking
// it into two lines, into three, and so on; of two equally even ways, the one with the longer
// first line ("浏览器" over "停止"). A less even way would only be wider.
QList<QStringList> Layouts(const QString &caption, const QFontMetricsF &metrics) {
    const QStringList asIs = caption.split(u'\n');
    if (asIs.size() > 1)
        return {asIs};
    struct Broken {
        QStringList lines;
        qreal widest = 0;
        qreal first = 0;
    };
    const QList<qsizetype> breaks = BreakPositions(caption);
    QList<Broken> best(breaks.size() + 2); // by line count
    for (quint32 chosen = 1; chosen < (quint32(1) << breaks.size()); ++chosen) {
        Broken layout;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= breaks.size(); ++i) {
            if (i < breaks.size() && (chosen & (quint32(1) << i)) == 0)
                continue;
            const qsizetype end = i < breaks.size() ? breaks.at(i) : caption.size();
            layout.lines << caption.mid(start, end - start).trimmed();
            layout.widest = qMax(layout.widest, metrics.horizontalAdvance(layout.lines.back()));
            start = end;
        }
        if (layout.lines.contains(QString()))
            continue;
        layout.first = metrics.horizontalAdvance(layout.lines.front());
        Broken &kept = best[layout.lines.size()];
        if (kept.lines.isEmpty() || layout.widest < kept.widest ||
            (layout.widest == kept.widest && layout.first > kept.first))
            kept = layout;
    }
    QList<QStringList> layouts = {asIs};
    for (const Broken &layout : best) {
        if (!layout.lines.isEmpty())
            layouts << layout.lines;
    }
    return layouts;
}

} // namespace

QString ShownCaption(const QString &caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        shown += caption.at(i);
    }
    return shown;
}

// In this order, the first that fits: the caption as it is in the key's own font; its lines
// closer together; broken between words or Chinese characters, if it has no line break of its
// own; and only then the same at a smaller size, a quarter point at a time.
FittedCaption FitCaption(const QString &caption, const QFont &font, const QSize &box) {
    if (caption.trimmed().isEmpty())
        return {{}, font, {}, true};
    // Most captions fit as they are, and are not broken up to be measured.
    FittedCaption asIs = Place(caption.split(u'\n'), font, box);
    if (asIs.fits)
        return asIs;
    const QList<QStringList> layouts = Layouts(caption, QFontMetricsF(font));
    const qreal pointSize = font.pointSizeF();
    QFont sized = font;
    for (qreal size = pointSize; size == pointSize || size >= kSmallestPointSize;
         size -= kPointStep) {
        if (size != pointSize)
            sized.setPointSizeF(size);
        // At the key's own size the caption as it is has been tried already.
        for (qsizetype i = size == pointSize ? 1 : 0; i < layouts.size(); ++i) {
            FittedCaption fitted = Place(layouts.at(i), sized, box);
            if (fitted.fits)
                return fitted;
        }
        if (pointSize <= 0)
            break; // a font sized in pixels keeps its size
    }
    return Place(layouts.front(), sized, box);
}

} // namespace vorlin
