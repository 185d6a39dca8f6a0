#include "protocol/UploadMessage.h"

#include "protocol/WireFormat.h"

namespace vorlin {

namespace {
const QString kTokens = QString::fromLatin1(kTokenSeparator);
} // namespace

QString SlotTextToWire(const KeyTable &keyTable, const QString &slotText) {
    QStringList tokens = slotText.split(kTokens);
    for (QString &token : tokens)
        token = keyTable.TokenToWire(token);
    return tokens.join(kTokens);
}

std::optional<QByteArray> BuildUploadMessage(const KeyTable &keyTable, const QString &layerId,
                                             const QStringList &slotTexts) {
    if (slotTexts.size() != kSlotCount)
        return std::nullopt;
    QStringList wireTexts;
    wireTexts.reserve(kSlotCount);
    for (const QString &slotText : slotTexts) {
        if (slotText.isEmpty())
            return std::nullopt;
        wireTexts.append(SlotTextToWire(keyTable, slotText));
    }
    const QString message =
        QLatin1StringView(kUploadOpening) + layerId + QLatin1StringView(kLayerSeparator) +
        wireTexts.join(QLatin1StringView(kSlotEntrySeparator)) + QLatin1StringView(kUploadClosing);
    return message.toUtf8();
}

} // namespace vorlin
