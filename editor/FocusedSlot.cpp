#include "editor/FocusedSlot.h"

#include "editor/Contrast.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>

namespace vorlin {

QString SlotArrayName(int layer) {
    return QStringLiteral("group%1value").arg(layer);
}

int FocusedLayer(const FocusedSlot &record) {
    for (int layer = 1; layer <= kLayerCount; ++layer) {
        if (record.focusedSlotArray == SlotArrayName(layer))
            return layer;
    }
    return 0;
}

QColor HighlightSlotColour() {
    return QApplication::palette().color(QPalette::Highlight);
}

QColor PlainSlotColour() {
    return QApplication::palette().color(QPalette::Base);
}

void PaintSlotBox(QLineEdit *box, const QColor &background) {
    QPalette palette = box->palette();
    if (palette.color(QPalette::Base) == background)
        return;
    const bool highlighted = background == HighlightSlotColour();
    palette.setColor(QPalette::Base, background);
    // Keep the tokens readable on the highlight. A scheme's own highlighted-text colour is
    // meant for selected text, not for a whole box, and often stands out too little from it.
    palette.setColor(QPalette::Text, highlighted ? ReadableTextOn(background)
                                                 : QApplication::palette().color(QPalette::Text));
    box->setPalette(palette);
}

void FocusSlot(FocusedSlot &record, const SlotBoxes &layerBoxes, int layer, int index) {
    const QColor plain = PlainSlotColour();
    for (QLineEdit *box : layerBoxes)
        PaintSlotBox(box, plain);
    record.focusedSlotArray = SlotArrayName(layer);
    record.focusedSlotIndex = static_cast<qint16>(index);
    PaintSlotBox(layerBoxes.at(index), HighlightSlotColour());
}

void ClearSlot(FocusedSlot &record, const SlotBoxes &layerBoxes, int layer, int index) {
    layerBoxes.at(index)->clear();
    FocusSlot(record, layerBoxes, layer, index);
}

void ForgetFocusedSlot(FocusedSlot &record, const AllSlotBoxes &boxes) {
    record = FocusedSlot();
    const QColor plain = PlainSlotColour();
    for (const SlotBoxes &layerBoxes : boxes)
        for (QLineEdit *box : layerBoxes)
            PaintSlotBox(box, plain);
}

QLineEdit *FocusedBox(const FocusedSlot &record, const AllSlotBoxes &boxes) {
    const int layer = FocusedLayer(record);
    if (layer == 0 || record.focusedSlotIndex < 0 || record.focusedSlotIndex >= kSlotCount)
        return nullptr;
    return boxes.at(layer - 1).at(record.focusedSlotIndex);
}

void AppendTokenToFocusedSlot(const FocusedSlot &record, const AllSlotBoxes &boxes,
                              const QString &token) {
    QLineEdit *box = FocusedBox(record, boxes);
    if (box == nullptr)
        return;
    const QString text = box->text();
    const QString appended = AppendToken(text, token);
    if (appended != text)
        box->setText(appended);
}

} // namespace vorlin
