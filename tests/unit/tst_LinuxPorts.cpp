// Linux's side of the serial link: ports read from the device tree, simulated pads announced in
// the user's runtime folder, and the link itself over a real pseudo-terminal.
#include "link/HangUpWatch.h"
#include "link/PortDirectory.h"
#include "link/SerialPort.h"
#include "link/SysfsPorts.h"
#include "tests/support/FixedDirectory.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace vorlin;

namespace {

// A pseudo-terminal whose master end plays the far side of the line.
struct Pty {
    int master = -1;
    QString slavePath;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        termios attributes{};
        ::tcgetattr(master, &attributes);
        ::cfmakeraw(&attributes);
        ::tcsetattr(master, TCSANOW, &attributes);
        slavePath = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { Close(); }
    void Close() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    QByteArray ReadAvailable() const {
        QByteArray data;
        char chunk[256];
        ssize_t n;
        while ((n = ::read(master, chunk, sizeof chunk)) > 0)
            data.append(chunk, n);
        return data;
    }
};

} // namespace

class TestLinuxPorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Linux's device tree, made up in a folder: "path=text" writes a file, "path>target" links to
    // a place in the same tree. Each port found reads "device|description|usb".
    void sysfsListing_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("expected");
        const QString uart = "sys/devices/pnp0/00:01/tty/ttyS";
        const QString usb = "sys/devices/pci0/usb1/1-2";
        const QString adapter = usb + "/1-2:1.0/ttyUSB0/tty/ttyUSB0";
        QTest::newRow("a uart; an empty uart slot, a console and a pty are no ports")
            << QStringList{uart + "0/type=4",
                           uart + "0/uevent=MAJOR=4\nMINOR=64\nDEVNAME=ttyS0",
                           uart + "0/device>sys/devices/pnp0/00:01",
                           uart + "1/type=0",
                           uart + "1/uevent=DEVNAME=ttyS1",
                           uart + "1/device>sys/devices/pnp0/00:01",
                           "sys/devices/virtual/tty/tty0/uevent=",
                           "sys/devices/virtual/tty/ptmx/uevent="}
            << QStringList{"/dev/ttyS0||0"};
        QTest::newRow("usb, as udev recorded it")
            << QStringList{adapter + "/uevent=MAJOR=188\nMINOR=0\nDEVNAME=ttyUSB0",
                           adapter + "/device>" + usb + "/1-2:1.0/ttyUSB0",
                           "run/udev/data/"
                           "c188:0=E:ID_MODEL=CP2102_USB_to_UART\nE:ID_VENDOR=Silicon_"
                           "Labs\nE:ID_VENDOR_ID=10c4"}
            << QStringList{"/dev/ttyUSB0|CP2102 USB to UART (Silicon Labs)|1"};
        QTest::newRow("usb without udev: the usb device says")
            << QStringList{adapter + "/uevent=MAJOR=188\nMINOR=0\nDEVNAME=ttyUSB0",
                           adapter + "/device>" + usb + "/1-2:1.0/ttyUSB0", usb + "/idVendor=2341",
                           usb + "/product=Vorlin  Pad\n", usb + "/manufacturer=Vorlin"}
            << QStringList{"/dev/ttyUSB0|Vorlin Pad (Vorlin)|1"};
        QTest::newRow("bluetooth links have no parent")
            << QStringList{"sys/devices/virtual/tty/rfcomm0/uevent=DEVNAME=rfcomm0",
                           "sys/devices/virtual/tty/rfcommX/uevent="}
            << QStringList{"/dev/rfcomm0||0"};
    }
    void sysfsListing() {
        QFETCH(QStringList, tree);
        QFETCH(QStringList, expected);
        QTemporaryDir root;
        const auto place = [&root](const QString &path) {
            QDir().mkpath(QFileInfo(root.filePath(path)).path());
            return root.filePath(path);
        };
        QVERIFY(QDir().mkpath(root.filePath("sys/class/tty")));
        for (const QString &entry : tree) {
            const qsizetype split = entry.indexOf(QRegularExpression("[=>]"));
            const QString path = place(entry.left(split));
            if (entry.at(split) == u'>') {
                QVERIFY(QFile::link(root.filePath(entry.mid(split + 1)), path));
                continue;
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(entry.mid(split + 1).toUtf8());
            // Every terminal device is listed in the class folder.
            if (path.endsWith("/uevent") && path.contains("/tty/"))
                QFile::link(QFileInfo(path).path(),
                            root.filePath("sys/class/tty/" + QFileInfo(path).dir().dirName()));
        }
        QStringList found;
        for (const SystemPort &port : LinuxPortPlatform(root.path()).ListSystemPorts())
            found << QStringLiteral("%1|%2|%3")
                         .arg(port.devicePath, port.description)
                         .arg(int(port.attachedByUsb));
        QCOMPARE(found, expected);
    }

    // Simulated pads are listed only from a real folder of this user that nobody else may write.
    void untrustedFolderListsNoPads_data() {
        QTest::addColumn<int>("extraPermissions");
        QTest::addColumn<int>("owner"); // -1: this user
        QTest::addColumn<bool>("linkInItsPlace");
        QTest::addColumn<int>("state");
        QTest::newRow("own, closed to others") << 0 << -1 << false << int(PortFolderState::Trusted);
        QTest::newRow("another owner") << 0 << 65534 << false << int(PortFolderState::OtherOwner);
        QTest::newRow("group may write") << int(QFile::WriteGroup | QFile::ExeGroup) << -1 << false
                                         << int(PortFolderState::OpenToOthers);
        QTest::newRow("others may write") << int(QFile::WriteOther | QFile::ExeOther) << -1 << false
                                          << int(PortFolderState::OpenToOthers);
        QTest::newRow("a link in its place") << 0 << -1 << true << int(PortFolderState::NotAFolder);
    }
    void untrustedFolderListsNoPads() {
        QFETCH(int, extraPermissions);
        QFETCH(int, owner);
        QFETCH(bool, linkInItsPlace);
        QFETCH(int, state);
        if (owner >= 0 && ::getuid() != 0)
            QSKIP("only root can give a folder to another user (CI runs as root)");
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const QString folder =
            linkInItsPlace ? runtime.path() + "/elsewhere" : VirtualPortsFolder();
        const auto ownOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QVERIFY(QDir().mkdir(folder, ownOnly));
        Pty pty;
        QVERIFY(QFile::link(pty.slavePath, folder + "/pad"));
        QVERIFY(QFile::setPermissions(folder, ownOnly | QFile::Permissions(extraPermissions)));
        if (owner >= 0)
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), owner, owner), 0);
        if (linkInItsPlace)
            QVERIFY(QFile::link(folder, VirtualPortsFolder()));

        const PortDirectory directory;
        bool listed = false;
        for (const PortEntry &entry : directory.List())
            listed = listed || entry.devicePath == pty.slavePath;
        QCOMPARE(listed, state == int(PortFolderState::Trusted));
        QCOMPARE(int(directory.VirtualPortsFolderState()), state);
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void virtualPortsFolder() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QCOMPARE(VirtualPortsFolder(), runtime.path() + "/vorlin-pad");
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(VirtualPortsFolder(), QStringLiteral("/tmp/vorlin-pad-%1").arg(::getuid()));
    }

    void announcedPadsAreListedAndStaleLinksAreNot() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QVERIFY(QDir().mkdir(VirtualPortsFolder(),
                             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        Pty pty;
        QVERIFY(!pty.slavePath.isEmpty());
        QVERIFY(QFile::link(pty.slavePath, VirtualPortsFolder() + "/bench-pad"));
        QVERIFY(QFile::link("/dev/pts/does-not-exist", VirtualPortsFolder() + "/gone-pad"));
        QFile plain(VirtualPortsFolder() + "/notes.txt");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(QFile::link(plain.fileName(), VirtualPortsFolder() + "/link-to-notes"));
        QVERIFY(QDir().mkpath(VirtualPortsFolder() + "/folder"));

        const QList<PortEntry> entries = PortDirectory().List();
        QStringList virtualPaths;
        for (const PortEntry &entry : entries)
            if (entry.devicePath.startsWith("/dev/pts/"))
                virtualPaths.append(entry.devicePath);
        QCOMPARE(virtualPaths, QStringList{pty.slavePath});
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void openWriteReadAndBusy() {
        Pty pty;
        FixedDirectory *directory = new FixedDirectory({{pty.slavePath, "pty", true}});
        SerialPort serial{std::unique_ptr<PortDirectory>(directory)};
        serial.SetCommPort(2);
        QVERIFY(!serial.SetPortOpen(true));
        QCOMPARE(serial.LastOpenFailure(), OpenFailure::NoSuchPort);

        serial.SetCommPort(1);
        QVERIFY(serial.SetPortOpen(true));
        QVERIFY(serial.PortOpen());
        QVERIFY(serial.SetSettings("115200,N,8,1"));
        QVERIFY(serial.SetSettings("9600,n,8,1"));
        for (const char *bad : {"115200,Q,8,1", "115200,,8,1", "115200,NN,8,1", "", "abc,N,8,1",
                                "115200,N,9,1", "115200,N,x,1", "115200,N,8,3", "115200,N,8"})
            QVERIFY2(!serial.SetSettings(bad), bad);
        QVERIFY(serial.SetSettings("115200,N,8,1"));

        SerialPort second{
            std::make_unique<FixedDirectory>(QList<SystemPort>{{pty.slavePath, "", true}})};
        second.SetCommPort(1);
        QVERIFY(!second.SetPortOpen(true));
        QCOMPARE(second.LastOpenFailure(), OpenFailure::Busy);

        QVERIFY(serial.Output("getsettings"));
        QByteArray sent;
        QTRY_COMPARE((sent += pty.ReadAvailable()), QByteArray("getsettings"));

        QSignalSpy comm(&serial, &SerialPort::OnComm);
        QCOMPARE(::write(pty.master, "done", 4), 4);
        QVERIFY(comm.wait());
        serial.SetInputLen(1);
        QByteArray received;
        QTRY_VERIFY((received += serial.Input()).size() >= 4);
        QCOMPARE(received, QByteArray("done"));
        QVERIFY(serial.Input().isEmpty());

        QVERIFY(serial.SetPortOpen(false));
        QVERIFY(!serial.PortOpen());
        QVERIFY(serial.SetPortOpen(false));
        QVERIFY(!serial.Output("getsettings"));
    }

    void farEndGoneClosesThePortOnce_data() {
        QTest::addColumn<QByteArray>("lastWords");
        QTest::newRow("silent") << QByteArray();
        QTest::newRow("after an answer") << QByteArray("done");
    }

    void farEndGoneClosesThePortOnce() {
        QFETCH(QByteArray, lastWords);
        auto pty = std::make_unique<Pty>();
        SerialPort serial{
            std::make_unique<FixedDirectory>(QList<SystemPort>{{pty->slavePath, "", true}})};
        serial.SetCommPort(1);
        QVERIFY(serial.SetPortOpen(true));
        QSignalSpy lost(&serial, &SerialPort::ConnectionLost);
        QSignalSpy comm(&serial, &SerialPort::OnComm);
        QCOMPARE(::write(pty->master, lastWords.constData(), lastWords.size()), lastWords.size());
        pty.reset();
        QVERIFY(lost.wait());
        QVERIFY(!serial.PortOpen());
        // In the tool's words, whether Qt or the hang-up watch noticed first.
        QCOMPARE(lost.at(0).at(0).toString(), HangUpWatch::Reason());
        // The notifier must not keep firing once the port is closed.
        QTest::qWait(50);
        QCOMPARE(lost.size(), 1);
        QVERIFY(comm.size() <= 2);
    }
};

QTEST_GUILESS_MAIN(TestLinuxPorts)
#include "tst_LinuxPorts.moc"
