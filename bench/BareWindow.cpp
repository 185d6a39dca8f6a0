// The yardstick for the tool's start-up: a bare Qt window of the tool's size and title and
// nothing else, with the tool's hidden --screenshot option (render the window once it is shown,
// save the picture, quit), so bench_startup times both programs to the same end point. It links
// only Qt Widgets, not the tool's libraries, so it loads no more than any Qt window does.
//
// With --text it is a second yardstick: the same window with the least text the tool shows, one
// Chinese caption and one text box in the tool's control font where the tool has its port box.
// Any window with Chinese text pays that much before it can be shown: the font database, the
// faces and their Chinese fallback.
#include "app/ControlFont.h"
#include "app/MessageBoxes.h"
#include "app/Twips.h"

#include "Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), {}, QStringLiteral("file"));
    const QCommandLineOption text(QStringLiteral("text"));
    parser.addOption(screenshot);
    parser.addOption(text);
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QString::fromUtf16(vorlin::kApplicationTitle) + QStringLiteral(" v") +
                          QString::fromLatin1(vorlin::kVersion));
    window.setFixedSize(vorlin::TwipsSize(15240, 9135));
    if (parser.isSet(text)) {
        auto *caption = new QLabel(&window);
        caption->setFont(vorlin::ControlFont());
        caption->setText(QStringLiteral("选择串口:"));
        caption->setGeometry(vorlin::TwipsRect(360, 240, 975, 255));
        auto *box = new QLineEdit(&window);
        box->setFont(vorlin::ControlFont());
        box->setGeometry(vorlin::TwipsRect(1440, 240, 1095, 345));
    }
    window.show();

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(
            0, &window, [&window, file] { QApplication::exit(window.grab().save(file) ? 0 : 1); });
    }
    return QApplication::exec();
}
