#include "GuiHelpers.h"

#include "tests/support/NativeKeys.h"

#include <QApplication>
#include <QKeyEvent>

#include <map>

using namespace vorlin::test;

class TestSlotEditing : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Main> main;

    QLineEdit *Box(int layer, int slot) { return main->LayerValues(layer).at(slot); }

    void Key(const QString &token) {
        QPushButton *button = KeyButtonWithToken(*main, token);
        QVERIFY2(button, qPrintable(token));
        Click(button);
    }

    static QColor Background(QLineEdit *box) { return box->palette().color(QPalette::Base); }
    static QColor Highlight() { return QApplication::palette().color(QPalette::Highlight); }
    static QColor Plain() { return QApplication::palette().color(QPalette::Base); }

    void VerifyRecord(const QString &array, int index) {
        QCOMPARE(main->FocusedSlotRecord().focusedSlotArray, array);
        QCOMPARE(int(main->FocusedSlotRecord().focusedSlotIndex), index);
    }

private Q_SLOTS:
    void init() {
        main = vorlin::test::MakeMain();
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
    }
    void cleanup() { main.reset(); }

    void coloursDiffer() { QVERIFY(Highlight() != Plain()); }

    void nothingBeforeAnySlotWasFocused() {
        VerifyRecord(QString(), 0);
        Key("a");
        Key("L_CTRL");
        Key("单击");
        for (int layer = 1; layer <= 4; ++layer) {
            for (QLineEdit *box : main->LayerValues(layer)) {
                QVERIFY(box->text().isEmpty());
                QCOMPARE(Background(box), Plain());
            }
        }
        VerifyRecord(QString(), 0);
    }

    void clickingASlotFocusesAndHighlightsIt() {
        Click(Box(1, 4));
        VerifyRecord("group1value", 4);
        QCOMPARE(Background(Box(1, 4)), Highlight());
        Click(Box(1, 11));
        VerifyRecord("group1value", 11);
        QCOMPARE(Background(Box(1, 11)), Highlight());
        QCOMPARE(Background(Box(1, 4)), Plain());
    }

    void fourTokensWithoutRepeats() {
        Click(Box(1, 4));
        Key("L_CTRL");
        Key("L_SHIFT");
        Key("a");
        QCOMPARE(Box(1, 4)->text(), QStringLiteral("L_CTRL + L_SHIFT + a"));
        Key("L_CTRL");
        QCOMPARE(Box(1, 4)->text(), QStringLiteral("L_CTRL + L_SHIFT + a"));
        Key("1");
        QCOMPARE(Box(1, 4)->text(), QStringLiteral("L_CTRL + L_SHIFT + a + 1"));
        Key("KP_1");
        Key("F5");
        QCOMPARE(Box(1, 4)->text(), QStringLiteral("L_CTRL + L_SHIFT + a + 1"));
        // Key buttons leave the record and the highlight alone.
        VerifyRecord("group1value", 4);
        QCOMPARE(Background(Box(1, 4)), Highlight());
    }

    void tokensAreComparedWhole() {
        Click(Box(1, 0));
        Key("F10");
        Key("F1");
        QCOMPARE(Box(1, 0)->text(), QStringLiteral("F10 + F1"));
        Click(Box(1, 1));
        Key("浏览器后退");
        Key("后退");
        Key("KEY_MENU");
        QCOMPARE(Box(1, 1)->text(), QStringLiteral("浏览器后退 + 后退 + KEY_MENU"));
    }

    void deleteClearsHighlightsAndKeepsOtherLayers() {
        Click(Box(1, 2));
        ShowPage(*main, 2);
        Click(Box(2, 7));
        Key("a");
        Key("b");
        Click(Box(2, 5));
        QCOMPARE(Background(Box(2, 5)), Highlight());
        QPushButton *del = main->group2valuebackspace.at(7);
        Click(del);
        QVERIFY(Box(2, 7)->text().isEmpty());
        VerifyRecord("group2value", 7);
        QCOMPARE(Background(Box(2, 7)), Highlight());
        for (int slot = 0; slot < 14; ++slot) {
            if (slot != 7)
                QCOMPARE(Background(Box(2, slot)), Plain());
        }
        QCOMPARE(Background(Box(1, 2)), Highlight());
        QCOMPARE(QApplication::focusWidget(), del);
        Key("c");
        QCOMPARE(Box(2, 7)->text(), QStringLiteral("c"));
    }

    void deleteWithoutEarlierFocus() {
        ShowPage(*main, 3);
        Click(main->group3valuebackspace.at(13));
        VerifyRecord("group3value", 13);
        Key("单击");
        QCOMPARE(Box(3, 13)->text(), QStringLiteral("单击"));
    }

    void pageChangeKeepsTheFocusedSlot() {
        Click(Box(1, 3));
        ShowPage(*main, 2);
        QCOMPARE(main->NewTab1->currentIndex(), 1);
        Key("b");
        QCOMPARE(Box(1, 3)->text(), QStringLiteral("b"));
        for (QLineEdit *box : main->group2value)
            QVERIFY(box->text().isEmpty());
        VerifyRecord("group1value", 3);
        QCOMPARE(Background(Box(1, 3)), Highlight());
        // Any box of the page now shown can still be chosen with one click.
        for (int slot : {0, 1, 13}) {
            Click(Box(2, slot));
            VerifyRecord("group2value", slot);
        }
        ShowPage(*main, 1);
        VerifyRecord("group2value", 13);
        Key("c");
        QCOMPARE(Box(2, 13)->text(), QStringLiteral("c"));
        QCOMPARE(Box(1, 3)->text(), QStringLiteral("b"));
    }

    void firstClickOnTheNewPageChoosesASlot() {
        // Bringing a page to the front may hand the input focus to one of its boxes; that box
        // must still take the slot on the very next click.
        for (int slot : {0, 5, 13}) {
            ShowPage(*main, 1);
            Click(Box(1, 3));
            ShowPage(*main, 2);
            VerifyRecord("group1value", 3);
            Click(Box(2, slot));
            VerifyRecord("group2value", slot);
            QCOMPARE(Background(Box(2, slot)), Highlight());
        }
    }

    void backgroundClickBetweenKeys() {
        Click(Box(1, 6));
        Key("x");
        QVERIFY(main->childAt(3, 3) == nullptr);
        QTest::mouseClick(main.get(), Qt::LeftButton, {}, QPoint(3, 3));
        Key("y");
        QCOMPARE(Box(1, 6)->text(), QStringLiteral("x + y"));
        VerifyRecord("group1value", 6);
        QCOMPARE(Background(Box(1, 6)), Highlight());
    }

    // Typing adds whole tokens through the slot rules, never characters or edits. Offscreen
    // keys carry no native codes: a key counts by Qt's key, and Ctrl, whose side is unknown, not
    // at all.
    void typingAddsWholeTokensOnly() {
        Click(Box(1, 9));
        Key("a");
        QCOMPARE(QApplication::focusWidget(), KeyButtonWithToken(*main, "a"));
        Click(Box(1, 9));
        QCOMPARE(QApplication::focusWidget(), Box(1, 9));
        QTest::keyClicks(Box(1, 9), "zz");
        QTest::keyClick(Box(1, 9), Qt::Key_Backspace);
        QTest::keyClick(Box(1, 9), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(Box(1, 9), Qt::Key_Q);
        QCOMPARE(Box(1, 9)->text(), QStringLiteral("a + z + BACKSPACE + v"));
        // A key still held when a click takes the focus away is forgotten: the next key counts.
        QTest::keyPress(Box(1, 9), Qt::Key_X);
        Click(Box(1, 10));
        QTest::keyClick(Box(1, 10), Qt::Key_Y);
        QCOMPARE(Box(1, 10)->text(), QStringLiteral("y"));
    }

    // Keys as X11 and Wayland deliver them: XKB keycode and Qt's key (on Windows, its scan code).
    // Tab and the arrows move the focus and add nothing, even in the middle of a combination.
    void typingIntoTheFocusedBox_data() {
        QTest::addColumn<QList<int>>("keys"); // pressed (twice in a row: repeat), negative released
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("focus");
        QTest::newRow("combination") << QList{37, 50, 9, -9, -50, -37} << "L_CTRL + L_SHIFT + ESC"
                                     << "group1value_4";
        QTest::newRow("Tab") << QList{23, -23} << ""
                             << "group1check";
        QTest::newRow("Shift+Tab") << QList{50, 23, -23, -50} << ""
                                   << "qt_tabwidget_tabbar";
        QTest::newRow("Ctrl, then Up") << QList{37, 111, -111, -37} << ""
                                       << "group1value_3";
        QTest::newRow("Ctrl, Left at edge") << QList{37, 113, -113, -37} << ""
                                            << "group1value_4";
        QTest::newRow("Ctrl+A, held, selects nothing")
            << QList{38, -38, 37, 38, 38, -38, -37} << "a + L_CTRL"
            << "group1value_4";
    }
    void typingIntoTheFocusedBox() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, text);
        QFETCH(QString, focus);
        const std::map<int, Qt::Key> qtKeys = {
            {9, Qt::Key_Escape}, {23, Qt::Key_Tab}, {37, Qt::Key_Control}, {38, Qt::Key_A},
            {50, Qt::Key_Shift}, {111, Qt::Key_Up}, {113, Qt::Key_Left}};
        Click(Box(1, 4));
        Qt::KeyboardModifiers held;
        int previous = 0;
        for (const int key : keys) {
            const Qt::KeyboardModifier modifier = std::abs(key) == 37   ? Qt::ControlModifier
                                                  : std::abs(key) == 50 ? Qt::ShiftModifier
                                                                        : Qt::NoModifier;
            held.setFlag(modifier, key > 0);
            Qt::Key qtKey = qtKeys.at(std::abs(key));
            if (qtKey == Qt::Key_Tab && held.testFlag(Qt::ShiftModifier))
                qtKey = Qt::Key_Backtab;
            QKeyEvent event(key > 0 ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, held,
                            NativeScanCode(std::abs(key)), 0, 0, {}, key == previous);
            previous = key;
            QApplication::sendEvent(QApplication::focusWidget(), &event);
            QVERIFY(!Box(1, 4)->hasSelectedText()); // no key is an editing command there
        }
        for (int slot = 0; slot < 14; ++slot)
            QCOMPARE(Box(1, slot)->text(), slot == 4 ? text : QString());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    // A key of each part of the keyboard (XKB keycode), typed alone, gives its on-screen key's
    // token.
    void eachPartOfTheKeyboardTypes_data() {
        QTest::addColumn<int>("keycode");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("token");
        QTest::newRow("letter") << 39 << int(Qt::Key_S) << "s";
        QTest::newRow("digit") << 14 << int(Qt::Key_5) << "5";
        QTest::newRow("mark") << 61 << int(Qt::Key_Slash) << "/";
        QTest::newRow("function key") << 96 << int(Qt::Key_F12) << "F12";
        QTest::newRow("right Alt") << 108 << int(Qt::Key_Alt) << "R_ALT";
        QTest::newRow("keypad") << 91 << int(Qt::Key_Period) << "KP_DOT";
        QTest::newRow("Delete") << 119 << int(Qt::Key_Delete) << "DELETE";
        QTest::newRow("Pause") << 127 << int(Qt::Key_Pause) << "PAUSE";
        QTest::newRow("volume up") << 123 << int(Qt::Key_VolumeUp) << "音量加";
        QTest::newRow("browser stop") << 136 << int(Qt::Key_Stop) << "浏览器停止";
        QTest::newRow("calculator") << 148 << int(Qt::Key_Calculator) << "计算器";
        QTest::newRow("browser back") << 166 << int(Qt::Key_Back) << "浏览器后退";
        QTest::newRow("media stop") << 174 << int(Qt::Key_MediaStop) << "停止";
        QTest::newRow("home page") << 180 << int(Qt::Key_HomePage) << "主页";
        QTest::newRow("pause of its own") << 209 << int(Qt::Key_MediaPause) << "播放/暂停";
        QTest::newRow("search") << 225 << int(Qt::Key_Search) << "搜索";
        QTest::newRow("media player") << 234 << int(Qt::Key_LaunchMedia) << "播放器";
    }
    void eachPartOfTheKeyboardTypes() {
        QFETCH(int, keycode);
        QFETCH(int, qtKey);
        QFETCH(QString, token);
        const auto keypad = token.startsWith(u"KP_") ? Qt::KeypadModifier : Qt::NoModifier;
        Click(Box(1, 7));
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, qtKey, keypad, NativeScanCode(keycode), 0, 0);
            QApplication::sendEvent(Box(1, 7), &event);
        }
        QCOMPARE(Box(1, 7)->text(), token);
    }
};

QTEST_MAIN(TestSlotEditing)
#include "tst_SlotEditing.moc"
