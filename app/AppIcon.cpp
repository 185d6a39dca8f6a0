#include "app/AppIcon.h"

// Resources of a static library must be registered by hand.
static void InitAppResources() {
    Q_INIT_RESOURCE(resources);
}

namespace vorlin {

QIcon AppIcon() {
    static const bool registered = (InitAppResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : {16, 32, 64, 128})
        icon.addFile(QStringLiteral(":/icons/%1/vorlin-config.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace vorlin
