#pragma once

#include "keys/KeyTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorlin {

// A slot text as it travels to the pad: split at " + ", every whole token that is a key name
// becomes its decimal code, everything else stays; the tokens are joined again with " + ".
QString SlotTextToWire(const KeyTable &keyTable, const QString &slotText);

// The upload of one layer: "{{" layerId "::" the fourteen wire texts joined by "||" "}}", as
// UTF-8. The keyboard only produces ASCII; text that came from a report and holds other
// characters goes out as UTF-8. None unless there are exactly fourteen slots and all are filled:
// the pad takes a layer only whole.
std::optional<QByteArray> BuildUploadMessage(const KeyTable &keyTable, const QString &layerId,
                                             const QStringList &slotTexts);

} // namespace vorlin
