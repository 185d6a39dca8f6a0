#pragma once

#include <QPushButton>

namespace vorlin {

// A key of the on-screen keyboard. A caption too wide for its key ("右键单击", "CAPS LOCK") is
// wrapped onto two lines instead of being cut off at both ends.
class KeyButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Whether the caption fits on one line per line break, measured for the caption and width
    // it was last painted with, so that a repaint (every key when the port opens or closes)
    // does not measure again.
    bool Fits(const QString &caption, int width);

    QString measuredCaption;
    int measuredWidth = -1;
    bool fits = true;
};

} // namespace vorlin
