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

// Why a report was turned away, as data: the window words it for the user.
struct ReportRejection {
    enum class Kind {
        // The text does not begin with "[[" and end with "]]".
        MissingFrame,
        // count fields, needed at least.
        TooFewFields,
        // Layer `layer` (1 to 4) has count slot entries, needed at least.
        TooFewSlotEntries,
        // The report began but the line went quiet before its "]]" (see MessageInbox).
        CutOff,
    };
    Kind kind = Kind::MissingFrame;
    int layer = 0;
    qsizetype count = 0;
    qsizetype needed = 0;
};

// Exactly one of the two is set.
struct DecodedReport {
    std::optional<SettingsReport> report;
    std::optional<ReportRejection> rejection;
};

// Decodes a whole "[[...]]" message. The body is read as UTF-8, every key code in it becomes its
// name, and the fields are taken apart. A report too short to fill all four layers (fewer than
// six fields, or a layer with fewer than fourteen slot entries) is rejected as a whole, so a
// cut-off report never half-overwrites what the user sees.
DecodedReport DecodeReport(const KeyTable &keyTable, const QByteArray &message);

} // namespace vorlin
