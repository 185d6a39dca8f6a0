#include "GuiHelpers.h"

#include "Version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>

using namespace vorlin::test;

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Main> main;

    template <class Control> Control *Find(const QString &name) {
        return main->findChild<Control *>(name);
    }

private Q_SLOTS:
    void init() { main = vorlin::test::MakeMain(); }
    void cleanup() { main.reset(); }

    void captionAndFixedSize() {
        QCOMPARE(main->windowTitle(),
                 QStringLiteral("Vorlin快捷键鼠设置 v") + QString::fromLatin1(vorlin::kVersion));
        QCOMPARE(main->size(), QSize(Px(15240), Px(9135)));
        QCOMPARE(main->minimumSize(), main->maximumSize());
        QVERIFY(!main->windowIcon().isNull());
        QVERIFY(!main->windowIcon().pixmap(32, 32).isNull());
        QCOMPARE(main->windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {32, 32}, {64, 64}, {128, 128}}));
    }

    void everyControlByNameAndKind() {
        for (const char *name : {"SelectPort", "Label1", "Label2", "Label3", "Labelversion"})
            QVERIFY2(Find<QLabel>(name), name);
        for (const char *name : {"Command1", "Command2", "GetSn", "sendsettings"})
            QVERIFY2(Find<QPushButton>(name), name);
        QVERIFY(Find<QComboBox>("Combo1"));
        QVERIFY(Find<QCheckBox>("Check1"));
        QVERIFY(Find<QTabWidget>("NewTab1"));
        QVERIFY(Find<QGroupBox>("Frame1"));
        QVERIFY(Find<QTimer>("Timer1"));
        for (int layer = 1; layer <= 4; ++layer) {
            QWidget *page = main->NewTab1->widget(layer - 1);
            for (int i = 0; i <= 14; ++i) {
                const QString label = QStringLiteral("LabelGroup%1_%2").arg(layer).arg(i);
                QVERIFY2(page->findChild<QLabel *>(label), qPrintable(label));
            }
            for (int i = 0; i < 14; ++i) {
                const QString value = QStringLiteral("group%1value_%2").arg(layer).arg(i);
                const QString del = QStringLiteral("group%1valuebackspace_%2").arg(layer).arg(i);
                QVERIFY2(page->findChild<QLineEdit *>(value), qPrintable(value));
                QCOMPARE(page->findChild<QLineEdit *>(value), main->LayerValues(layer).at(i));
                QPushButton *button = page->findChild<QPushButton *>(del);
                QVERIFY2(button, qPrintable(del));
                QCOMPARE(button->text(), QStringLiteral("╳"));
            }
            const QString check = QStringLiteral("group%1check").arg(layer);
            QCheckBox *box = page->findChild<QCheckBox *>(check);
            QVERIFY2(box, qPrintable(check));
            QVERIFY(box->text().isEmpty());
            QVERIFY(!box->isChecked());
            QCOMPARE(
                page->findChild<QLabel *>(QStringLiteral("LabelGroup%1_14").arg(layer))->text(),
                QStringLiteral("启用层%1：").arg(layer));
        }
        for (int i = 0; i < 126; ++i) {
            const QString name = QStringLiteral("SetKey_%1").arg(i);
            QCOMPARE(Find<QPushButton>(name), main->SetKey.at(i));
        }
    }

    void everyControlStartsEnabledAndUnchecked() {
        QList<QWidget *> controls = {
            main->SelectPort,   main->Combo1,  main->Command1, main->Command2, main->GetSn,
            main->sendsettings, main->Label1,  main->Check1,   main->Label2,   main->Label3,
            main->Labelversion, main->NewTab1, main->Frame1};
        for (int layer = 1; layer <= 4; ++layer) {
            controls +=
                QList<QWidget *>(main->LayerLabels(layer).begin(), main->LayerLabels(layer).end());
            controls +=
                QList<QWidget *>(main->LayerValues(layer).begin(), main->LayerValues(layer).end());
            controls += QList<QWidget *>(main->LayerBackspaces(layer).begin(),
                                         main->LayerBackspaces(layer).end());
            controls += main->LayerCheck(layer);
        }
        controls += QList<QWidget *>(main->SetKey.begin(), main->SetKey.end());
        QCOMPARE(controls.size(), 11 + 2 + 4 * 44 + 126);
        for (QWidget *control : controls) {
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
            QVERIFY2(!control->isHidden(), qPrintable(control->objectName()));
        }
        QVERIFY(!main->Check1->isChecked());
    }

    void portBoxAndVersionAtStart() {
        QCOMPARE(main->Combo1->currentText(), QStringLiteral("Combo1"));
        QCOMPARE(main->Combo1->count(), 0);
        QVERIFY(main->Combo1->isEditable());
        QVERIFY(main->Labelversion->text().isEmpty());
        // A typed port stays in the box; the list keeps the ports found at start-up.
        main->Combo1->clearEditText();
        QTest::keyClicks(main->Combo1, "Com20");
        QTest::keyClick(main->Combo1, Qt::Key_Return);
        QCOMPARE(main->Combo1->currentText(), QStringLiteral("Com20"));
        QCOMPARE(main->Combo1->count(), 0);
    }

    // The window opens on the connect button, not in the port box: an idle window with a
    // blinking text cursor wakes up four times a second.
    void startsOnTheConnectButton() {
        QVERIFY(ShowActive(*main));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(main->Command1));
    }

    void pages() {
        QCOMPARE(main->NewTab1->count(), 4);
        for (int page = 0; page < 4; ++page)
            QCOMPARE(main->NewTab1->tabText(page), QStringLiteral("层%1").arg(page + 1));
        QCOMPARE(main->NewTab1->currentIndex(), 0);
        QVERIFY(ShowActive(*main));
        QVERIFY(main->group1value.at(0)->isVisible());
        QVERIFY(!main->group2value.at(0)->isVisible());
        QVERIFY(!main->LabelGroup4.at(14)->isVisible());
    }

    void fonts() {
        // The window's own font is KaiTi, which the tool maps onto an installed Kai face where the
        // system has no KaiTi: Linux's AR PL UKai CN (as under Wine, which has Linux's fonts).
        QStringList kai = {QStringLiteral("AR PL UKai CN")};
#ifdef Q_OS_WIN
        kai << QStringLiteral("KaiTi") << QStringLiteral("楷体");
#endif
        QVERIFY2(kai.contains(QFontInfo(main->font()).family()),
                 qPrintable(QFontInfo(main->font()).family()));
        const QList<QWidget *> controls = {main->Command1,
                                           main->Combo1,
                                           main->Labelversion,
                                           main->LabelGroup3.at(7),
                                           main->group2value.at(13),
                                           main->group4valuebackspace.at(1),
                                           main->group1check,
                                           main->SetKey.at(69),
                                           main->Frame1,
                                           main->NewTab1->tabBar()};
        for (QWidget *control : controls) {
            QCOMPARE(control->font().families().value(0), QStringLiteral("Arial"));
            QVERIFY(control->font().families().contains(QStringLiteral("Noto Sans CJK SC")));
            QCOMPARE(control->font().pointSize(), 9);
        }
        QCOMPARE(main->Check1->font().families().value(0), QStringLiteral("Arial Narrow"));
        QCOMPARE(main->Check1->font().pointSize(), 9);
    }

    void pageControls_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QPoint>("label");
        QTest::addColumn<QPoint>("value");
        QTest::addColumn<QPoint>("backspace");
        QTest::newRow("slot 0") << 0 << QPoint(240, 730) << QPoint(1240, 720) << QPoint(4540, 700);
        QTest::newRow("slot 9") << 9 << QPoint(5040, 3370) << QPoint(6040, 3360)
                                << QPoint(9340, 3340);
        QTest::newRow("slot 13") << 13 << QPoint(9840, 2710) << QPoint(10840, 2700)
                                 << QPoint(14140, 2680);
    }
    void pageControls() {
        QFETCH(int, slot);
        QFETCH(QPoint, label);
        QFETCH(QPoint, value);
        QFETCH(QPoint, backspace);
        QVERIFY(ShowActive(*main));
        QTabWidget *tabs = main->NewTab1;
        for (int layer = 1; layer <= 4; ++layer) {
            tabs->setCurrentIndex(layer - 1);
            QCoreApplication::processEvents();
            QWidget *labelControl = main->LayerLabels(layer).at(slot);
            QLineEdit *box = main->LayerValues(layer).at(slot);
            QPushButton *del = main->LayerBackspaces(layer).at(slot);
            QCOMPARE(labelControl->mapTo(tabs, QPoint()), PxPoint(label.x(), label.y()));
            QCOMPARE(box->mapTo(tabs, QPoint()), PxPoint(value.x(), value.y()));
            QCOMPARE(del->mapTo(tabs, QPoint()), PxPoint(backspace.x(), backspace.y()));
            QCOMPARE(labelControl->width(), Px(1000));
            QCOMPARE(box->size(), QSize(Px(3300), Px(375)));
            QCOMPARE(del->size(), QSize(Px(375), Px(375)));
        }
    }

    void enableRow() {
        QVERIFY(ShowActive(*main));
        QTabWidget *tabs = main->NewTab1;
        for (int layer = 1; layer <= 4; ++layer) {
            tabs->setCurrentIndex(layer - 1);
            QCoreApplication::processEvents();
            QCOMPARE(main->LayerLabels(layer).at(14)->mapTo(tabs, QPoint()), PxPoint(9840, 3370));
            QCOMPARE(main->LayerCheck(layer)->mapTo(tabs, QPoint()), PxPoint(10840, 3360));
            QCOMPARE(main->LayerCheck(layer)->size(), QSize(Px(255), Px(255)));
        }
    }

    void tabControlAndFrame() {
        QCOMPARE(main->NewTab1->geometry(), QRect(PxPoint(180, 720), QSize(Px(14895), Px(3975))));
        QCOMPARE(main->Frame1->geometry(), QRect(PxPoint(13440, 5040), QSize(Px(1575), Px(2895))));
        QCOMPARE(main->Frame1->title(), QStringLiteral("鼠标"));
        QCOMPARE(main->Frame1->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(ShowActive(*main));
        // The mouse block stands inside the frame and is drawn above it.
        for (int index = 119; index <= 125; ++index) {
            QPushButton *button = main->SetKey.at(index);
            QVERIFY(main->Frame1->geometry().contains(button->geometry()));
            QCOMPARE(main->childAt(button->geometry().center()), button);
        }
        QCOMPARE(main->childAt(main->Frame1->geometry().bottomLeft() + QPoint(3, -3)),
                 main->Frame1);
    }

    void pageBackgrounds() {
        const QColor white(Qt::white);
        for (int layer = 1; layer <= 4; ++layer) {
            QCOMPARE(main->LayerLabels(layer).at(3)->palette().color(QPalette::Window), white);
            QVERIFY(main->LayerLabels(layer).at(3)->autoFillBackground());
            QCOMPARE(main->LayerBackspaces(layer).at(3)->palette().color(QPalette::Button), white);
            // The switch's whole square, not only its label, stands on white.
            QCOMPARE(main->LayerCheck(layer)->grab().toImage().pixelColor(0, 0), white);
            QCOMPARE(main->LayerValues(layer).at(3)->palette().color(QPalette::Base),
                     QApplication::palette().color(QPalette::Base));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
