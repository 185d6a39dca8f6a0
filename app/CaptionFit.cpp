#include "app/CaptionFit.h"

#include <QFontMetricsF>

namespace vorlin {

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

// A line that is too wide breaks in the middle of the caption, or at its blanks; the lines are
// centred in the box as they are, whatever their height.
FittedCaption FitCaption(const QString &caption, const QFont &font, const QSize &box) {
    const QFontMetricsF metrics(font);
    FittedCaption fitted{caption.split(u'\n'), font, {}, true};
    bool tooWide = false;
    for (const QString &line : fitted.lines)
        tooWide = tooWide || metrics.horizontalAdvance(line) > box.width();
    if (tooWide && fitted.lines.size() == 1) {
        fitted.lines = caption.contains(u' ') ? caption.split(u' ')
                                              : QStringList{caption.left((caption.size() + 1) / 2),
                                                            caption.mid((caption.size() + 1) / 2)};
    }
    qreal height = -metrics.leading();
    for (const QString &line : fitted.lines)
        height += metrics.boundingRect(line).height() + metrics.leading();
    qreal top = (box.height() - height) / 2;
    for (const QString &line : fitted.lines) {
        const QRectF bounds = metrics.boundingRect(line);
        fitted.origins << QPointF((box.width() - metrics.horizontalAdvance(line)) / 2,
                                  top - bounds.top());
        top += bounds.height() + metrics.leading();
    }
    return fitted;
}

} // namespace vorlin
