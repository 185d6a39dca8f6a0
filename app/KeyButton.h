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
};

} // namespace vorlin
