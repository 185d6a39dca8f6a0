#include "editor/ReportApplier.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace vorlin {

namespace {

void ShowLayerEnableRows(const ReportTargets &targets, bool shown) {
    for (QLabel *label : targets.layerEnableLabels)
        label->setVisible(shown);
    for (QCheckBox *box : targets.layerEnableBoxes)
        box->setVisible(shown);
}

} // namespace

void ApplyReport(const SettingsReport &report, const ReportTargets &targets) {
    if (report.reportedLayer)
        targets.layerPages->setCurrentIndex(*report.reportedLayer);

    for (int slot = 0; slot < kSlotCount; ++slot)
        for (int layer = 0; layer < kLayerCount; ++layer)
            targets.slotBoxes[layer][slot]->setText(report.slotTexts[layer].value(slot));

    targets.rgbBox->setChecked(report.rgbOn);

    // An older pad reports no layer switches: they are hidden rather than show a guess.
    ShowLayerEnableRows(targets, report.fullForm);
    if (report.fullForm) {
        for (int layer = 0; layer < kLayerCount; ++layer)
            targets.layerEnableBoxes[layer]->setChecked(report.layerEnabled[layer]);
    }
    // The short form's decoding already gives its fixed version.
    targets.versionLabel->setText(report.firmwareVersion);
}

void ClearReportedSettings(const ReportTargets &targets) {
    for (const auto &layerBoxes : targets.slotBoxes)
        for (QLineEdit *box : layerBoxes)
            box->clear();
    targets.rgbBox->setChecked(false);
    ShowLayerEnableRows(targets, true);
    for (QCheckBox *box : targets.layerEnableBoxes)
        box->setChecked(false);
    targets.versionLabel->clear();
}

QString RejectionReason(const ReportRejection &rejection) {
    switch (rejection.kind) {
    case ReportRejection::Kind::MissingFrame:
        return QStringLiteral("设置报告格式错误：缺少“%1”或“%2”")
            .arg(QLatin1StringView(kReportOpening), QLatin1StringView(kReportClosing));
    case ReportRejection::Kind::TooFewFields:
        return QStringLiteral("设置报告不完整：只有 %1 个字段（至少需要 %2 个）")
            .arg(rejection.count)
            .arg(rejection.needed);
    case ReportRejection::Kind::TooFewSlotEntries:
        return QStringLiteral("设置报告不完整：层%1 只有 %2 个按键设置（需要 %3 个）")
            .arg(rejection.layer)
            .arg(rejection.count)
            .arg(rejection.needed);
    case ReportRejection::Kind::CutOff:
        return QStringLiteral("设置报告不完整：传输在结尾的“%1”之前中断")
            .arg(QLatin1StringView(kReportClosing));
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace vorlin
