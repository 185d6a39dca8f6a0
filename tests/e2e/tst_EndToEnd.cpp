// The real window, offscreen, against the simulated pad over a real pseudo-terminal. The send
// pacing runs on a fake clock that the tests advance.
#include "app/Main.h"
#include "link/SerialPort.h"
#include "sim/SimulatedPad.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using vorlin::sim::PadOptions;
using vorlin::sim::PadState;
using vorlin::sim::SimulatedPad;

namespace {

// Lists only the simulated pads, so a test never probes the machine's own serial ports.
class PadsOnly : public vorlin::PortDirectory {
protected:
    QList<vorlin::SystemPort> SystemPorts() const override { return {}; }
};

const QStringList kWorkedExampleNames = {"向上滚动",
                                         "向下滚动",
                                         "音量加",
                                         "音量减",
                                         "L_CTRL + x",
                                         "L_CTRL + v",
                                         "L_CTRL + L_SHIFT + ESC",
                                         "F5",
                                         "a",
                                         "KP_1",
                                         "L_ALT + TAB",
                                         "单击",
                                         "RETURN",
                                         "静音"};

const QString kParameterUpdated = QStringLiteral("Parameter updated, please wait for 5s");

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    FakeClock clock;
    ScriptedMessageBoxes boxes;
    std::unique_ptr<SimulatedPad> pad;
    std::unique_ptr<Main> window;
    std::unique_ptr<QSignalSpy> handled;

    // A pad that cannot start fails the test (QVERIFY(StartPad())) with its reason.
    [[nodiscard]] bool StartPad(PadOptions options = {}) {
        options.instant = true;
        pad = std::make_unique<SimulatedPad>(options);
        QString error;
        if (!pad->Start(&error)) {
            qWarning("the simulated pad did not start: %s", qPrintable(error));
            return false;
        }
        handled = std::make_unique<QSignalSpy>(pad.get(), &SimulatedPad::CommandHandled);
        return true;
    }

    void OpenWindow() {
        Main::Dependencies dependencies;
        dependencies.ports = std::make_unique<PadsOnly>();
        dependencies.clock = &clock;
        dependencies.messageBoxes = &boxes;
        window = std::make_unique<Main>(std::move(dependencies));
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    QStringList Commands() const {
        QStringList commands;
        for (const QList<QVariant> &arguments : *handled)
            commands.append(arguments.at(0).toString());
        return commands;
    }

    QStringList Layer(int layer) const {
        QStringList texts;
        for (const QLineEdit *box : window->LayerValues(layer))
            texts.append(box->text());
        return texts;
    }

    // Connects once the start-up pacing has passed and waits until the report is shown.
    void ConnectAndRead() {
        clock.Advance(3000);
        QSignalSpy applied(window.get(), &Main::ReportApplied);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QVERIFY(window->MSComm1->PortOpen());
        QVERIFY(applied.wait());
    }

    // Moves the clock on and lets the window's timed waits look, as their timer would once that
    // much time had passed. A timer that is not running has nothing to wait for.
    void PassTime(qint64 ms) {
        clock.Advance(ms);
        if (window->waitTimer->isActive()) {
            QSignalSpy fired(window->waitTimer, &QTimer::timeout);
            window->waitTimer->start(0);
            QVERIFY(fired.wait());
        }
        QCoreApplication::processEvents();
    }

    void ClickKey(const QString &token) {
        for (int index = 0; index < Main::kKeyButtonCount; ++index)
            if (window->KeyTag(index) == token) {
                QTest::mouseClick(window->SetKey[index], Qt::LeftButton);
                return;
            }
        QFAIL(qPrintable("no key button carries " + token));
    }

private Q_SLOTS:
    void init() {
        clock.Set(1'000'000);
        boxes.informed.clear();
        boxes.warned.clear();
        boxes.whileOpen = nullptr;
    }
    void cleanup() {
        window.reset();
        handled.reset();
        pad.reset();
    }

    void connectShowsTheLayersWithNames() {
        QVERIFY(StartPad());
        OpenWindow();
        QCOMPARE(window->Combo1->currentText(), QStringLiteral("Com1"));
        // Hovered, the item shows the pad's device, then what it is.
        const QString tooltip = window->Combo1->itemData(0, Qt::ToolTipRole).toString();
        QVERIFY2(tooltip.startsWith(pad->SlavePath() + u"\n模拟键盘 "), qPrintable(tooltip));
        QVERIFY(!window->GetSn->isEnabled());
        ConnectAndRead();

        QCOMPARE(Commands(), QStringList{"getsettings"});
        QCOMPARE(Layer(1), kWorkedExampleNames);
        QCOMPARE(window->Labelversion->text(), QStringLiteral("1.0.2"));
        QVERIFY(window->Check1->isChecked());
        QVERIFY(window->group1check->isChecked());
        QVERIFY(window->group2check->isChecked());
        QVERIFY(!window->group3check->isChecked());
        QCOMPARE(window->NewTab1->currentIndex(), 0);
        // Controls follow the open port; showing the report sent nothing back.
        QVERIFY(window->GetSn->isEnabled() && window->SetKey[0]->isEnabled());
        QVERIFY(!window->Command1->isEnabled());
        // The focus left the connect button for the disconnect button, not for the port box,
        // whose blinking cursor would keep waking the idle tool.
        QCOMPARE(window->focusWidget(), static_cast<QWidget *>(window->Command2));
        clock.Advance(5000);
        QCoreApplication::processEvents();
        QCOMPARE(Commands(), QStringList{"getsettings"});
        QVERIFY(boxes.warned.isEmpty());

        // Disconnecting hands the focus back to the connect button.
        QTest::mouseClick(window->Command2, Qt::LeftButton);
        QTRY_VERIFY(window->Command1->isEnabled());
        QCOMPARE(window->focusWidget(), static_cast<QWidget *>(window->Command1));
    }

    void editedLayerReachesThePadExactly() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        QTest::mouseClick(window->group1valuebackspace[4], Qt::LeftButton);
        ClickKey("L_CTRL");
        ClickKey("L_SHIFT");
        ClickKey("F10");
        ClickKey("F1");
        QCOMPARE(window->group1value[4]->text(), QStringLiteral("L_CTRL + L_SHIFT + F10 + F1"));

        clock.Advance(3000);
        QTest::mouseClick(window->sendsettings, Qt::LeftButton);
        QTRY_COMPARE(boxes.informed, QStringList{kParameterUpdated});
        QStringList expected = {"606",
                                "607",
                                "506",
                                "507",
                                "128 + 129 + 203 + 194",
                                "128 + v",
                                "128 + 129 + 177",
                                "198",
                                "a",
                                "225",
                                "130 + 179",
                                "601",
                                "176",
                                "505"};
        QCOMPARE(pad->State().layers[0], expected);
        // The boxes keep showing names.
        QCOMPARE(window->group1value[4]->text(), QStringLiteral("L_CTRL + L_SHIFT + F10 + F1"));
        // One box per acknowledgement, however long it stays open; the write was confirmed.
        PassTime(10'000);
        QCOMPARE(boxes.informed.size(), 1);
        QVERIFY(boxes.warned.isEmpty());
    }

    void uploadNeedsEveryShownSlotAndWritesTheShownLayer() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        window->NewTab1->setCurrentIndex(2);
        QTest::mouseClick(window->group3valuebackspace[13], Qt::LeftButton);
        clock.Advance(3000);
        QTest::mouseClick(window->sendsettings, Qt::LeftButton);
        ClickKey("单击");
        QTest::mouseClick(window->sendsettings, Qt::LeftButton);
        QTRY_COMPARE(Commands().size(), 2);
        QVERIFY(Commands().at(1).startsWith("{{group3::"));
        QCOMPARE(pad->State().layers[2].at(13), QStringLiteral("601"));
    }

    void switchesReachThePadAndRefusalsChangeNothing() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        clock.Advance(2000);
        QTest::mouseClick(window->Check1, Qt::LeftButton);
        QTRY_VERIFY(!pad->State().rgbOn);
        // Within the pacing interval the click is refused and the box shows what the pad has.
        QTest::mouseClick(window->Check1, Qt::LeftButton);
        QVERIFY(!window->Check1->isChecked());

        window->NewTab1->setCurrentIndex(2);
        clock.Advance(1999);
        QTest::mouseClick(window->group3check, Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(!window->group3check->isChecked());
        clock.Advance(1);
        QTest::mouseClick(window->group3check, Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(window->group3check->isChecked());
        QTRY_VERIFY(pad->State().enabled[2]);
        QCOMPARE(Commands(), (QStringList{"getsettings", "##no##", "##enablegroup3##"}));
    }

    void firstCommandWaitsForThePacingAfterStartUp() {
        QVERIFY(StartPad());
        OpenWindow();
        clock.Advance(2999);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QVERIFY(window->MSComm1->PortOpen());
        QTRY_VERIFY(window->GetSn->isEnabled());
        clock.Advance(1);
        QSignalSpy applied(window.get(), &Main::ReportApplied);
        QTest::mouseClick(window->GetSn, Qt::LeftButton);
        QVERIFY(applied.wait());
        // Only the later click reached the pad.
        QCOMPARE(Commands(), QStringList{"getsettings"});
    }

    void reportAfterLineNoiseIsApplied() {
        PadOptions options;
        options.noise = QByteArray("\x01zz[[cut off", 12);
        QVERIFY(StartPad(options));
        OpenWindow();
        ConnectAndRead();
        QCOMPARE(Layer(1), kWorkedExampleNames);
    }

    // A flood of acknowledgements cannot pile up boxes without end, nor push out the report
    // that follows it.
    void floodOfAcknowledgementsIsBounded() {
        PadOptions options;
        options.noise = QByteArray("done").repeated(500);
        QVERIFY(StartPad(options));
        OpenWindow();
        ConnectAndRead();
        QCOMPARE(Layer(1), kWorkedExampleNames);
        // Acknowledgements that wait together make one box.
        QVERIFY2(boxes.informed.size() < 5, qPrintable(QString::number(boxes.informed.size())));
    }

    void reportArrivingWhileTheBoxIsOpenIsKept() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        for (QLineEdit *box : window->LayerValues(2))
            box->clear();
        QSignalSpy answers(pad.get(), &SimulatedPad::AnswerSent);
        QSignalSpy applied(window.get(), &Main::ReportApplied);
        boxes.whileOpen = [&] {
            QVERIFY(boxes.IsOpen());
            clock.Advance(3000);
            QSignalSpy received(window->MSComm1, &vorlin::SerialPort::OnComm);
            window->GetSn->click();
            QTRY_COMPARE(answers.size(), 2);
            // The pad writes the report at once; the tool has taken it in.
            QTRY_VERIFY(!received.isEmpty());
            // Nothing is shown while the acknowledgement box is open...
            QCoreApplication::processEvents();
            QVERIFY(window->group2value[0]->text().isEmpty());
            QCOMPARE(applied.size(), 0);
        };
        clock.Advance(3000);
        QTest::mouseClick(window->sendsettings, Qt::LeftButton);
        // ...and the report that arrived meanwhile is applied once it closes.
        QTRY_COMPARE(applied.size(), 1);
        QVERIFY(!window->group2value[0]->text().isEmpty());
        QCOMPARE(boxes.informed, QStringList{kParameterUpdated});
        QCOMPARE(Commands().size(), 3);
    }

    void padHangsUpThenANewPadConnects() {
        PadOptions options;
        options.hangUp = PadOptions::HangUp::kAfterSettingsReport;
        QVERIFY(StartPad(options));
        OpenWindow();
        ConnectAndRead();
        QTRY_VERIFY(!window->MSComm1->PortOpen());
        QTRY_COMPARE(boxes.warned.size(), 1);
        QVERIFY(boxes.warned.at(0).startsWith("与串口 Com1 的连接已断开（设备已挂断）"));
        QTRY_VERIFY(window->Command1->isEnabled());
        QVERIFY(!window->GetSn->isEnabled());

        // The closed port is quiet: nothing keeps the poll running.
        QSignalSpy ticks(window->Timer1, &QTimer::timeout);
        QTest::qWait(100);
        QVERIFY2(ticks.size() <= 1, qPrintable(QString::number(ticks.size())));

        pad.reset();
        PadOptions second;
        second.name = "second-pad";
        QVERIFY(StartPad(second));
        window->Combo1->setEditText("Com1");
        ConnectAndRead();
        QCOMPARE(Layer(1), kWorkedExampleNames);
        QCOMPARE(boxes.warned.size(), 1);
    }

    void shortReportIsRejectedAndTheNextOneApplied() {
        QVERIFY(StartPad());
        PadState broken = pad->State();
        broken.layers[1].removeLast();
        pad->SetState(broken);
        OpenWindow();
        clock.Advance(3000);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTRY_COMPARE(boxes.warned.size(), 1);
        QVERIFY(boxes.warned.at(0).contains(QStringLiteral("13")));
        // Nothing of the rejected report reached the window.
        QCOMPARE(Layer(1), QStringList(14, QString()));
        QCOMPARE(window->Labelversion->text(), QString());

        // The user is told once, not for every rejected report in a row.
        QSignalSpy rejected(window.get(), &Main::ReportRejected);
        clock.Advance(3000);
        QTest::mouseClick(window->GetSn, Qt::LeftButton);
        QVERIFY(rejected.wait());
        QCOMPARE(boxes.warned.size(), 1);

        pad->SetState(PadState());
        clock.Advance(3000);
        QSignalSpy applied(window.get(), &Main::ReportApplied);
        QTest::mouseClick(window->GetSn, Qt::LeftButton);
        QVERIFY(applied.wait());
        QCOMPARE(Layer(1), kWorkedExampleNames);
    }

    // Another pad on the same port, slow to answer: until it has reported, the window shows
    // nothing of the pad before, so nothing of it can be written to this one.
    void newConnectionStartsBlank() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        QTest::mouseClick(window->group1value[4], Qt::LeftButton);
        QTest::mouseClick(window->Command2, Qt::LeftButton);
        QTRY_VERIFY(window->Command1->isEnabled());
        QCOMPARE(Layer(1), kWorkedExampleNames);

        pad.reset();
        PadOptions slow;
        slow.delayMs = 2000;
        QVERIFY(StartPad(slow));
        PadState other;
        for (int slot = 0; slot < 14; ++slot)
            other.layers[0][slot] = QString(QChar(u'a' + slot));
        pad->SetState(other);
        clock.Advance(3000);
        QSignalSpy applied(window.get(), &Main::ReportApplied);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTRY_COMPARE(Commands(), QStringList{"getsettings"});
        for (int layer = 1; layer <= 4; ++layer)
            QCOMPARE(Layer(layer), QStringList(14, QString()));
        QCOMPARE(window->Labelversion->text(), QString());
        QVERIFY(!window->Check1->isChecked() && !window->group1check->isChecked() &&
                !window->group2check->isChecked());
        QVERIFY(!window->FocusedSlotRecord().IsSet());
        QCOMPARE(window->group1value[4]->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Base));
        clock.Advance(3000);
        QTest::mouseClick(window->sendsettings, Qt::LeftButton);

        QVERIFY(applied.wait());
        QCOMPARE(Layer(1).join(""), QStringLiteral("abcdefghijklmn"));
        QCOMPARE(Commands(), QStringList{"getsettings"});
        QVERIFY(pad->State() == other);
        QVERIFY(boxes.warned.isEmpty());
    }

    // A port where nothing answers the read: told once, after 5 s; a read cut short by a
    // disconnect is not told at all.
    void unansweredReadIsToldOnce() {
        PadOptions mute;
        mute.delayMs = 600'000;
        QVERIFY(StartPad(mute));
        OpenWindow();
        clock.Advance(3000);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTRY_COMPARE(Commands(), QStringList{"getsettings"});
        PassTime(4999);
        QVERIFY(boxes.warned.isEmpty());
        PassTime(1);
        QCOMPARE(boxes.warned.size(), 1);
        QVERIFY2(boxes.warned.at(0).contains("Com1") &&
                     boxes.warned.at(0).contains(QStringLiteral("没有回应")),
                 qPrintable(boxes.warned.at(0)));
        PassTime(10'000);
        QVERIFY(!window->waitTimer->isActive());

        QTest::mouseClick(window->GetSn, Qt::LeftButton);
        QTRY_COMPARE(Commands().size(), 2);
        QTest::mouseClick(window->Command2, Qt::LeftButton);
        PassTime(10'000);
        QCOMPARE(boxes.warned.size(), 1);
    }

    // A pad that takes a layer in silence: told once, 5 s after it went out, naming the port and
    // the layer.
    void unconfirmedWriteIsToldOnce() {
        PadOptions silent;
        silent.ignoreUploads = true;
        QVERIFY(StartPad(silent));
        OpenWindow();
        ConnectAndRead();
        window->NewTab1->setCurrentIndex(1);
        clock.Advance(3000);
        QTest::mouseClick(window->sendsettings, Qt::LeftButton);
        QTRY_COMPARE(Commands().size(), 2);
        PassTime(4999);
        QVERIFY(boxes.warned.isEmpty());
        PassTime(1);
        QCOMPARE(boxes.warned.size(), 1);
        PassTime(10'000);
        QCOMPARE(boxes.warned.size(), 1);
        QVERIFY(boxes.warned.at(0).startsWith(QStringLiteral("串口 Com1 上的设备没有确认写入层2")));
    }

    // A report that stops half-way is given up once the line has been quiet for a second: the
    // user is told, and the pad's next answer is seen again.
    void cutReportGivesWayToTheNextAnswer() {
        PadOptions options;
        options.cutReport = 120;
        options.ackSwitches = true;
        QVERIFY(StartPad(options));
        OpenWindow();
        QSignalSpy answers(pad.get(), &SimulatedPad::AnswerSent);
        QSignalSpy received(window->MSComm1, &vorlin::SerialPort::OnComm);
        clock.Advance(3000);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTRY_COMPARE(answers.size(), 1);
        QTRY_VERIFY(!received.isEmpty());
        PassTime(999);
        QVERIFY(boxes.warned.isEmpty());
        PassTime(1);
        QTRY_COMPARE(boxes.warned.size(), 1);
        QVERIFY2(boxes.warned.at(0).contains(QStringLiteral("不完整")),
                 qPrintable(boxes.warned.at(0)));

        PassTime(1000);
        QTest::mouseClick(window->Check1, Qt::LeftButton);
        QTRY_COMPARE(boxes.informed, QStringList{kParameterUpdated});
        QCOMPARE(Commands(), (QStringList{"getsettings", "##yes##"}));
        // The cut-off report answered the read: no further message.
        PassTime(10'000);
        QCOMPARE(boxes.warned.size(), 1);
    }

    void badPortTextsLeaveThePortClosed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("no such port") << "Com99"
                                      << "Com99";
        QTest::newRow("not a port") << "abc"
                                    << "abc";
    }
    void badPortTextsLeaveThePortClosed() {
        QFETCH(QString, text);
        QFETCH(QString, inMessage);
        QVERIFY(StartPad());
        OpenWindow();
        clock.Advance(3000);
        window->Combo1->setEditText(text);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QCOMPARE(boxes.warned.size(), 1);
        QVERIFY(boxes.warned.at(0).contains(inMessage));
        QVERIFY(!window->MSComm1->PortOpen());
        QVERIFY(Commands().isEmpty());
    }

    void emptyPortTextAsksForAPort() {
        QVERIFY(StartPad());
        OpenWindow();
        window->Combo1->setEditText(QString());
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QCOMPARE(boxes.informed, QStringList{"请选择一个串口"});
        QVERIFY(!window->MSComm1->PortOpen());
    }

    void portHeldByAnotherProgram() {
        QVERIFY(StartPad());
        OpenWindow();
        vorlin::SerialPort other{std::make_unique<PadsOnly>()};
        other.SetCommPort(1);
        QVERIFY(other.SetPortOpen(true));
        clock.Advance(3000);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QCOMPARE(boxes.warned.size(), 1);
        QVERIFY(boxes.warned.at(0).contains("占用"));
        QVERIFY(!window->MSComm1->PortOpen());
    }

    // Held from start-up, the pad is not listed; a connect with what the box then holds says
    // where it is and why it cannot be used.
    void heldPadIsNamedWhenThePortTextIsUnusable_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("initial text") << "";
        QTest::newRow("no such port") << "Com7";
    }
    void heldPadIsNamedWhenThePortTextIsUnusable() {
        QFETCH(QString, text);
        QVERIFY(StartPad());
        vorlin::SerialPort other{std::make_unique<PadsOnly>()};
        other.SetCommPort(1);
        QVERIFY(other.SetPortOpen(true));
        OpenWindow();
        QCOMPARE(window->Combo1->count(), 0);
        if (!text.isEmpty())
            window->Combo1->setEditText(text);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QCOMPARE(boxes.warned.size(), 1);
        QVERIFY2(boxes.warned.at(0).contains(
                     QStringLiteral("Com1（%1）：正被其他程序占用").arg(pad->SlavePath())),
                 qPrintable(boxes.warned.at(0)));
        QVERIFY(!window->MSComm1->PortOpen());
    }

    // A keyboard-only user, from the focus on 断开: choose 按键1 of 层1, clear it, put
    // L_CTRL + c into it with the on-screen keys, and write the layer.
    void keyboardRouteWritesASlot() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        QCOMPARE(QApplication::focusWidget(), window->Command2);
        clock.Advance(3000);
        int presses = 0;
        const auto press = [&](Qt::Key key, int times = 1) {
            for (int i = 0; i < times; ++i, ++presses)
                QTest::keyClick(QApplication::focusWidget(), key,
                                key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        };
        press(Qt::Key_Tab, 2);  // the tab strip, then the slot grid on 旋钮1加
        press(Qt::Key_Down, 4); // 按键1
        press(Qt::Key_Right);   // its ╳
        press(Qt::Key_Return);
        press(Qt::Key_Tab, 2);  // the enable switch, then the keyboard on ESC
        press(Qt::Key_Down, 5); // LCtrl
        press(Qt::Key_Return);
        press(Qt::Key_Up);
        press(Qt::Key_Right, 3); // c
        press(Qt::Key_Return);
        press(Qt::Key_Backtab, 4); // back through the regions to 断开
        press(Qt::Key_Right, 2);   // 写入层设置
        press(Qt::Key_Return);
        QTRY_COMPARE(boxes.informed, QStringList{kParameterUpdated});
        QCOMPARE(pad->State().layers[0].at(4), QStringLiteral("128 + c"));
        QCOMPARE(QApplication::focusWidget(), window->sendsettings);
        qInfo("key presses: %d", presses);
        QVERIFY2(presses <= 30, qPrintable(QString::number(presses)));
    }

    // The pad's answer leaves the focus where it was: a second Space reads again.
    void readingTwiceWithSpace() {
        QVERIFY(StartPad());
        OpenWindow();
        ConnectAndRead();
        QTest::keyClick(window->Command2, Qt::Key_Right);
        for (int read = 0; read < 2; ++read) {
            clock.Advance(3000);
            QSignalSpy applied(window.get(), &Main::ReportApplied);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QVERIFY(applied.wait());
            QCOMPARE(QApplication::focusWidget(), window->GetSn);
        }
        QVERIFY(window->MSComm1->PortOpen());
        QCOMPARE(Commands(), QStringList(3, QStringLiteral("getsettings")));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_EndToEnd.moc"
