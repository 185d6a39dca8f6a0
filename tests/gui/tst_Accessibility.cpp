#include "GuiHelpers.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSet>

#include <algorithm>
#include <set>

using namespace vorlin::test;

namespace {

// What each slot of a page is called, in slot order; "层N " goes in front.
const QStringList kSlotNames = {
    QStringLiteral("旋钮1加"), QStringLiteral("旋钮1减"),   QStringLiteral("旋钮2加"),
    QStringLiteral("旋钮2减"), QStringLiteral("按键1"),     QStringLiteral("按键2"),
    QStringLiteral("按键3"),   QStringLiteral("按键4"),     QStringLiteral("按键5"),
    QStringLiteral("按键6"),   QStringLiteral("按键7"),     QStringLiteral("按键8"),
    QStringLiteral("按键9"),   QStringLiteral("旋钮1按下"),
};

// The name a screen reader is given, through Qt's accessibility layer.
QString SpokenName(QWidget *control) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

QString Description(QWidget *control) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(QAccessible::Description) : QString();
}

QString Describe(QWidget *control) {
    return control ? control->objectName() : QStringLiteral("(none)");
}

QStringList Describe(const QList<QWidget *> &controls) {
    QStringList names;
    for (QWidget *control : controls)
        names << Describe(control);
    return names;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Main> main;

    // The control holding the keyboard focus; the port box's own text field counts as the box.
    QWidget *Focused() const {
        QWidget *focused = QApplication::focusWidget();
        if (focused != nullptr && focused == main->Combo1->lineEdit())
            return main->Combo1;
        return focused;
    }

    // Every control usable, as with the port open.
    void EnableEverything() {
        EnableEditing(*main);
        const QList<QWidget *> topRow = {main->Command1, main->Command2, main->GetSn,
                                         main->sendsettings, main->Check1};
        for (QWidget *control : topRow)
            control->setEnabled(true);
    }

    // Where the Tab key lands, with `layer`'s page in front and nothing used yet: the port box,
    // then one stop for each region in reading order (the top row on its first button, the tab
    // strip, the page's slots on its first box, the page's enable switch, the keyboard on its
    // first key). With no port open (layer 0) only the port box and 连接 are usable.
    QList<QWidget *> TabStops(int layer) const {
        if (layer == 0)
            return {main->Combo1, main->Command1};
        return {main->Combo1,
                main->Command1,
                main->NewTab1->tabBar(),
                main->LayerValues(layer).at(0),
                main->LayerCheck(layer),
                main->SetKey.at(0)};
    }

    // Every control the arrow keys reach from `start` without leaving its region.
    QSet<QWidget *> ReachedByArrows(QWidget *start) {
        QSet<QWidget *> reached = {start};
        QList<QWidget *> next = {start};
        while (!next.isEmpty()) {
            QWidget *from = next.takeFirst();
            for (const Qt::Key arrow : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
                from->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(from, arrow);
                QWidget *to = QApplication::focusWidget();
                if (to != nullptr && !reached.contains(to)) {
                    reached.insert(to);
                    next.append(to);
                }
            }
        }
        return reached;
    }

    // Presses `key` from the port box until the focus comes back to it (or gives up after a
    // bound), and lists the controls the focus went through.
    QList<QWidget *> Walk(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        main->Combo1->setFocus(Qt::OtherFocusReason);
        QList<QWidget *> visited;
        for (int step = 0; step < 400; ++step) {
            QWidget *from = QApplication::focusWidget();
            if (from == nullptr)
                break;
            QTest::keyClick(from, key, modifiers);
            QWidget *to = Focused();
            if (to == main->Combo1 || to == nullptr)
                break;
            visited << to;
        }
        return visited;
    }

private Q_SLOTS:
    void init() { main = MakeMain(); }
    void cleanup() { main.reset(); }

    void slotBoxesAndDeleteButtonsAreNamedAfterTheirSlot_data() {
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        for (int layer = 1; layer <= Main::kLayerCount; ++layer) {
            for (int i = 0; i < Main::kSlotCount; ++i) {
                const QString name = QStringLiteral("层%1 %2").arg(layer).arg(kSlotNames.at(i));
                QTest::addRow("%s", qPrintable(name)) << layer << i << name;
            }
        }
    }
    void slotBoxesAndDeleteButtonsAreNamedAfterTheirSlot() {
        QFETCH(int, layer);
        QFETCH(int, index);
        QFETCH(QString, name);
        QLineEdit *box = main->LayerValues(layer).at(index);
        QPushButton *clear = main->LayerBackspaces(layer).at(index);
        QCOMPARE(box->accessibleName(), name);
        QCOMPARE(SpokenName(box), name);
        QCOMPARE(clear->accessibleName(), QStringLiteral("清除 ") + name);
        // Not the caption "╳", which says nothing.
        QCOMPARE(SpokenName(clear), QStringLiteral("清除 ") + name);
        // A box that only the keys fill, and a button.
        QCOMPARE(QAccessible::queryAccessibleInterface(box)->role(), QAccessible::EditableText);
        QVERIFY(QAccessible::queryAccessibleInterface(box)->state().readOnly);
        QCOMPARE(QAccessible::queryAccessibleInterface(clear)->role(), QAccessible::Button);
    }

    void switchesAreNamed_data() {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        QTest::newRow("light effect") << "Check1" << QStringLiteral("RGB灯效");
        for (int layer = 1; layer <= Main::kLayerCount; ++layer) {
            QTest::addRow("enable layer %d", layer) << QStringLiteral("group%1check").arg(layer)
                                                    << QStringLiteral("启用层%1").arg(layer);
        }
    }
    void switchesAreNamed() {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        QWidget *control = main->findChild<QWidget *>(objectName);
        QVERIFY(control);
        QCOMPARE(control->accessibleName(), name);
        QCOMPARE(SpokenName(control), name);
        QCOMPARE(QAccessible::queryAccessibleInterface(control)->role(), QAccessible::CheckBox);
        QVERIFY(QAccessible::queryAccessibleInterface(control)->state().checkable);
        // Clicked with no pad to tell, it springs back, and a reader is told it is off.
        qobject_cast<QAbstractButton *>(control)->click();
        QVERIFY(!QAccessible::queryAccessibleInterface(control)->state().checked);
    }

    // A reader on Linux speaks an editable box's text as its name and takes what the box is
    // from the label tied to it.
    void controlsAreLabelledByTheirCaption_data() {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("labelName");
        QTest::newRow("port box") << "Combo1"
                                  << "SelectPort";
        QTest::newRow("light effect") << "Check1"
                                      << "Label1";
        QTest::newRow("layer 1, knob 1 up") << "group1value_0"
                                            << "LabelGroup1_0";
        QTest::newRow("layer 4, knob 1 press") << "group4value_13"
                                               << "LabelGroup4_13";
        QTest::newRow("layer 3 enable switch") << "group3check"
                                               << "LabelGroup3_14";
    }
    void controlsAreLabelledByTheirCaption() {
        QFETCH(QString, objectName);
        QFETCH(QString, labelName);
        QWidget *control = main->findChild<QWidget *>(objectName);
        QVERIFY(control);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QStringList labels;
        for (const auto &relation : accessible->relations(QAccessible::Label))
            labels << relation.first->object()->objectName();
        QCOMPARE(labels, QStringList{labelName});
    }

    // Named by its caption, not by the port text in it; the window is a frame; the hint beside
    // the light switch describes it.
    void windowPortBoxAndLightSwitch() {
        QCOMPARE(main->Combo1->accessibleName(), QStringLiteral("选择串口"));
        QCOMPARE(SpokenName(main->Combo1), QStringLiteral("选择串口"));
        QCOMPARE(QAccessible::queryAccessibleInterface(main->Combo1)->role(),
                 QAccessible::ComboBox);
        QCOMPARE(QAccessible::queryAccessibleInterface(main.get())->role(), QAccessible::Window);
        QCOMPARE(Description(main->Check1), main->Label2->text());

        // The port box's text and parts, and its list opened and closed as a reader asks.
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(main->Combo1);
        QCOMPARE(box->text(QAccessible::Value), QStringLiteral("Combo1"));
        QCOMPARE(box->childCount(), 2);
        QCOMPARE(box->child(1)->object(), main->Combo1->lineEdit());
        for (int index = 0; index < 2; ++index)
            QCOMPARE(box->indexOfChild(box->child(index)), index);
        QVERIFY(box->state().editable && box->state().expandable);
        main->Combo1->addItem(QStringLiteral("Com1"));
        QVERIFY(ShowActive(*main));
        for (const bool expanded : {true, false}) {
            box->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(box->state().expanded, expanded);
        }
    }

    // The slot being edited says so, and every key button says where it writes.
    void editedSlotIsDescribed() {
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
        QCOMPARE(Description(main->SetKey.at(57)), QStringLiteral("未选择槽位"));
        Click(main->group1value.at(4));
        QCOMPARE(Description(main->group1value.at(4)), QStringLiteral("正在编辑"));
        QCOMPARE(Description(main->SetKey.at(57)), QStringLiteral("写入 层1 按键1"));
        ShowPage(*main, 2);
        Click(main->group2valuebackspace.at(13));
        QCOMPARE(Description(main->group1value.at(4)), QString());
        QCOMPARE(Description(main->group2value.at(13)), QStringLiteral("正在编辑"));
        QCOMPARE(Description(main->SetKey.at(0)), QStringLiteral("写入 层2 旋钮1按下"));
    }

    void keyButtonsAreNamedByTheirToken_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("escape") << 0 << "ESC";
        QTest::newRow("shortened caption") << 74 << "SCROLL_LOCK";
        QTest::newRow("two-line caption") << 20 << "7";
        QTest::newRow("keypad digit, caption without Num") << 90 << "KP_7";
        QTest::newRow("arrow symbol") << 82 << "UP_ARROW";
        QTest::newRow("space bar captioned Space") << 69 << "KEY_MENU";
        QTest::newRow("mouse block") << 119 << QStringLiteral("单击");
        QTest::newRow("media row") << 106 << QStringLiteral("播放/暂停");
    }
    void keyButtonsAreNamedByTheirToken() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QCOMPARE(main->SetKey.at(index)->accessibleName(), name);
        QCOMPARE(SpokenName(main->SetKey.at(index)), name);
        QCOMPARE(QAccessible::queryAccessibleInterface(main->SetKey.at(index))->role(),
                 QAccessible::Button);
    }

    void everyKeyButtonHasItsOwnName() {
        std::set<QString> names;
        for (int index = 0; index < Main::kKeyButtonCount; ++index) {
            QPushButton *button = main->SetKey.at(index);
            QCOMPARE(button->accessibleName(), main->KeyTag(index));
            QVERIFY2(names.insert(button->accessibleName()).second,
                     qPrintable(button->accessibleName()));
        }
    }

    void tabVisitsRegionsInReadingOrder_data() {
        QTest::addColumn<int>("layer");
        QTest::newRow("no port open") << 0;
        for (int layer = 1; layer <= Main::kLayerCount; ++layer)
            QTest::addRow("page %d in front", layer) << layer;
    }
    void tabVisitsRegionsInReadingOrder() {
        QFETCH(int, layer);
        QVERIFY(ShowActive(*main));
        if (layer > 0)
            EnableEverything();
        main->NewTab1->setCurrentIndex(qMax(layer, 1) - 1);

        const QList<QWidget *> expected = TabStops(layer);
        QCOMPARE(Describe(Walk(Qt::Key_Tab)), Describe(expected.mid(1)));

        // Backwards the same way round.
        QList<QWidget *> backwards = expected.mid(1);
        std::reverse(backwards.begin(), backwards.end());
        QCOMPARE(Describe(Walk(Qt::Key_Backtab, Qt::ShiftModifier)), Describe(backwards));
    }

    // Inside a region the arrows reach every control of it, and no other.
    void arrowsReachEveryControlOfARegion_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("count");
        QTest::newRow("top row") << "Command1" << 5;
        QTest::newRow("slot grid") << "group2value_0" << 28;
        QTest::newRow("keyboard") << "SetKey_0" << Main::kKeyButtonCount;
    }
    void arrowsReachEveryControlOfARegion() {
        QFETCH(QString, start);
        QFETCH(int, count);
        QVERIFY(ShowActive(*main));
        EnableEverything();
        main->NewTab1->setCurrentIndex(1);
        QWidget *first = main->findChild<QWidget *>(start);
        const QSet<QWidget *> reached = ReachedByArrows(first);
        QCOMPARE(reached.size(), count);
        for (QWidget *control : reached)
            QCOMPARE(control->parentWidget(), first->parentWidget());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_Accessibility.moc"
