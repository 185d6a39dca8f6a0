#pragma once

#include "app/CaptionFit.h"

#include <QPushButton>

namespace vorlin {

// A key of the on-screen keyboard. Its caption is fitted into the key's contents rather than cut
// off: see FitCaption.
class KeyButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    // The caption as the key draws it, in its contents rectangle's coordinates.
    const FittedCaption &CaptionAsDrawn();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect ContentsRect(const QStyleOptionButton &option) const;

    // The caption is fitted again only when its text, font or room change, so that a repaint
    // (every key when the port opens or closes) does not measure again.
    QString fittedText;
    QFont fittedFont;
    QSize fittedSize;
    FittedCaption fitted;
};

} // namespace vorlin
