#include "keys/KeyTable.h"
#include "protocol/Commands.h"
#include "protocol/UploadMessage.h"

#include <QTest>

using vorlin::BuildUploadMessage;
using vorlin::KeyTable;
using vorlin::SlotTextToWire;

namespace {

// The fourteen slots of a typical layer: knobs scroll and change the volume, keys copy and paste.
QStringList TypicalLayer() {
    return {QStringLiteral("向上滚动"),
            QStringLiteral("向下滚动"),
            QStringLiteral("音量加"),
            QStringLiteral("音量减"),
            QStringLiteral("L_CTRL + x"),
            QStringLiteral("L_CTRL + v"),
            QStringLiteral("L_CTRL + L_SHIFT + ESC"),
            QStringLiteral("F5"),
            QStringLiteral("a"),
            QStringLiteral("KP_1"),
            QStringLiteral("L_ALT + TAB"),
            QStringLiteral("单击"),
            QStringLiteral("RETURN"),
            QStringLiteral("静音")};
}

QStringList Filled(const QString &slotText) {
    return QStringList(vorlin::kSlotCount, slotText);
}

} // namespace

class TestUploadMessage : public QObject {
    Q_OBJECT

private:
    KeyTable table;

private Q_SLOTS:
    void slotTextToWire_data() {
        QTest::addColumn<QString>("slotText");
        QTest::addColumn<QString>("wire");
        QTest::newRow("one name") << "F5"
                                  << "198";
        QTest::newRow("one character") << "a"
                                       << "a";
        QTest::newRow("digit is not a keypad key") << "1"
                                                   << "1";
        QTest::newRow("f1 is not inside f10") << "F10 + F1"
                                              << "203 + 194";
        QTest::newRow("f1 then f12") << "F1 + F12"
                                     << "194 + 205";
        QTest::newRow("lower case is not a name") << "l_ctrl + c"
                                                  << "l_ctrl + c";
        QTest::newRow("click is not inside right click") << "右键单击 + 单击"
                                                         << "602 + 601";
        QTest::newRow("back is not inside browser back") << "浏览器后退 + 后退"
                                                         << "514 + 604";
        QTest::newRow("four tokens, three separators") << "L_CTRL + L_SHIFT + a + 1"
                                                       << "128 + 129 + a + 1";
        QTest::newRow("name missing from the keyboard") << "MOUSE_CURSOR_UP"
                                                        << "608";
        QTest::newRow("keyboard token without a code") << "KEY_MENU + MENU"
                                                       << "KEY_MENU + 237";
        QTest::newRow("plus without blanks is one token") << "L_CTRL+a"
                                                          << "L_CTRL+a";
        QTest::newRow("slash in a media name") << "播放/暂停"
                                               << "504";
    }
    void slotTextToWire() {
        QFETCH(QString, slotText);
        QFETCH(QString, wire);
        QCOMPARE(SlotTextToWire(table, slotText), wire);
    }

    void typicalLayerGoesOutByteForByte() {
        const std::optional<QByteArray> message =
            BuildUploadMessage(table, vorlin::LayerId(0), TypicalLayer());
        QVERIFY(message);
        const QByteArray expected =
            "{{group1::606||607||506||507||128 + x||128 + v||128 + 129 + 177||198||a||225||"
            "130 + 179||601||176||505}}";
        QCOMPARE(*message, expected);
        QCOMPARE(message->size(), 104);
    }

    void layerIdAndSlotOrder_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("page 3, knob pressed last")
            << 3 << 13 << QByteArray("{{group4::a||a||a||a||a||a||a||a||a||a||a||a||a||176}}");
        QTest::newRow("page 1, first knob first")
            << 1 << 0 << QByteArray("{{group2::176||a||a||a||a||a||a||a||a||a||a||a||a||a}}");
    }
    void layerIdAndSlotOrder() {
        QFETCH(int, page);
        QFETCH(int, slot);
        QFETCH(QByteArray, expected);
        QStringList slots = Filled(QStringLiteral("a"));
        slots[slot] = QStringLiteral("RETURN");
        const std::optional<QByteArray> message =
            BuildUploadMessage(table, vorlin::LayerId(page), slots);
        QVERIFY(message);
        QCOMPARE(*message, expected);
    }

    void incompleteLayerIsNotSent_data() {
        QTest::addColumn<QStringList>("slots");
        QStringList firstEmpty = TypicalLayer();
        firstEmpty[0].clear();
        QStringList lastEmpty = TypicalLayer();
        lastEmpty[13].clear();
        QTest::newRow("first slot empty") << firstEmpty;
        QTest::newRow("last slot empty") << lastEmpty;
        QTest::newRow("thirteen slots") << TypicalLayer().mid(0, 13);
        QTest::newRow("fifteen slots") << (TypicalLayer() << QStringLiteral("a"));
        QTest::newRow("no slots") << QStringList();
    }
    void incompleteLayerIsNotSent() {
        QFETCH(QStringList, slots);
        QVERIFY(!BuildUploadMessage(table, vorlin::LayerId(0), slots));
    }

    void nonAsciiGoesOutAsUtf8() {
        // Text loaded from a report may hold characters the keyboard never produces.
        QStringList slots = Filled(QStringLiteral("a"));
        slots[4] = QStringLiteral("é + 中");
        const std::optional<QByteArray> message =
            BuildUploadMessage(table, vorlin::LayerId(0), slots);
        QVERIFY(message);
        QVERIFY(message->contains("||\xc3\xa9 + \xe4\xb8\xad||"));
        QCOMPARE(QString::fromUtf8(*message).count(QStringLiteral("é + 中")), 1);
    }
};

QTEST_GUILESS_MAIN(TestUploadMessage)
#include "tst_UploadMessage.moc"
