// Failures of the serial device that no pseudo-terminal can be made to produce on demand: a write
// that fails, and line settings the device refuses. The window is real, offscreen, on a fake
// clock.
#include "app/Main.h"
#include "link/ConnectError.h"
#include "tests/support/FailDevice.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

namespace {

class OnePort : public vorlin::PortDirectory {
public:
    QList<vorlin::PortEntry> List() const override { return {{1, "fail-device", {}}}; }
};

const QString kFailure = QStringLiteral("Input/output error");

} // namespace

class TestSerialFailures : public QObject {
    Q_OBJECT

    FakeClock clock{1'000'000};
    ScriptedMessageBoxes boxes;
    FailDevice *device = nullptr;
    std::unique_ptr<Main> window;

    void OpenWindow() {
        auto failing = std::make_unique<FailDevice>();
        device = failing.get();
        Main::Dependencies dependencies;
        dependencies.ports = std::make_unique<OnePort>();
        dependencies.serialDevice = std::move(failing);
        dependencies.clock = &clock;
        dependencies.messageBoxes = &boxes;
        window = std::make_unique<Main>(std::move(dependencies));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void Connect() {
        QTRY_VERIFY(window->Command1->isEnabled());
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QTRY_VERIFY(window->Check1->isEnabled());
    }

private Q_SLOTS:
    void cleanup() {
        window.reset();
        boxes.warned.clear();
    }

    void failedWriteIsToldAndKeepsThePacing_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("stillOpen");
        QTest::addColumn<QString>("message");
        QTest::newRow("write timed out, port stays open")
            << int(QSerialPort::TimeoutError) << true
            << vorlin::WriteFailedMessage("Com1", kFailure);
        QTest::newRow("device gone, port closed")
            << int(QSerialPort::ResourceError) << false
            << vorlin::ConnectionLostMessage("Com1", kFailure);
    }
    void failedWriteIsToldAndKeepsThePacing() {
        QFETCH(int, error);
        QFETCH(bool, stillOpen);
        QFETCH(QString, message);
        OpenWindow();
        clock.Advance(3000);
        Connect();
        QCOMPARE(device->written, QByteArray("getsettings"));

        clock.Advance(2000);
        device->acceptBytes = 0;
        device->failure = QSerialPort::SerialPortError(error);
        window->SetKey.at(57)->setFocus(Qt::OtherFocusReason); // a close moves it to 连接
        window->Check1->click();
        QTRY_COMPARE(boxes.warned, QStringList{message});
        QCOMPARE(window->MSComm1->PortOpen(), stillOpen);
        QCOMPARE(window->focusWidget(), stillOpen ? window->SetKey.at(57) : window->Command1);
        QVERIFY(!window->Check1->isChecked());

        // The failed write did not count as sent: the switch goes out now, not two seconds on.
        device->acceptBytes = 100;
        if (!stillOpen)
            Connect();
        QTest::mouseClick(window->Check1, Qt::LeftButton);
        QCOMPARE(device->written, QByteArray("getsettings##yes##"));
        QVERIFY(window->Check1->isChecked());
        QCOMPARE(boxes.warned.size(), 1);
    }

    void refusedLineSettingsCloseThePort() {
        OpenWindow();
        device->refuseLineSettings = true;
        clock.Advance(3000);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QVERIFY(!window->MSComm1->PortOpen());
        QCOMPARE(boxes.warned.size(), 1);
        QVERIFY2(boxes.warned[0].contains("115200,N,8,1"), qPrintable(boxes.warned[0]));
        QVERIFY(device->written.isEmpty());
    }
};

QTEST_MAIN(TestSerialFailures)
#include "tst_SerialFailures.moc"
