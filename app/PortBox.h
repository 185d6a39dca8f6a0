#pragma once

#include <QComboBox>

namespace vorlin {

// The port box (`Combo1`): an editable combo box with a class of its own, so that screen readers
// can be told its caption as its name (app/AccessibleInterfaces.h). Qt names an editable combo
// box on Linux by the text in it, which says nothing about what the box is for.
class PortBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;
};

} // namespace vorlin
