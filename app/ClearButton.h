#pragma once

#include <QPushButton>

namespace vorlin {

// A slot's clear button. Its caption is the diagonal cross "╳", drawn as two strokes of the
// text's colour rather than from a font: the faces that have the glyph draw it as two hairlines,
// which font smoothing turns light grey on some systems (about 2:1 on white under Windows'
// rendering), too faint for a button. The caption stays the button's text for everything that
// reads it.
class ClearButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace vorlin
