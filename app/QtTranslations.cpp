#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorlin {

bool InstallQtTranslations(QCoreApplication &application) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool installed = true;
    for (const char *catalogue : {"qtbase_zh_CN", "qtserialport_zh_CN"}) {
        auto *translator = new QTranslator(&application);
        if (translator->load(QLatin1String(catalogue), folder) &&
            QCoreApplication::installTranslator(translator))
            continue;
        delete translator;
        installed = false;
    }
    return installed;
}

} // namespace vorlin
