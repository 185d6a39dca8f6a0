#pragma once

#include "editor/SlotText.h"

#include <QColor>
#include <QString>

#include <array>

class QLineEdit;

namespace vorlin {

// The fourteen slot boxes of one layer, by slot index.
using SlotBoxes = std::array<QLineEdit *, kSlotCount>;

// Slot boxes of layers 1 to 4 (element 0 is layer 1).
using AllSlotBoxes = std::array<SlotBoxes, kLayerCount>;

// The slot the key buttons write into. It names no slot until a slot box first takes the focus,
// and from then on only moves to another slot, until it is forgotten (a new pad connected).
struct FocusedSlot {
    QString focusedSlotArray; // "group1value" … "group4value", empty before the first focus
    qint16 focusedSlotIndex = 0;

    bool IsSet() const { return !focusedSlotArray.isEmpty(); }
};

// The name of layer n's slot-box array (1 gives "group1value"); also a slot box's object name
// stem.
QString SlotArrayName(int layer);

// The layer (1 to 4) whose array the record names, or 0 when it names none.
int FocusedLayer(const FocusedSlot &record);

// Background of the slot being edited, and of every other slot box, from the application
// palette.
QColor HighlightSlotColour();
QColor PlainSlotColour();

void PaintSlotBox(QLineEdit *box, const QColor &background);

// Makes slot `index` of `layer` the focused slot: repaints that layer's boxes plain, then
// highlights the slot. Boxes of other layers keep their colours.
void FocusSlot(FocusedSlot &record, const SlotBoxes &layerBoxes, int layer, int index);

// Empties slot `index` of `layer` and focuses it. Input focus is not moved.
void ClearSlot(FocusedSlot &record, const SlotBoxes &layerBoxes, int layer, int index);

// Makes the record name no slot again, as at start-up, and paints every slot box plain.
void ForgetFocusedSlot(FocusedSlot &record, const AllSlotBoxes &boxes);

// The box the record names; null before the first focus.
QLineEdit *FocusedBox(const FocusedSlot &record, const AllSlotBoxes &boxes);

// A key button's click: appends its token to the focused slot under the slot rules; nothing
// happens before any slot was focused.
void AppendTokenToFocusedSlot(const FocusedSlot &record, const AllSlotBoxes &boxes,
                              const QString &token);

} // namespace vorlin
