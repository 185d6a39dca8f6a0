#include "app/AppIcon.h"

// Resources of a static library must be registered by hand.
static void InitAppResources() {
    Q_INIT_RESOURCE(resources);
}

namespace vorlin {

QIcon AppIcon() {
    static const bool registered = (InitAppResources(), true);
    Q_UNUSED(registered);
    QIcon icon(QStringLiteral(":/icons/vorlin-config.svg"));
    if (icon.pixmap(64, 64).isNull())
        icon = QIcon(QStringLiteral(":/icons/vorlin-config-256.png"));
    return icon;
}

} // namespace vorlin
