#include "sim/PadState.h"

#include <QRegularExpression>
#include <QTest>

using vorlin::sim::PadState;

Q_DECLARE_METATYPE(PadState)

namespace {

// Codes the pad knows: modifiers, keyboard keys, media and mouse actions.
bool IsKnownCode(int code) {
    return (code >= 128 && code <= 135) || (code >= 176 && code <= 237) ||
           (code >= 501 && code <= 516) || (code >= 601 && code <= 611);
}

} // namespace

class TestPadState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void factoryState() {
        const PadState state;
        QCOMPARE(state.layers[0],
                 QStringList({"606", "607", "506", "507", "128 + x", "128 + v", "128 + 129 + 177",
                              "198", "a", "225", "130 + 179", "601", "176", "505"}));
        QCOMPARE(state.currentLayer, QString("group1"));
        QVERIFY(state.rgbOn);
        QCOMPARE(state.enabled, (std::array<bool, 4>{true, true, false, false}));
        QCOMPARE(state.version, QString("1.0.2"));
        const QRegularExpression code("^[0-9]{3}$");
        for (const QStringList &layer : state.layers) {
            QCOMPARE(layer.size(), PadState::kSlotCount);
            for (const QString &entry : layer) {
                QVERIFY(!entry.isEmpty());
                // Wire form: three-digit codes and single characters joined by " + ".
                for (const QString &token : entry.split(" + ")) {
                    QVERIFY2(token.size() == 1 ||
                                 (code.match(token).hasMatch() && IsKnownCode(token.toInt())),
                             qPrintable(entry));
                }
            }
        }
        QVERIFY(state.layers[1] != state.layers[0]);
        QVERIFY(state.layers[2] != state.layers[1]);
        QVERIFY(state.layers[3] != state.layers[2]);
    }

    void report_data() {
        QTest::addColumn<bool>("shortForm");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("full") << false
                              << QByteArray(
                                     "[[group4!!L1!!L2!!L3!!L4!!no!!no!!yes!!no!!yes!!9.9]]");
        QTest::newRow("short") << true << QByteArray("[[group4!!L1!!L2!!L3!!L4!!no]]");
    }
    void report() {
        QFETCH(bool, shortForm);
        QFETCH(QByteArray, expected);
        PadState state;
        state.currentLayer = "group4";
        state.rgbOn = false;
        state.enabled = {false, true, false, true};
        state.version = "9.9";
        for (int i = 0; i < 4; ++i) {
            state.layers[i] = QStringList(14, QString());
            state.layers[i][0] = QStringLiteral("L%1").arg(i + 1);
        }
        expected.replace("L1", QByteArray("L1" + QByteArray(13 * 2, '|')));
        expected.replace("L2", QByteArray("L2" + QByteArray(13 * 2, '|')));
        expected.replace("L3", QByteArray("L3" + QByteArray(13 * 2, '|')));
        expected.replace("L4", QByteArray("L4" + QByteArray(13 * 2, '|')));
        QCOMPARE(vorlin::sim::BuildReport(state, shortForm), expected);
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<PadState>("expected");
        const PadState factory;
        QTest::newRow("empty file") << QByteArray() << factory;
        QTest::newRow("comments and blanks") << QByteArray("# a pad\n\n   \n# more\n") << factory;
        PadState changed;
        changed.currentLayer = "group2";
        changed.rgbOn = false;
        changed.enabled = {false, false, true, true};
        changed.version = "3.0.0-beta";
        changed.layers[3] = {"a", "b", "c", "d", "e", "f", "g",
                             "h", "i", "j", "k", "l", "m", "128 + 129 + n"};
        QTest::newRow("every key")
            << QByteArray("layer=group2\nrgb=no\nenabled=no,no,yes,yes\nversion=3.0.0-beta\n"
                          "group4=a||b||c||d||e||f||g||h||i||j||k||l||m||128 + 129 + n\n")
            << changed;
        QTest::newRow("carriage returns and blanks around keys")
            << QByteArray(" layer = group2\r\nrgb= no \r\nenabled=no, no ,yes,yes\r\n"
                          "version= 3.0.0-beta\r\n"
                          "group4=a||b||c||d||e||f||g||h||i||j||k||l||m||128 + 129 + n\r\n")
            << changed;
        PadState empties;
        empties.layers[0] = QStringList(14);
        QTest::newRow("empty entries") << QByteArray("group1=" + QByteArray(26, '|')) << empties;
    }
    void parse() {
        QFETCH(QByteArray, text);
        QFETCH(PadState, expected);
        QString error;
        const std::optional<PadState> state = vorlin::sim::ParsePadState(text, &error);
        QVERIFY2(state, qPrintable(error));
        QCOMPARE(*state, expected);
    }

    void parseErrors_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("where");
        QTest::newRow("no equals sign") << QByteArray("layer group2") << "line 1";
        QTest::newRow("unknown key") << QByteArray("\ncolour=red") << "line 2";
        QTest::newRow("bad layer") << QByteArray("layer=group5") << "line 1";
        QTest::newRow("layer in other case") << QByteArray("layer=Group1") << "line 1";
        QTest::newRow("bad flag") << QByteArray("rgb=on") << "line 1";
        QTest::newRow("three enable flags") << QByteArray("enabled=yes,yes,no") << "line 1";
        QTest::newRow("bad enable flag") << QByteArray("# x\nenabled=yes,yes,no,1") << "line 2";
        QTest::newRow("empty version") << QByteArray("version=") << "line 1";
        QTest::newRow("thirteen entries")
            << QByteArray("group2=" + QByteArray(24, '|')) << "line 1";
        QTest::newRow("fifteen entries") << QByteArray("group3=" + QByteArray(28, '|')) << "line 1";
        QTest::newRow("entry breaking the framing")
            << QByteArray("group3=a!!b" + QByteArray(26, '|')) << "line 1";
        QTest::newRow("key twice") << QByteArray("rgb=yes\nrgb=no") << "line 2";
        QTest::newRow("bare group") << QByteArray("group=a") << "line 1";
    }
    void parseErrors() {
        QFETCH(QByteArray, text);
        QFETCH(QString, where);
        QString error;
        QVERIFY(!vorlin::sim::ParsePadState(text, &error));
        QVERIFY2(error.startsWith(where + ":"), qPrintable(error));
    }

    void loadMissingFile() {
        QString error;
        QVERIFY(!vorlin::sim::LoadPadState("/nonexistent/state.txt", &error));
        QVERIFY(error.contains("/nonexistent/state.txt"));
    }

    void layerIds() {
        for (int i = 0; i < 4; ++i)
            QCOMPARE(vorlin::sim::LayerIndex(vorlin::sim::LayerId(i)), std::optional<int>(i));
        QCOMPARE(vorlin::sim::LayerIndex(u"group0"), std::nullopt);
        QCOMPARE(vorlin::sim::LayerIndex(u"group"), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestPadState)
#include "tst_PadState.moc"
