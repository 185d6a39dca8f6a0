#include "app/ClearButton.h"

#include <QFontMetricsF>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vorlin {

void ClearButton::paintEvent(QPaintEvent * /*event*/) {
    QStyleOptionButton option;
    initStyleOption(&option);
    QRectF contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (option.state.testAnyFlags(QStyle::State_On | QStyle::State_Sunken)) {
        contents.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    option.text.clear();
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButton, option);

    // As large as the glyph in the button's font: a square of its cap height, centred.
    const qreal side =
        qMin(QFontMetricsF(font()).capHeight() * 1.2, qMin(contents.width(), contents.height()));
    QRectF cross(0, 0, side, side);
    cross.moveCenter(contents.center());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(
        QPen(option.palette.color(QPalette::ButtonText), 1.5, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.bottomLeft(), cross.topRight());
}

} // namespace vorlin
