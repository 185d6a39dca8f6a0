#include "GuiHelpers.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>

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

    // Every control the Tab key should reach with `layer`'s page in front, in reading order:
    // the top row left to right, the tab strip, the page's slots column by column (box, then
    // its delete button) and its enable switch, then the key buttons row by row.
    QList<QWidget *> ReadingOrder(int layer) const {
        QList<QWidget *> order = {
            main->Combo1,       main->Command1, main->Command2,         main->GetSn,
            main->sendsettings, main->Check1,   main->NewTab1->tabBar()};
        for (int i = 0; i < Main::kSlotCount; ++i)
            order << main->LayerValues(layer).at(i) << main->LayerBackspaces(layer).at(i);
        order << main->LayerCheck(layer);
        QList<QWidget *> keys(main->SetKey.begin(), main->SetKey.end());
        std::stable_sort(keys.begin(), keys.end(), [](QWidget *a, QWidget *b) {
            const QPoint pa = a->geometry().topLeft(), pb = b->geometry().topLeft();
            return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
        });
        return order + keys;
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

    void portBoxIsNamed() { QCOMPARE(main->Combo1->accessibleName(), QStringLiteral("选择串口")); }

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

    void tabVisitsControlsInReadingOrder_data() {
        QTest::addColumn<int>("layer");
        for (int layer = 1; layer <= Main::kLayerCount; ++layer)
            QTest::addRow("page %d in front", layer) << layer;
    }
    void tabVisitsControlsInReadingOrder() {
        QFETCH(int, layer);
        QVERIFY(ShowActive(*main));
        EnableEditing(*main);
        const QList<QWidget *> topRow = {main->Command1, main->Command2, main->GetSn,
                                         main->sendsettings, main->Check1};
        for (QWidget *control : topRow)
            control->setEnabled(true);
        main->NewTab1->setCurrentIndex(layer - 1);

        const QList<QWidget *> expected = ReadingOrder(layer);
        QCOMPARE(expected.first(), main->Combo1);
        QCOMPARE(Describe(Walk(Qt::Key_Tab)), Describe(expected.mid(1)));

        // Backwards the same way round.
        QList<QWidget *> backwards = expected.mid(1);
        std::reverse(backwards.begin(), backwards.end());
        QCOMPARE(Describe(Walk(Qt::Key_Backtab, Qt::ShiftModifier)), Describe(backwards));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_Accessibility.moc"
