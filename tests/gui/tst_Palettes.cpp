// The captions the layout puts on white, and the slot being edited, stay readable whatever the
// colour scheme: the window is rendered offscreen under a light, a dark and a high-contrast
// palette, with the port open and closed, and the pixels of each caption are measured.
#include "GuiHelpers.h"

#include "editor/Contrast.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>

#include <algorithm>

using namespace vorlin::test;

namespace {

QPalette Scheme(const char *button, const char *window, const char *highlight,
                const char *highlightedText) {
    // Text, base and disabled text follow from the window colour (white text on a dark one).
    QPalette palette{QColor(button), QColor(window)};
    palette.setColor(QPalette::Highlight, QColor(highlight));
    palette.setColor(QPalette::HighlightedText, QColor(highlightedText));
    return palette;
}

// The commonest colour of an image, taken as its background, and the pixel that stands out
// most from it, taken as the caption.
std::pair<QColor, QColor> BackgroundAndInk(const QImage &image) {
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QList<QRgb> colours = counts.keys();
    const QColor background = QColor::fromRgb(*std::max_element(
        colours.begin(), colours.end(), [&](QRgb a, QRgb b) { return counts[a] < counts[b]; }));
    const auto contrast = [&](QRgb colour) {
        return vorlin::ContrastRatio(QColor::fromRgb(colour), background);
    };
    return {background,
            QColor::fromRgb(*std::max_element(colours.begin(), colours.end(), [&](QRgb a, QRgb b) {
                return contrast(a) < contrast(b);
            }))};
}

} // namespace

class TestPalettes : public QObject {
    Q_OBJECT

    QPalette defaultPalette;

private Q_SLOTS:
    void initTestCase() { defaultPalette = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(defaultPalette); }

    void contrastRatio() {
        // What the measurements below rest on.
        QCOMPARE(vorlin::ContrastRatio(Qt::black, Qt::white), 21.0);
        QCOMPARE(qRound(vorlin::ContrastRatio(QColor("#767676"), Qt::white) * 100), 454);
    }

    void captionsStandOut_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("portOpen");
        // Disabled text is held to 3:1, enabled text to 4.5:1.
        for (const bool open : {true, false}) {
            const char *state = open ? "port open" : "port closed";
            QTest::addRow("default, %s", state) << QApplication::palette() << open;
            // qt6ct's "darker" scheme, and a black high-contrast one.
            QTest::addRow("dark, %s", state)
                << Scheme("#424245", "#222020", "#12608a", "#f9f9f9") << open;
            QTest::addRow("high contrast, %s", state)
                << Scheme("#000000", "#000000", "#1aebff", "#000000") << open;
        }
    }
    void captionsStandOut() {
        QFETCH(QPalette, palette);
        QFETCH(bool, portOpen);
        QApplication::setPalette(palette);
        auto main = MakeMain();
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
        QLineEdit *slot = main->group1value[0];
        slot->setText(QStringLiteral("L_CTRL + c"));
        Click(slot);
        if (!portOpen)
            main->NewTab1->setEnabled(false);

        // Each caption's pixels, inside its control's frame and borders, against the background
        // the layout asks for (a button face shades a little).
        const double floor = portOpen ? 4.5 : 3.0;
        const auto check = [floor](const QString &name, QWidget *control, const QRect &rect,
                                   const QColor &expected) {
            const auto [background, ink] = BackgroundAndInk(control->grab(rect).toImage());
            const double ratio = vorlin::ContrastRatio(ink, background);
            const QString what = QStringLiteral("%1: %2 on %3, %4:1")
                                     .arg(name, ink.name(), background.name())
                                     .arg(ratio, 0, 'f', 2);
            QVERIFY2(vorlin::ContrastRatio(background, expected) < 1.1, qPrintable(what));
            QVERIFY2(ratio >= floor, qPrintable(what));
        };
        // The window and what is drawn straight onto it take the scheme's window background,
        // the colour of a plain slot box (the RGB switch is disabled here: its background only).
        const QColor window = palette.color(QPalette::Base);
        check(main->Label1->text(), main.get(), main->Label1->geometry(), window);
        QCOMPARE(BackgroundAndInk(main->grab(main->Check1->geometry()).toImage()).first, window);
        const QColor white(Qt::white);
        for (QLabel *label : main->LabelGroup1)
            check(label->text(), label, label->rect(), white);
        QTabBar *bar = main->NewTab1->tabBar();
        check("selected tab", bar, bar->tabRect(0).adjusted(2, 2, -2, -2), white);
        QPushButton *clear = main->group1valuebackspace[0];
        check("╳", clear, clear->rect().adjusted(4, 4, -4, -4), white);
        // Both strokes of the cross: its ink on either diagonal, out from the middle both ways.
        const QImage cross = clear->grab().toImage();
        for (const QPoint out : {QPoint(2, 2), QPoint(-2, -2), QPoint(2, -2), QPoint(-2, 2)}) {
            const QColor ink = cross.pixelColor(clear->rect().center() + out);
            QVERIFY2(vorlin::ContrastRatio(ink, white) >= floor, qPrintable(ink.name()));
        }
        // A key has the face the style gives any button as tall, here 连接's.
        QCOMPARE(main->SetKey.at(0)->grab().toImage().pixelColor(16, 3),
                 main->Command1->grab().toImage().pixelColor(32, 3));
        QGroupBox *frame = main->Frame1;
        check("鼠标", frame, {0, 0, frame->width(), frame->fontMetrics().height()}, white);
        check("highlighted slot", slot, slot->rect().adjusted(3, 3, -3, -3),
              palette.color(QPalette::Highlight));
    }
};

QTEST_MAIN(TestPalettes)
#include "tst_Palettes.moc"
