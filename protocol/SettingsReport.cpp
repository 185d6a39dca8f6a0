#include "protocol/SettingsReport.h"

#include "protocol/Commands.h"
#include "protocol/WireFormat.h"

namespace vorlin {

namespace {

constexpr int kMinFieldCount = 6;
constexpr int kFullFormFieldCount = 11;
constexpr int kRgbField = 5;
constexpr int kFirstLayerEnabledField = 6;
constexpr int kVersionField = 10;
const QString kShortFormVersion = QStringLiteral("1.0.0");
const QString kYes = QStringLiteral("yes");
const QString kFields = QString::fromLatin1(kFieldSeparator);
const QString kSlotEntries = QString::fromLatin1(kSlotEntrySeparator);
constexpr qsizetype kOpeningSize = sizeof(kReportOpening) - 1;
constexpr qsizetype kClosingSize = sizeof(kReportClosing) - 1;

// Empty fields stay in the list, but an empty text has no parts at all.
QStringList SplitKeepingEmpty(const QString &text, const QString &separator) {
    if (text.isEmpty())
        return {};
    return text.split(separator, Qt::KeepEmptyParts);
}

DecodedReport Rejected(ReportRejection::Kind kind, qsizetype count = 0, qsizetype needed = 0,
                       int layer = 0) {
    return DecodedReport{std::nullopt, ReportRejection{kind, layer, count, needed}};
}

} // namespace

DecodedReport DecodeReport(const KeyTable &keyTable, const QByteArray &message) {
    if (message.size() < kEmptyReportBytes || !message.startsWith(kReportOpening) ||
        !message.endsWith(kReportClosing))
        return Rejected(ReportRejection::Kind::MissingFrame);

    // Codes are digits and names hold no "!" or "|", so taking the body apart before turning
    // codes into names gives the same fields; a report too short to use is then turned away
    // before the costly rewriting.
    const QByteArrayView body = QByteArrayView(message).sliced(kOpeningSize).chopped(kClosingSize);
    QStringList fields = SplitKeepingEmpty(QString::fromUtf8(body), kFields);
    if (fields.size() < kMinFieldCount)
        return Rejected(ReportRejection::Kind::TooFewFields, fields.size(), kMinFieldCount);

    for (int layer = 0; layer < kLayerCount; ++layer) {
        const qsizetype count = SplitKeepingEmpty(fields.at(1 + layer), kSlotEntries).size();
        if (count < kSlotCount)
            return Rejected(ReportRejection::Kind::TooFewSlotEntries, count, kSlotCount, layer + 1);
    }

    const qsizetype usedFields =
        fields.size() == kFullFormFieldCount ? kFullFormFieldCount : kMinFieldCount;
    for (qsizetype field = 0; field < usedFields; ++field)
        fields[field] = keyTable.CodesToNames(fields.at(field));

    SettingsReport report;
    report.reportedLayer = PageIndexOf(fields.at(0));
    for (int layer = 0; layer < kLayerCount; ++layer) {
        QStringList entries = SplitKeepingEmpty(fields.at(1 + layer), kSlotEntries);
        entries.resize(kSlotCount);
        report.slotTexts[layer] = entries;
    }
    report.rgbOn = fields.at(kRgbField) == kYes;
    report.fullForm = fields.size() == kFullFormFieldCount;
    if (report.fullForm) {
        for (int layer = 0; layer < kLayerCount; ++layer)
            report.layerEnabled[layer] = fields.at(kFirstLayerEnabledField + layer) == kYes;
        report.firmwareVersion = fields.at(kVersionField);
    } else {
        report.firmwareVersion = kShortFormVersion;
    }
    return DecodedReport{std::move(report), std::nullopt};
}

} // namespace vorlin
