#include "protocol/UploadMessage.h"

#include "protocol/Commands.h"

namespace vorlin {

namespace {
const QString kTokenSeparator = QStringLiteral(" + ");
} // namespace

QString SlotTextToWire(const KeyTable &keyTable, const QString &slotText) {
    QStringList tokens = slotText.split(kTokenSeparator);
    for (QString &token : tokens)
        token = keyTable.TokenToWire(token);
    return tokens.join(kTokenSeparator);
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
    const QString message = QStringLiteral("{{") + layerId + QStringLiteral("::") +
                            wireTexts.join(QStringLiteral("||")) + QStringLiteral("}}");
    return message.toUtf8();
}

} // namespace vorlin
