#include "app/KeyButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace vorlin {

QRect KeyButton::ContentsRect(const QStyleOptionButton &option) const {
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

const FittedCaption &KeyButton::CaptionAsDrawn() {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QSize size = ContentsRect(option).size();
    if (text() != fittedText || font() != fittedFont || size != fittedSize) {
        fitted = FitCaption(ShownCaption(text()), font(), size);
        fittedText = text();
        fittedFont = font();
        fittedSize = size;
    }
    return fitted;
}

void KeyButton::paintEvent(QPaintEvent * /*event*/) {
    QStyleOptionButton option;
    initStyleOption(&option);
    QPointF corner = ContentsRect(option).topLeft();
    const FittedCaption &caption = CaptionAsDrawn();

    // The style draws the key without its caption, then the caption goes where it was fitted,
    // moved as the style moves a pressed button's label.
    option.text.clear();
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButton, option);
    if (option.state.testAnyFlags(QStyle::State_On | QStyle::State_Sunken)) {
        corner += QPointF(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                          style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.setFont(caption.font);
    const auto draw = [&](QPointF offset) {
        for (qsizetype i = 0; i < caption.lines.size(); ++i)
            painter.drawText(corner + offset + caption.origins.at(i), caption.lines.at(i));
    };
    // A style that etches disabled text draws it once more, lighter, a pixel down and right.
    if (!isEnabled() && style()->styleHint(QStyle::SH_EtchDisabledText, &option, this) != 0) {
        painter.setPen(option.palette.color(QPalette::Light));
        draw({1, 1});
    }
    painter.setPen(option.palette.color(QPalette::ButtonText));
    draw({0, 0});
}

} // namespace vorlin
