// The yardstick for the tool's start-up: a bare Qt window of the tool's size and title and
// nothing else, with the tool's hidden --screenshot option (render the window once it is shown,
// save the picture, quit), so bench_startup times both programs to the same end point. It links
// only Qt Widgets, not the tool's libraries, so it loads no more than any Qt window does.
#include "app/MessageBoxes.h"
#include "app/Twips.h"

#include "Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), {}, QStringLiteral("file"));
    parser.addOption(screenshot);
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QString::fromUtf16(vorlin::kApplicationTitle) + QStringLiteral(" v") +
                          QString::fromLatin1(vorlin::kVersion));
    window.setFixedSize(vorlin::TwipsSize(15240, 9135));
    window.show();

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(
            0, &window, [&window, file] { QApplication::exit(window.grab().save(file) ? 0 : 1); });
    }
    return QApplication::exec();
}
