#include "app/AppIcon.h"

#include <QImageReader>
#include <QPixmap>

// Resources of a static library must be registered by hand.
static void InitAppResources() {
    Q_INIT_RESOURCE(resources);
}

namespace vorlin {

QIcon AppIcon() {
    static const bool registered = (InitAppResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : {16, 32, 64, 128}) {
        // Read by Qt's own PNG reader: asked to find one, Qt would load every image plugin
        // installed to ask each whether it reads PNG.
        QImageReader reader(QStringLiteral(":/icons/%1/vorlin-config.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace vorlin
