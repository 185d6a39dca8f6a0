#include "app/Main.h"
#include "app/QtTranslations.h"

#include "Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QTimer>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorlin-config"));
    QApplication::setApplicationVersion(QString::fromLatin1(vorlin::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("vorlin-config"));
    // Without them Qt's own buttons and names stay English; the tool works all the same.
    vorlin::InstallQtTranslations(app);

    // Hidden, for documentation: render the window into an image file and quit; with
    // --connect, first connect to the port in the port box and wait for the pad's settings.
    // Anything else on the command line is ignored: a launcher or a habit may pass an argument,
    // and the window opens whatever it is given.
    QCommandLineParser parser;
    QCommandLineOption screenshot(QStringLiteral("screenshot"), {}, QStringLiteral("file"));
    QCommandLineOption connectFirst(QStringLiteral("connect"));
    for (QCommandLineOption *option : {&screenshot, &connectFirst}) {
        option->setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(*option);
    }
    parser.parse(QCoreApplication::arguments());

    Main window;
    window.show();

    const QString file = parser.value(screenshot);
    if (!file.isEmpty()) {
        const auto grab = [&window, file] { QApplication::exit(window.grab().save(file) ? 0 : 1); };
        if (parser.isSet(connectFirst)) {
            QObject::connect(&window, &Main::ReportApplied, &window, [&window, grab] {
                // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): Qt owns the slot object
                QTimer::singleShot(0, &window, grab);
            });
            // The pad takes its first command once the start-up pacing has passed.
            QTimer::singleShot(3100, &window, [&window] { window.Command1->click(); });
            QTimer::singleShot(15000, &window, [] { QApplication::exit(1); });
        } else {
            QTimer::singleShot(0, &window, grab);
        }
    }
    return QApplication::exec();
}
