#include "editor/SlotText.h"

#include <QTest>

using namespace vorlin;

class TestSlotText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("unassigned") << "" << QStringList{};
        QTest::newRow("one") << "F1" << QStringList{"F1"};
        QTest::newRow("combination")
            << "L_CTRL + L_SHIFT + a" << QStringList{"L_CTRL", "L_SHIFT", "a"};
        QTest::newRow("plus without blanks is one token") << "a+b" << QStringList{"a+b"};
        QTest::newRow("plus key between separators") << "= + +" << QStringList{"=", "+"};
        QTest::newRow("trailing separator") << "a + " << QStringList{"a", ""};
        QTest::newRow("names with blanks around")
            << "单击 + 播放/暂停" << QStringList{"单击", "播放/暂停"};
    }
    void split() {
        QFETCH(QString, text);
        QFETCH(QStringList, tokens);
        QCOMPARE(SplitSlotText(text), tokens);
    }

    void joinIsTheInverseOfSplit() {
        QCOMPARE(JoinSlotText({"L_CTRL", "c"}), QStringLiteral("L_CTRL + c"));
        QCOMPARE(JoinSlotText({}), QString());
        const QString text = QStringLiteral("R_ALT + KEY_MENU + 1 + \\");
        QCOMPARE(JoinSlotText(SplitSlotText(text)), text);
    }

    void append_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty slot takes it") << ""
                                             << "a"
                                             << "a";
        QTest::newRow("second") << "L_CTRL"
                                << "c"
                                << "L_CTRL + c";
        QTest::newRow("fourth") << "L_CTRL + L_SHIFT + a"
                                << "1"
                                << "L_CTRL + L_SHIFT + a + 1";
        QTest::newRow("repeat of first") << "L_CTRL + L_SHIFT + a"
                                         << "L_CTRL"
                                         << "L_CTRL + L_SHIFT + a";
        QTest::newRow("repeat of last") << "L_CTRL + a"
                                        << "a"
                                        << "L_CTRL + a";
        QTest::newRow("fifth refused") << "a + b + c + d"
                                       << "e"
                                       << "a + b + c + d";
        QTest::newRow("more than four from the pad") << "a + b + c + d + e"
                                                     << "f"
                                                     << "a + b + c + d + e";
        QTest::newRow("whole tokens") << "F10"
                                      << "F1"
                                      << "F10 + F1";
        QTest::newRow("names inside names") << "浏览器后退"
                                            << "后退"
                                            << "浏览器后退 + 后退";
        QTest::newRow("case matters") << "a"
                                      << "A"
                                      << "a + A";
        QTest::newRow("keypad digit is not digit") << "1"
                                                   << "KP_1"
                                                   << "1 + KP_1";
        QTest::newRow("repeat behind a blank token") << "a +  + b"
                                                     << "b"
                                                     << "a +  + b";
    }
    void append() {
        QFETCH(QString, text);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        QCOMPARE(AppendToken(text, token), expected);
    }
};

QTEST_GUILESS_MAIN(TestSlotText)
#include "tst_SlotText.moc"
