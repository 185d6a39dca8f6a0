#include "editor/ReportApplier.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace vorlin {

void ApplyReport(const SettingsReport &report, const ReportTargets &targets) {
    if (report.reportedLayer)
        targets.layerPages->setCurrentIndex(*report.reportedLayer);

    for (int slot = 0; slot < kSlotCount; ++slot)
        for (int layer = 0; layer < kLayerCount; ++layer)
            targets.slotBoxes[layer][slot]->setText(report.slotTexts[layer].value(slot));

    targets.rgbBox->setChecked(report.rgbOn);

    if (report.fullForm) {
        for (QLabel *label : targets.layerEnableLabels)
            label->setVisible(true);
        for (int layer = 0; layer < kLayerCount; ++layer) {
            targets.layerEnableBoxes[layer]->setVisible(true);
            targets.layerEnableBoxes[layer]->setChecked(report.layerEnabled[layer]);
        }
    } else {
        // An older pad reports no layer switches: hide them rather than show a guess.
        for (QLabel *label : targets.layerEnableLabels)
            label->setVisible(false);
        for (QCheckBox *box : targets.layerEnableBoxes)
            box->setVisible(false);
    }
    // The short form's decoding already gives its fixed version.
    targets.versionLabel->setText(report.firmwareVersion);
}

} // namespace vorlin
