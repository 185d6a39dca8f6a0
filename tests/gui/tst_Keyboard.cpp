#include "GuiHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QSignalSpy>

#include <set>

using namespace vorlin::test;

namespace {

struct Row {
    int top;                                     // twips
    std::vector<std::pair<int, QString>> tokens; // button index and the token it carries
};

// The keyboard as the pad's users know it, row by row; only index and token, the layout is the
// window's business.
const std::vector<Row> &ExpectedRows() {
    static const std::vector<Row> rows = {
        {4800,
         {{0, "ESC"},
          {1, "F1"},
          {2, "F2"},
          {3, "F3"},
          {4, "F4"},
          {5, "F5"},
          {6, "F6"},
          {7, "F7"},
          {8, "F8"},
          {9, "F9"},
          {10, "F10"},
          {11, "F11"},
          {12, "F12"},
          {73, "PRINT_SCREEN"},
          {74, "SCROLL_LOCK"},
          {75, "PAUSE"}}},
        {5400, {{13, "`"},        {14, "1"},         {15, "2"},        {16, "3"},
                {17, "4"},        {18, "5"},         {19, "6"},        {20, "7"},
                {21, "8"},        {22, "9"},         {23, "0"},        {24, "-"},
                {25, "="},        {26, "BACKSPACE"}, {76, "INSERT"},   {77, "HOME"},
                {78, "PAGE_UP"},  {86, "NUM_LOCK"},  {87, "KP_SLASH"}, {88, "KP_ASTERISK"},
                {89, "KP_MINUS"}, {119, "单击"},     {120, "右键单击"}}},
        {6000, {{27, "TAB"},     {28, "q"},         {29, "w"},    {30, "e"},    {31, "r"},
                {32, "t"},       {33, "y"},         {34, "u"},    {35, "i"},    {36, "o"},
                {37, "p"},       {38, "["},         {39, "]"},    {40, "\\"},   {79, "DELETE"},
                {80, "END"},     {81, "PAGE_DOWN"}, {90, "KP_7"}, {91, "KP_8"}, {92, "KP_9"},
                {93, "KP_PLUS"}, {121, "滚轮单击"}}},
        {6600,
         {{41, "CAPS_LOCK"},
          {42, "a"},
          {43, "s"},
          {44, "d"},
          {45, "f"},
          {46, "g"},
          {47, "h"},
          {48, "j"},
          {49, "k"},
          {50, "l"},
          {51, ";"},
          {52, "'"},
          {53, "RETURN"},
          {94, "KP_4"},
          {95, "KP_5"},
          {96, "KP_6"},
          {122, "后退"},
          {123, "前进"}}},
        {7200,
         {{54, "L_SHIFT"},
          {55, "z"},
          {56, "x"},
          {57, "c"},
          {58, "v"},
          {59, "b"},
          {60, "n"},
          {61, "m"},
          {62, ","},
          {63, "."},
          {64, "/"},
          {65, "R_SHIFT"},
          {82, "UP_ARROW"},
          {97, "KP_1"},
          {98, "KP_2"},
          {99, "KP_3"},
          {102, "KP_ENTER"},
          {124, "向上滚动"},
          {125, "向下滚动"}}},
        {7800,
         {{66, "L_CTRL"},
          {67, "L_GUI"},
          {68, "L_ALT"},
          {69, "KEY_MENU"},
          {70, "R_ALT"},
          {71, "R_GUI"},
          {72, "R_CTRL"},
          {83, "LEFT_ARROW"},
          {84, "DOWN_ARROW"},
          {85, "RIGHT_ARROW"},
          {100, "KP_0"},
          {101, "KP_DOT"}}},
        {8400,
         {{103, "下一曲"},
          {104, "上一曲"},
          {105, "停止"},
          {106, "播放/暂停"},
          {107, "音量加"},
          {108, "音量减"},
          {109, "静音"},
          {110, "主页"},
          {111, "我的电脑"},
          {112, "计算器"},
          {113, "书签"},
          {114, "搜索"},
          {115, "浏览器停止"},
          {116, "浏览器后退"},
          {117, "播放器"},
          {118, "邮件"}}},
    };
    return rows;
}

struct PaintCount : QObject {
    explicit PaintCount(QWidget *control) { control->installEventFilter(this); }
    bool eventFilter(QObject * /*watched*/, QEvent *event) override {
        count += int(event->type() == QEvent::Paint);
        return false;
    }
    int count = 0;
};

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Main> main;

private Q_SLOTS:
    void init() { main = vorlin::test::MakeMain(); }
    void cleanup() { main.reset(); }

    void everyTokenAndRow() {
        std::set<int> seen;
        for (const Row &row : ExpectedRows()) {
            for (const auto &[index, token] : row.tokens) {
                QVERIFY2(seen.insert(index).second, qPrintable(QString::number(index)));
                QCOMPARE(main->KeyTag(index), token);
                QCOMPARE(main->SetKey.at(index)->property("Tag").toString(), token);
                QCOMPARE(main->SetKey.at(index)->y(), Px(row.top));
            }
        }
        QCOMPARE(int(seen.size()), 126);
    }

    void tokensAgainstTheKeyTable() {
        // 78 table names, 47 single characters, and KEY_MENU; the menu key and the cursor moves
        // of the mouse have no button.
        int names = 0;
        int characters = 0;
        QSet<QString> tokens;
        for (int index = 0; index < 126; ++index) {
            const QString token = main->KeyTag(index);
            tokens.insert(token);
            if (main->Keys().CodeOf(token))
                ++names;
            else if (token.size() == 1)
                ++characters;
            else
                QCOMPARE(token, QStringLiteral("KEY_MENU"));
        }
        QCOMPARE(tokens.size(), 126);
        QCOMPARE(names, 78);
        QCOMPARE(characters, 47);
        for (const char *absent : {"MENU", "MOUSE_CURSOR_UP", "MOUSE_CURSOR_LEFT",
                                   "MOUSE_CURSOR_DOWN", "MOUSE_CURSOR_RIGHT"})
            QVERIFY2(!tokens.contains(QString::fromLatin1(absent)), absent);
    }

    void positions_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("left");
        QTest::newRow("F1 after ESC") << "F1" << 840;
        QTest::newRow("q after TAB") << "q" << 960;
        QTest::newRow("a after CAPS_LOCK") << "a" << 1200;
        QTest::newRow("z after L_SHIFT") << "z" << 1560;
        QTest::newRow("space bar") << "KEY_MENU" << 2400;
        QTest::newRow("R_ALT after the space bar") << "R_ALT" << 6600;
        QTest::newRow("KP_DOT after KP_0") << "KP_DOT" << 12120;
        QTest::newRow("first media") << "下一曲" << 240;
        QTest::newRow("last media") << "邮件" << 13080;
        QTest::newRow("navigation block") << "INSERT" << 8760;
        QTest::newRow("up arrow") << "UP_ARROW" << 9360;
        QTest::newRow("keypad") << "NUM_LOCK" << 10800;
        QTest::newRow("mouse block") << "单击" << 13560;
    }
    void positions() {
        QFETCH(QString, token);
        QFETCH(int, left);
        QPushButton *button = KeyButtonWithToken(*main, token);
        QVERIFY(button);
        QCOMPARE(button->x(), Px(left));
    }

    void sizes() {
        QCOMPARE(KeyButtonWithToken(*main, "KP_PLUS")->height(), Px(1095));
        QCOMPARE(KeyButtonWithToken(*main, "KP_ENTER")->height(), Px(1095));
        QCOMPARE(KeyButtonWithToken(*main, "KEY_MENU")->size(), QSize(Px(4095), Px(495)));
        QCOMPARE(KeyButtonWithToken(*main, "ESC")->size(), QSize(Px(495), Px(495)));
        int tall = 0;
        for (QPushButton *button : main->SetKey)
            tall += button->height() != Px(495);
        QCOMPARE(tall, 2);
    }

    void buttonsNeitherOverlapNorLeaveTheirArea() {
        const QRect area(PxPoint(240, 4800), PxPoint(14895, 8895) - QPoint(1, 1));
        for (int a = 0; a < 126; ++a) {
            const QRect rect = main->SetKey.at(a)->geometry();
            QVERIFY2(area.contains(rect), qPrintable(QString::number(a)));
            for (int b = a + 1; b < 126; ++b)
                QVERIFY2(!rect.intersects(main->SetKey.at(b)->geometry()),
                         qPrintable(QStringLiteral("%1 and %2").arg(a).arg(b)));
        }
    }

    void twoLineCaptions_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::newRow("grave") << 13 << "~"
                               << "`";
        QTest::newRow("ampersand") << 20 << "&&"
                                   << "7";
        QTest::newRow("backslash") << 40 << "|"
                                   << "\\";
        QTest::newRow("quote") << 52 << "\""
                               << "'";
        QTest::newRow("scroll lock") << 74 << "Scrl"
                                     << "Lock";
        QTest::newRow("page up") << 78 << "Pg"
                                 << "Up";
        QTest::newRow("page down") << 81 << "Pg"
                                   << "Down";
        QTest::newRow("keypad 8") << 91 << "8"
                                  << "↑";
        QTest::newRow("keypad dot") << 101 << "."
                                    << "Del";
    }
    void twoLineCaptions() {
        QFETCH(int, index);
        QFETCH(QString, top);
        QFETCH(QString, bottom);
        const QString text = main->SetKey.at(index)->text();
        QCOMPARE(text, top + u'\n' + bottom);
        // No access key: a doubled ampersand is shown as one.
        QVERIFY(QKeySequence::mnemonic(text).isEmpty());
    }

    void captionsOnOneOrTwoLines() {
        int twoLine = 0;
        for (QPushButton *button : main->SetKey) {
            QVERIFY(!button->text().contains(u'\r'));
            twoLine += button->text().contains(u'\n');
            QVERIFY(QKeySequence::mnemonic(button->text()).isEmpty());
        }
        QCOMPARE(twoLine, 35);
        for (int index : {87, 88, 89, 93, 95, 102})
            QVERIFY(!main->SetKey.at(index)->text().contains(u'\n'));
        QCOMPARE(main->SetKey.at(69)->text(), QStringLiteral("Space"));
        QCOMPARE(main->SetKey.at(95)->text(), QStringLiteral("5"));
        QCOMPARE(KeyButtonWithToken(*main, "播放/暂停")->text(), QStringLiteral("播放/暂停"));
    }
    // An arrow goes to the nearest key in its direction that lies across from the key.
    void arrowsGoToTheNearestKey_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<QString>("to");
        QTest::newRow("down a column") << "ESC" << int(Qt::Key_Down) << "`";
        QTest::newRow("up onto a wide key") << "L_CTRL" << int(Qt::Key_Up) << "L_SHIFT";
        QTest::newRow("down to the closer of two") << "q" << int(Qt::Key_Down) << "a";
        QTest::newRow("the tall key beside is not below") << "KP_9" << int(Qt::Key_Down) << "KP_6";
        QTest::newRow("right onto a tall key") << "KP_3" << int(Qt::Key_Right) << "KP_ENTER";
        QTest::newRow("up from the space bar") << "KEY_MENU" << int(Qt::Key_Up) << "b";
        QTest::newRow("across a hole in the row") << "F12" << int(Qt::Key_Right) << "PRINT_SCREEN";
        QTest::newRow("into the mouse block") << "KP_MINUS" << int(Qt::Key_Right) << "单击";
        QTest::newRow("down the mouse block") << "右键单击" << int(Qt::Key_Down) << "前进";
        QTest::newRow("edge") << "邮件" << int(Qt::Key_Right) << "邮件";
    }
    void arrowsGoToTheNearestKey() {
        QFETCH(QString, from);
        QFETCH(int, arrow);
        QFETCH(QString, to);
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
        QPushButton *start = KeyButtonWithToken(*main, from);
        start->setFocus(Qt::OtherFocusReason);
        // The focus moves as the arrow goes down, and letting it go moves it no further.
        QTest::keyPress(start, Qt::Key(arrow));
        QCOMPARE(main->focusWidget()->property("Tag").toString(), to);
        QTest::keyRelease(main->focusWidget(), Qt::Key(arrow));
        QCOMPARE(main->focusWidget()->property("Tag").toString(), to);
    }

    // Return and the keypad's Enter press a focused button or check box once, as Space does.
    void returnPressesLikeSpace_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::newRow("key button, Return") << "SetKey_57" << int(Qt::Key_Return);
        QTest::newRow("delete button, Enter") << "group1valuebackspace_4" << int(Qt::Key_Enter);
        QTest::newRow("enable switch, Return") << "group1check" << int(Qt::Key_Return);
        QTest::newRow("light switch, Return") << "Check1" << int(Qt::Key_Return);
        QTest::newRow("top row, Return") << "GetSn" << int(Qt::Key_Return);
    }
    void returnPressesLikeSpace() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
        main->Check1->setEnabled(true);
        main->GetSn->setEnabled(true);
        auto *button = main->findChild<QAbstractButton *>(control);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        button->setFocus(Qt::OtherFocusReason);
        const Qt::KeyboardModifiers keypad =
            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        // Held: down. Let go: drawn up. No events between; under Wine a window may take the focus.
        QTest::keyPress(button, Qt::Key(key), keypad);
        QVERIFY(button->isDown());
        button->repaint(); // drawn down, now
        const PaintCount drawn(button);
        QTest::keyRelease(button, Qt::Key(key), keypad);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(main->focusWidget(), button);
        QTRY_VERIFY(drawn.count > 0);
    }

    // The real boxes close with Return or Escape, and the focus is back where it was.
    void messageBoxesCloseByKeyboard_data() {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("no port, Return") << "" << int(Qt::Key_Return) << "请选择一个串口";
        QTest::newRow("not a port, Escape") << "abc" << int(Qt::Key_Escape) << "abc";
    }
    void messageBoxesCloseByKeyboard() {
        QFETCH(QString, portText);
        QFETCH(int, key);
        QFETCH(QString, message);
        QVERIFY(ShowActive(*main));
        main->Combo1->setEditText(portText);
        main->Command1->setFocus(Qt::TabFocusReason);
        QString shown;
        int looks = 0;
        std::function<void()> answer = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr && ++looks < 1000) {
                QTimer::singleShot(0, main.get(), answer);
                return;
            }
            QVERIFY(box);
            shown = box->text();
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key(key));
            if (box->isVisible())
                box->done(0);
        };
        QTimer::singleShot(0, main.get(), answer);
        QTest::keyClick(main->Command1, Qt::Key_Return);
        QVERIFY2(shown.contains(message), qPrintable(shown));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QTRY_COMPARE(QApplication::focusWidget(), main->Command1);
    }

    // The platform turns the menu key into the key and a keyboard context menu. In a slot box it
    // is typed like any other key, and no menu opens.
    void menuKeyTypesMenu() {
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
        QLineEdit *box = main->group1value[4];
        Click(box);
        QTest::keyPress(box, Qt::Key_Menu);
        const QPoint centre = box->rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, box->mapToGlobal(centre));
        QApplication::sendEvent(box, &menu);
        QTest::keyRelease(box, Qt::Key_Menu);
        QCOMPARE(box->text(), QStringLiteral("MENU"));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_Keyboard.moc"
