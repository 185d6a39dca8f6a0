#include "link/ConnectError.h"
#include "link/PortDirectory.h"
#include "link/SerialPort.h"
#include "tests/support/FixedDirectory.h"

#include <QTest>

using namespace vorlin;

Q_DECLARE_METATYPE(QList<vorlin::SystemPort>)
Q_DECLARE_METATYPE(QList<vorlin::VirtualPort>)

namespace {

// Counts how often the system's ports are read.
class CountingDirectory : public PortDirectory {
public:
    mutable int listings = 0;

protected:
    QList<SystemPort> SystemPorts() const override {
        ++listings;
        return {{"/dev/ttyACM0", "", true}};
    }
    QList<VirtualPort> VirtualPorts() const override { return {}; }
};

const PortPlatform &Platform(const QString &name) {
    static const WindowsPortPlatform windows;
    static const MacPortPlatform mac;
    static const UnixPortPlatform posix;
    if (name == "windows")
        return windows;
    return name == "macos" ? static_cast<const PortPlatform &>(mac) : posix;
}

QStringList Paths(const QList<PortEntry> &entries) {
    QStringList paths;
    for (const PortEntry &entry : entries)
        paths.append(QString::number(entry.number) + u'=' + entry.devicePath);
    return paths;
}

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Linux's and the other Unix systems' numbering (Windows' and macOS' below).
    void numbering_data() {
        QTest::addColumn<QList<SystemPort>>("system");
        QTest::addColumn<QList<VirtualPort>>("virtuals");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("nothing") << QList<SystemPort>{} << QList<VirtualPort>{} << QStringList{};
        QTest::newRow("usb first, by path, then the rest")
            << QList<SystemPort>{{"/dev/ttyS0", "", false},
                                 {"/dev/ttyUSB1", "", true},
                                 {"/dev/ttyACM0", "", true},
                                 {"/dev/ttyAMA0", "", false}}
            << QList<VirtualPort>{}
            << QStringList{"1=/dev/ttyACM0", "2=/dev/ttyUSB1", "3=/dev/ttyAMA0", "4=/dev/ttyS0"};
        QTest::newRow("simulated pads between usb and the rest, by name")
            << QList<SystemPort>{{"/dev/ttyS1", "", false}, {"/dev/ttyACM0", "", true}}
            << QList<VirtualPort>{{"zeta", "/dev/pts/4"}, {"alpha", "/dev/pts/9"}}
            << QStringList{"1=/dev/ttyACM0", "2=/dev/pts/9", "3=/dev/pts/4", "4=/dev/ttyS1"};
        QTest::newRow("only simulated")
            << QList<SystemPort>{} << QList<VirtualPort>{{"simulated-pad", "/dev/pts/3"}}
            << QStringList{"1=/dev/pts/3"};
    }
    void numbering() {
        QFETCH(QList<SystemPort>, system);
        QFETCH(QList<VirtualPort>, virtuals);
        QFETCH(QStringList, expected);
        QCOMPARE(Paths(UnixPortPlatform().NumberPorts(system, virtuals)), expected);
    }

    // Each system's own listing, numbered by its platform.
    void platformNumbering_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QList<SystemPort>>("system");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("typedCom20");
        QTest::newRow("windows: port N is COMN")
            << "windows"
            << QList<SystemPort>{{"\\\\.\\COM7", "USB 串行设备", true},
                                 {"COM3", "通信端口", false},
                                 {"\\\\.\\CNCA0", "com0com", false}}
            << QStringList{"3=COM3 通信端口", "7=COM7 USB 串行设备"} << "COM20";
        QTest::newRow("macos: only the call-out device")
            << "macos"
            << QList<SystemPort>{{"/dev/tty.usbmodem1101", "Vorlin", true},
                                 {"/dev/cu.usbmodem1101", "Vorlin", true},
                                 {"/dev/cu.Bluetooth-Incoming-Port", "", false},
                                 {"/dev/tty.Bluetooth-Incoming-Port", "", false}}
            << QStringList{"1=/dev/cu.usbmodem1101 Vorlin", "2=/dev/cu.Bluetooth-Incoming-Port "}
            << "";
    }
    void platformNumbering() {
        QFETCH(QString, platform);
        QFETCH(QList<SystemPort>, system);
        QFETCH(QStringList, expected);
        QFETCH(QString, typedCom20);
        const FixedDirectory directory(system, Platform(platform));
        QStringList found;
        // As the port scan looks them up, with the description its tooltip shows.
        for (const PortEntry &listed : directory.List()) {
            const PortEntry entry = directory.Find(listed.number).value_or(PortEntry{});
            found.append(QStringLiteral("%1=%2 %3")
                             .arg(entry.number)
                             .arg(entry.devicePath, entry.description));
        }
        QCOMPARE(found, expected);
        QCOMPARE(directory.Find(20).value_or(PortEntry{}).devicePath, typedCom20);
    }

    // The ports the start-up scan never reaches, which a failed connect names for typing.
    void portsBeyondScan_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QList<SystemPort>>("system");
        QTest::addColumn<QList<VirtualPort>>("virtuals");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("windows: new usb devices take the next free numbers")
            << "windows"
            << QList<SystemPort>{{"\\\\.\\COM23", "USB 串行设备", true},
                                 {"COM1", "通信端口", false},
                                 {"COM17", "USB 串行设备", true},
                                 {"COM16", "USB 串行设备", true}}
            << QList<VirtualPort>{} << QStringList{"17=COM17", "23=COM23"};
        // Numbers are positions: usb, simulated pads, then the rest by path as text.
        QList<SystemPort> many{{"/dev/ttyACM0", "", true}};
        for (int n = 0; n < 15; ++n)
            many.append({QStringLiteral("/dev/ttyS%1").arg(n), "", false});
        QTest::newRow("linux: the 17th port")
            << "linux" << many << QList<VirtualPort>{{"pad", "/dev/pts/3"}}
            << QStringList{"17=/dev/ttyS9"};
    }
    void portsBeyondScan() {
        QFETCH(QString, platform);
        QFETCH(QList<SystemPort>, system);
        QFETCH(QList<VirtualPort>, virtuals);
        QFETCH(QStringList, expected);
        QCOMPARE(Paths(PortsBeyondScan(Platform(platform).NumberPorts(system, virtuals))),
                 expected);
    }

    void windowsReportsAHeldPortAsAccessDenied() {
        QCOMPARE(WindowsPortPlatform().ClassifyOpenFailure(QSerialPort::PermissionError, "COM3"),
                 OpenFailure::Busy);
    }

    // The scan shares one listing; a lookup afterwards sees ports plugged in since.
    void heldListingIsReadOnce() {
        CountingDirectory directory;
        directory.HoldListing(true);
        for (int number = 1; number <= 16; ++number)
            directory.Find(number);
        QCOMPARE(directory.listings, 1);
        directory.HoldListing(false);
        QVERIFY(directory.Find(1));
        QVERIFY(directory.Find(1));
        QCOMPARE(directory.listings, 3);
    }

    void portNumberFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // -1: not a port number
        QTest::newRow("Com7") << "Com7" << 7;
        QTest::newRow("bare 7") << "7" << 7;
        QTest::newRow("Com12") << "Com12" << 12;
        QTest::newRow("Com99") << "Com99" << 99;
        QTest::newRow("abc") << "abc" << -1;
        QTest::newRow("initial text") << "Combo1" << -1;
        QTest::newRow("upper case keeps its letters") << "COM3" << -1;
        QTest::newRow("lower case keeps its letters") << "com3" << -1;
        QTest::newRow("Com alone") << "Com" << -1;
        QTest::newRow("every Com removed") << "ComCom5" << 5;
    }
    void portNumberFromText() {
        QFETCH(QString, text);
        QFETCH(int, number);
        const std::optional<int> parsed = PortNumberFromText(text);
        QCOMPARE(parsed.value_or(-1), number);
    }

    void classifyOpenFailure_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("denied");
        QTest::addColumn<int>("failure");
        QTest::newRow("not found") << int(QSerialPort::DeviceNotFoundError) << false << false
                                   << int(OpenFailure::NoSuchPort);
        QTest::newRow("no rights") << int(QSerialPort::PermissionError) << true << true
                                   << int(OpenFailure::PermissionDenied);
        QTest::newRow("locked by another program")
            << int(QSerialPort::PermissionError) << true << false << int(OpenFailure::Busy);
        QTest::newRow("vanished while opening")
            << int(QSerialPort::PermissionError) << false << false << int(OpenFailure::NoSuchPort);
        QTest::newRow("other") << int(QSerialPort::UnknownError) << true << false
                               << int(OpenFailure::Other);
    }
    void classifyOpenFailure() {
        QFETCH(int, error);
        QFETCH(bool, exists);
        QFETCH(bool, denied);
        QFETCH(int, failure);
        QCOMPARE(int(ClassifyOpenFailure(QSerialPort::SerialPortError(error), exists, denied)),
                 failure);
    }

    void messagesNameThePortAndTheRemedy() {
        // Windows refuses no user a port, so it has no group to join.
#ifdef Q_OS_WIN
        const bool dialoutHint = false;
#else
        const bool dialoutHint = true;
#endif
        QCOMPARE(OpenFailureMessage("Com3", OpenFailure::PermissionDenied, "x").contains("dialout"),
                 dialoutHint);
        QVERIFY(OpenFailureMessage("Com3", OpenFailure::Busy, "x").contains("Com3"));
        QVERIFY(OpenFailureMessage("Com99", OpenFailure::NoSuchPort, "x").contains("Com99"));
        QVERIFY(
            OpenFailureMessage("Com3", OpenFailure::Other, "Broken pipe").contains("Broken pipe"));
        QVERIFY(NotAPortMessage("abc").contains("abc"));
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_SerialLink.moc"
