#include "keys/KeyTable.h"

#include <QTest>

using vorlin::KeyTable;

class TestKeyTable : public QObject {
    Q_OBJECT

private:
    KeyTable table;

private Q_SLOTS:
    void sizes() {
        QCOMPARE(table.Count(), 83);
        QCOMPARE(table.keyNames.size(), 83);
        QCOMPARE(table.keyCodes.size(), 83);
    }

    void namesAndCodesAreDistinctThreeDigit() {
        QSet<QString> names(table.keyNames.begin(), table.keyNames.end());
        QSet<qint16> codes(table.keyCodes.begin(), table.keyCodes.end());
        QCOMPARE(names.size(), 83);
        QCOMPARE(codes.size(), 83);
        for (qint16 code : table.keyCodes)
            QCOMPARE(QString::number(code).size(), 3);
        for (const QString &name : table.keyNames) {
            QVERIFY2(!name.contains(u' ') && !name.contains(u'+'), qPrintable(name));
            // No name holds three digits in a row, so a restored name is never rewritten again.
            QVERIFY2(!name.contains(QRegularExpression(QStringLiteral("[0-9]{3}"))),
                     qPrintable(name));
        }
    }

    void entries_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::newRow("first") << 0 << "L_CTRL" << 128;
        QTest::newRow("tab before caps lock") << 8 << "TAB" << 179;
        QTest::newRow("return") << 11 << "RETURN" << 176;
        QTest::newRow("menu") << 12 << "MENU" << 237;
        QTest::newRow("arrows descend") << 19 << "UP_ARROW" << 218;
        QTest::newRow("right arrow") << 22 << "RIGHT_ARROW" << 215;
        QTest::newRow("keypad 0 after 9") << 38 << "KP_0" << 234;
        QTest::newRow("escape after keypad") << 40 << "ESC" << 177;
        QTest::newRow("f10") << 50 << "F10" << 203;
        QTest::newRow("mouse click") << 56 << "单击" << 601;
        QTest::newRow("last mouse") << 66 << "MOUSE_CURSOR_RIGHT" << 611;
        QTest::newRow("media after mouse") << 67 << "下一曲" << 501;
        QTest::newRow("play pause") << 70 << "播放/暂停" << 504;
        QTest::newRow("last") << 82 << "邮件" << 516;
    }
    void entries() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(int, code);
        QCOMPARE(table.keyNames.at(index), name);
        QCOMPARE(int(table.keyCodes.at(index)), code);
        QCOMPARE(table.CodeOf(name), std::optional<qint16>(code));
    }

    void notNames_data() {
        QTest::addColumn<QString>("token");
        QTest::newRow("lower case") << "l_ctrl";
        QTest::newRow("mixed case") << "L_Ctrl";
        QTest::newRow("letter") << "a";
        QTest::newRow("digit is not keypad") << "1";
        QTest::newRow("equals") << "=";
        QTest::newRow("slash") << "/";
        QTest::newRow("space key token") << "KEY_MENU";
        QTest::newRow("part of a name") << "F";
        QTest::newRow("name with blank") << "L_CTRL ";
        QTest::newRow("empty") << "";
    }
    void notNames() {
        QFETCH(QString, token);
        QCOMPARE(table.CodeOf(token), std::nullopt);
        QCOMPARE(table.TokenToWire(token), token);
        QCOMPARE(table.CodesToNames(token), token);
    }

    // Every token an on-screen key button carries: names go out as their code and come back as
    // the same name; characters and "KEY_MENU" go out and come back unchanged.
    void buttonTokensRoundTrip_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<bool>("isName");
        const char *names[] = {
            "ESC",        "F1",           "F2",          "F3",        "F4",          "F5",
            "F6",         "F7",           "F8",          "F9",        "F10",         "F11",
            "F12",        "BACKSPACE",    "TAB",         "CAPS_LOCK", "RETURN",      "L_SHIFT",
            "R_SHIFT",    "L_CTRL",       "L_GUI",       "L_ALT",     "R_ALT",       "R_GUI",
            "R_CTRL",     "PRINT_SCREEN", "SCROLL_LOCK", "PAUSE",     "INSERT",      "HOME",
            "PAGE_UP",    "DELETE",       "END",         "PAGE_DOWN", "UP_ARROW",    "LEFT_ARROW",
            "DOWN_ARROW", "RIGHT_ARROW",  "NUM_LOCK",    "KP_SLASH",  "KP_ASTERISK", "KP_MINUS",
            "KP_7",       "KP_8",         "KP_9",        "KP_PLUS",   "KP_4",        "KP_5",
            "KP_6",       "KP_1",         "KP_2",        "KP_3",      "KP_0",        "KP_DOT",
            "KP_ENTER",   "下一曲",       "上一曲",      "停止",      "播放/暂停",   "音量加",
            "音量减",     "静音",         "主页",        "我的电脑",  "计算器",      "书签",
            "搜索",       "浏览器停止",   "浏览器后退",  "播放器",    "邮件",        "单击",
            "右键单击",   "滚轮单击",     "后退",        "前进",      "向上滚动",    "向下滚动"};
        for (const char *name : names)
            QTest::newRow(name) << QString::fromUtf8(name) << true;
        const QString characters =
            QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789`-=[]\\;',./");
        for (QChar c : characters)
            QTest::newRow(qPrintable(QString(c))) << QString(c) << false;
        QTest::newRow("KEY_MENU") << "KEY_MENU" << false;
        QCOMPARE(std::size(names), size_t(78));
        QCOMPARE(characters.size(), 47);
    }
    void buttonTokensRoundTrip() {
        QFETCH(QString, token);
        QFETCH(bool, isName);
        const QString wire = table.TokenToWire(token);
        QCOMPARE(wire != token, isName);
        if (isName)
            QVERIFY(wire.size() == 3 && wire.toInt() >= 128);
        QCOMPARE(table.CodesToNames(wire), token);
    }

    void codesToNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("modifier and char") << "128 + a"
                                           << "L_CTRL + a";
        QTest::newRow("two digits stay") << "97 + 12"
                                         << "97 + 12";
        QTest::newRow("every occurrence") << "128||128 + 129"
                                          << "L_CTRL||L_CTRL + L_SHIFT";
        QTest::newRow("f1 and f10") << "194 + 203"
                                    << "F1 + F10";
        QTest::newRow("names inside names") << "601||602||604||514||503||513"
                                            << "单击||右键单击||后退||浏览器后退||停止||浏览器停止";
        QTest::newRow("unknown code stays") << "999 + 100"
                                            << "999 + 100";
        QTest::newRow("run of digits, left to right") << "128129"
                                                      << "L_CTRLL_SHIFT";
        // Table order decides, not position: 128 (entry 0) goes before 512 (entry 78).
        QTest::newRow("earlier entry first") << "5128"
                                             << "5L_CTRL";
        // A name ending in a digit joins the digits after it into a later entry's code.
        QTest::newRow("name digits join a later code") << "23001"
                                                       << "KP_单击";
        QTest::newRow("empty") << ""
                               << "";
    }
    void codesToNames() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(table.CodesToNames(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestKeyTable)
#include "tst_KeyTable.moc"
