#include "app/KeyButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace vorlin {

void KeyButton::paintEvent(QPaintEvent *event) {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QFontMetrics metrics(font());
    bool fits = true;
    for (const QString &line : option.text.split(u'\n'))
        fits = fits && metrics.horizontalAdvance(QString(line).replace(
                           QStringLiteral("&&"), QStringLiteral("&"))) <= contents.width();
    if (fits) {
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

} // namespace vorlin
