#pragma once

#include "protocol/SettingsReport.h"

#include <QString>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace vorlin {

// The controls a settings report writes to.
struct ReportTargets {
    QTabWidget *layerPages = nullptr;
    std::array<std::array<QLineEdit *, kSlotCount>, kLayerCount> slotBoxes{};
    QCheckBox *rgbBox = nullptr;
    std::array<QCheckBox *, kLayerCount> layerEnableBoxes{};
    std::array<QLabel *, kLayerCount> layerEnableLabels{};
    QLabel *versionLabel = nullptr;
};

// Loads a decoded report into the window: the reported layer's page to the front, all 56 slot
// texts, the RGB box and (full form) the layer-enable boxes set to exactly what the pad reports,
// the enable rows shown or hidden by the report's form, and the firmware version.
// Setting the boxes sends nothing: the pad already holds what they show.
void ApplyReport(const SettingsReport &report, const ReportTargets &targets);

// Shows no pad's settings, as at start-up: every slot empty, the RGB and layer-enable boxes off,
// the enable rows shown, no version. A newly opened port may lead to another pad, which must
// neither be shown nor sent the settings of the one before. Sends nothing either.
void ClearReportedSettings(const ReportTargets &targets);

// Why a report could not be used, as the window tells the user.
QString RejectionReason(const ReportRejection &rejection);

} // namespace vorlin
