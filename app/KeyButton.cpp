#include "app/KeyButton.h"

#include <QEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vorlin {

void KeyButton::paintEvent(QPaintEvent *event) {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (Fits(option.text, contents.width())) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QString caption = option.text;
    // A caption without a blank ("右键单击") breaks in its middle, so the lines balance.
    if (!caption.contains(u' ') && !caption.contains(u'\n'))
        caption.insert((caption.size() + 1) / 2, u'\n');
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.drawItemText(contents, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                         palette(), isEnabled(), caption, QPalette::ButtonText);
}

void KeyButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        measuredWidth = -1;
    QPushButton::changeEvent(event);
}

bool KeyButton::Fits(const QString &caption, int width) {
    if (width == measuredWidth && caption == measuredCaption)
        return fits;
    const QFontMetrics metrics(font());
    fits = true;
    for (const QString &line : caption.split(u'\n'))
        fits = fits && metrics.horizontalAdvance(QString(line).replace(
                           QStringLiteral("&&"), QStringLiteral("&"))) <= width;
    measuredCaption = caption;
    measuredWidth = width;
    return fits;
}

} // namespace vorlin
