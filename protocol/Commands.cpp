#include "protocol/Commands.h"

namespace vorlin {

QByteArray LayerSwitchCommand(int layer, bool enable) {
    Q_ASSERT(layer >= 1 && layer <= kLayerCount);
    return QByteArray(enable ? "##enablegroup" : "##disablegroup") + QByteArray::number(layer) +
           QByteArray("##");
}

QString LayerId(int pageIndex) {
    Q_ASSERT(pageIndex >= 0 && pageIndex < kLayerCount);
    return QStringLiteral("group") + QString::number(pageIndex + 1);
}

std::optional<int> PageIndexOf(const QString &layerId) {
    for (int page = 0; page < kLayerCount; ++page) {
        if (layerId == LayerId(page))
            return page;
    }
    return std::nullopt;
}

} // namespace vorlin
