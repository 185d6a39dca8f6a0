#include "protocol/Commands.h"

#include <QTest>

class TestProtocolCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layerSwitch_data() {
        QTest::addColumn<int>("layer");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("enable 1") << 1 << true << QByteArray("##enablegroup1##");
        QTest::newRow("disable 1") << 1 << false << QByteArray("##disablegroup1##");
        QTest::newRow("enable 4") << 4 << true << QByteArray("##enablegroup4##");
        QTest::newRow("disable 3") << 3 << false << QByteArray("##disablegroup3##");
    }
    void layerSwitch() {
        QFETCH(int, layer);
        QFETCH(bool, enable);
        QFETCH(QByteArray, command);
        QCOMPARE(vorlin::LayerSwitchCommand(layer, enable), command);
    }

    void layerIds_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("layerId");
        QTest::newRow("first page") << 0 << "group1";
        QTest::newRow("last page") << 3 << "group4";
    }
    void layerIds() {
        QFETCH(int, page);
        QFETCH(QString, layerId);
        QCOMPARE(vorlin::LayerId(page), layerId);
        QCOMPARE(vorlin::PageIndexOf(layerId), std::optional<int>(page));
    }
};

QTEST_GUILESS_MAIN(TestProtocolCommands)
#include "tst_ProtocolCommands.moc"
