#include "app/Main.h"
#include "app/AppIcon.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorlin-config"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.1"));
    QApplication::setDesktopFileName(QStringLiteral("vorlin-config"));
    QApplication::setWindowIcon(vorlin::AppIcon());

    // Hidden: render the window after start-up into an image file and quit (documentation).
    QCommandLineParser parser;
    QCommandLineOption screenshot(QStringLiteral("screenshot"), {}, QStringLiteral("file"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    parser.process(app);

    Main window;
    window.show();

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(
            0, &window, [&window, file] { QApplication::exit(window.grab().save(file) ? 0 : 1); });
    }
    return QApplication::exec();
}
