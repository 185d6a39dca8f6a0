#pragma once

#include "keys/KeyTable.h"
#include "protocol/WireFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace vorlin {

// A decoded settings report, with key codes already turned back into names.
struct SettingsReport {
    // Page 0 to 3 of the layer the pad names; none when its identifier is none of "group1" to
    // "group4" (compared exactly).
    std::optional<int> reportedLayer;
    // Each list holds exactly fourteen slot texts, slot 0 first; an empty text is an empty slot.
    std::array<QStringList, kLayerCount> slotTexts;
    bool rgbOn = false;
    // Only the full form (exactly eleven fields) carries the layer switches and a version.
    bool fullForm = false;
    std::array<bool, kLayerCount> layerEnabled{};
    QString firmwareVersion;
};

struct DecodedReport {
    std::optional<SettingsReport> report;
    // Why a report was rejected, in Simplified Chinese; empty when it was decoded.
    QString error;
};

// Decodes a whole "[[...]]" message. The body is read as UTF-8, every key code in it becomes its
// name, and the fields are taken apart. A report too short to fill all four layers (fewer than
// six fields, or a layer with fewer than fourteen slot entries) is rejected as a whole, so a
// cut-off report never half-overwrites what the user sees.
DecodedReport DecodeReport(const KeyTable &keyTable, const QByteArray &message);

} // namespace vorlin
