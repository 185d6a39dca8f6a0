// Typing a combination: physical keys to tokens, the chord from presses and releases, and the
// slot's append rule. Keys are given as XKB keycodes, what X11 and Wayland report on Linux; the
// Windows build reads the same keys as Windows reports them. The macOS table can only be checked
// for its tokens here.
#include "app/KeyButtonTable.h"
#include "app/PhysicalKeyTable.h"
#include "editor/KeyChord.h"
#include "editor/SlotText.h"
#include "tests/support/NativeKeys.h"

#include <QKeyEvent>
#include <QSet>
#include <QTest>

using namespace vorlin;

class TestKeyChord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A press is the keycode, a release its negative.
    void chords_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("after");
        QTest::newRow("Ctrl+Shift+Esc")
            << "" << QList{37, 50, 9, -9, -50, -37} << "L_CTRL + L_SHIFT + ESC";
        QTest::newRow("released in another order")
            << "" << QList{37, 50, 9, -37, -9, -50} << "L_CTRL + L_SHIFT + ESC";
        QTest::newRow("modifier after the key") << "" << QList{38, 37, -38, -37} << "L_CTRL + a";
        QTest::newRow("modifier alone") << "" << QList{105, -105} << "R_CTRL";
        QTest::newRow("left and right shift")
            << "" << QList{50, 62, -62, -50} << "L_SHIFT + R_SHIFT";
        QTest::newRow("digit row, then keypad") << "" << QList{10, -10, 87, -87} << "1 + KP_1";
        QTest::newRow("letter with shift") << "" << QList{50, 38, -38, -50} << "L_SHIFT + a";
        QTest::newRow("letter after caps lock") << "" << QList{66, -66, 38, -38} << "CAPS_LOCK + a";
        QTest::newRow("shifted mark is its key") << "" << QList{50, 10, -10, -50} << "L_SHIFT + 1";
        QTest::newRow("space bar and menu key")
            << "" << QList{65, -65, 135, -135} << "KEY_MENU + MENU";
        QTest::newRow("media key") << "" << QList{172, -172} << "播放/暂停";
        QTest::newRow("unknown key ignored") << "" << QList{37, 191, -191, -37} << "L_CTRL";
        QTest::newRow("release never pressed") << "" << QList{-37, 38, -38} << "a";
        QTest::newRow("key already there") << "a" << QList{37, 38, -38, -37} << "a + L_CTRL";
        QTest::newRow("fifth token refused")
            << "a + b + c + d" << QList{54, -54} << "a + b + c + d";
        QTest::newRow("chord cut at four")
            << "" << QList{37, 50, 64, 133, 38, -38, -133, -64, -50, -37}
            << "L_CTRL + L_SHIFT + L_ALT + L_GUI";
    }
    void chords() {
        QFETCH(QString, before);
        QFETCH(QList<int>, keys);
        QFETCH(QString, after);
        KeyChord chord;
        QString text = before;
        for (const int key : keys) {
            const QKeyEvent event(key > 0 ? QEvent::KeyPress : QEvent::KeyRelease, 0, {},
                                  test::NativeScanCode(std::abs(key)), 0, 0);
            const QString token = PhysicalKeyToken(event);
            if (key > 0)
                chord.Press(token);
            else
                for (const QString &typed : chord.Release(token))
                    text = AppendToken(text, typed);
        }
        QCOMPARE(text, after);
        QVERIFY(chord.IsEmpty());
    }

    // Without native key data, only what Qt's key names unambiguously.
    void withoutNativeCodes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("token");
        QTest::newRow("letter with shift") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "a";
        QTest::newRow("digit row") << int(Qt::Key_1) << 0 << "1";
        QTest::newRow("keypad digit") << int(Qt::Key_1) << int(Qt::KeypadModifier) << "KP_1";
        QTest::newRow("keypad enter")
            << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "KP_ENTER";
        QTest::newRow("media") << int(Qt::Key_MediaNext) << 0 << "下一曲";
        QTest::newRow("shifted mark") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << "";
        QTest::newRow("modifier of unknown side") << int(Qt::Key_Control) << 0 << "";
    }
    void withoutNativeCodes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, token);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(PhysicalKeyToken(event), token);
    }

    // Every table gives on-screen key tokens (or MENU, which no key button carries), each code
    // once; Linux and Windows cover the whole keyboard, macOS all but the media keys it does not
    // report as keys.
    void tablesGiveKeyboardTokens_data() {
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("missing");
        QTest::newRow("Linux") << 0 << 0;
        QTest::newRow("Windows") << 1 << 0;
        QTest::newRow("macOS") << 2 << 13;
    }
    void tablesGiveKeyboardTokens() {
        QFETCH(int, table);
        QFETCH(int, missing);
        const std::span<const PhysicalKey> keys = table == 0   ? LinuxKeys()
                                                  : table == 1 ? WindowsKeys()
                                                               : MacKeys();
        QSet<QString> keyboard = {QStringLiteral("MENU")};
        for (const KeyButtonSpec &button : kKeyButtons)
            if (button.index < 119) // the mouse block has no key on a keyboard
                keyboard.insert(button.token.toString());
        QSet<quint32> codes;
        QSet<QString> tokens;
        for (const PhysicalKey &key : keys) {
            QVERIFY2(!codes.contains(key.code), qPrintable(QString::number(key.code)));
            codes.insert(key.code);
            QVERIFY2(keyboard.contains(key.token.toString()), qPrintable(key.token.toString()));
            tokens.insert(key.token.toString());
        }
        QCOMPARE(keyboard.size() - tokens.size(), missing);
    }
};

QTEST_MAIN(TestKeyChord)
#include "tst_KeyChord.moc"
