// The ports the port list leaves out, over pseudo-terminals: one free but numbered beyond the
// scan, one of mode 0, one held by another open port. Root opens a device whatever its mode, so the
// probe runs in a child process that, as root, first becomes an unprivileged user.
#include "link/ConnectError.h"
#include "link/OpenProbe.h"

#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorlin;

namespace {

struct Pty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QByteArray path = ::grantpt(master) == 0 && ::unlockpt(master) == 0 ? ::ptsname(master) : "";
    ~Pty() { ::close(master); }
};

// What `probe` returns when run by the unprivileged user 65534 (or by the user the test runs as,
// if that is not root).
QByteArray Unprivileged(const std::function<QByteArray()> &probe) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                  ::setresgid(65534, 65534, 65534) == 0 &&
                                                  ::setresuid(65534, 65534, 65534) == 0);
        const QByteArray answer = dropped ? probe() : "still root";
        ::_exit(::write(pipe[1], answer.constData(), answer.size()) == answer.size() ? 0 : 1);
    }
    ::close(pipe[1]);
    QByteArray answer;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, n);
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    return answer;
}

} // namespace

class TestUnopenablePorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusedAndHeldPortsAreNamed() {
        Pty free, denied, held;
        QVERIFY(!free.path.isEmpty() && !denied.path.isEmpty() && !held.path.isEmpty());
        for (const auto &[pty, mode] : {std::pair{&free, 0666}, {&held, 0666}, {&denied, 0}})
            QCOMPARE(::chmod(pty->path, mode_t(mode)), 0);
        const QList<PortEntry> entries = {
            {17, free.path, {}}, {2, denied.path, {}}, {3, held.path, {}}};
        // A pty number is soon reused; a lock that a killed program left on it is cleared by an
        // open in this process, which the unprivileged child could not do.
        SurveyPorts(ListedPortDirectory(entries));
        SerialPort holder{std::make_unique<ListedPortDirectory>(entries)};
        holder.SetCommPort(3);
        QVERIFY(holder.SetPortOpen(true));

        const QString hint = QString::fromUtf8(Unprivileged([&entries] {
            const PortSurvey found = SurveyPorts(ListedPortDirectory(entries));
            return found.unopenable.size() == 2 && found.beyondScan.size() == 1
                       ? UnlistedPortsHint(found).toUtf8()
                       : "not two ports refused and one to type";
        }));
        for (const QString &text :
             {QStringLiteral("如 Com17"), QStringLiteral("Com17（%1）").arg(free.path),
              QStringLiteral("Com2（%1）：没有权限").arg(denied.path),
              QStringLiteral("Com3（%1）：正被其他程序占用").arg(held.path),
              QStringLiteral("usermod -aG dialout"), QStringLiteral("请关闭")})
            QVERIFY2(hint.contains(text), qPrintable(hint));
        QVERIFY(UnlistedPortsHint({}).isEmpty());
    }
    // Windows gives a new USB serial device the next free number: a pad past the scan is named as
    // a number to type, with its description, ahead of the ports that will not open.
    void portsBeyondScanAreNamedToType() {
        const PortSurvey survey{{{{20, "COM20", {}}, OpenFailure::Busy}},
                                {{17, "COM17", "USB 串行设备"}, {23, "COM23", {}}}};
        const QStringList lines = UnlistedPortsHint(survey).split(u'\n');
        const qsizetype typed = lines.indexOf("    Com17（COM17）：USB 串行设备");
        QVERIFY2(typed > 0 && lines[typed - 1].contains("大于 16") &&
                     lines[typed - 1].contains("如 Com17") &&
                     lines.value(typed + 1) == "    Com23（COM23）" &&
                     lines.indexOf("    Com20（COM20）：正被其他程序占用") > typed + 1,
                 qPrintable(lines.join(u'\n')));
        QVERIFY(!UnlistedPortsHint({{}, survey.beyondScan}).contains("无法打开"));
    }
    // The start-up scan's probe answers as QSerialPort's open does, or leaves the question to it.
    void probeAgreesWithTheOpen_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("free") << "pty" << 0666 << "" << QByteArray("open");
        QTest::newRow("no permission") << "pty" << 0 << "" << QByteArray("refused");
        QTest::newRow("held exclusively") << "pty" << 0666 << "exclusive" << QByteArray("refused");
        QTest::newRow("locked by a serial port") << "pty" << 0666 << "port" << QByteArray("ask");
        QTest::newRow("not a terminal") << "/dev/null" << 0666 << "" << QByteArray("refused");
        QTest::newRow("missing") << "/dev/no-such-tty" << 0666 << "" << QByteArray("refused");
    }
    void probeAgreesWithTheOpen() {
        QFETCH(QString, device);
        QFETCH(int, mode);
        QFETCH(QString, holder);
        QFETCH(QByteArray, expected);
        Pty pty;
        const QString path = device == "pty" ? QString::fromLocal8Bit(pty.path) : device;
        if (device == "pty")
            QCOMPARE(::chmod(pty.path, mode_t(mode)), 0);
        const QList<PortEntry> entries = {{1, path, {}}};
        SurveyPorts(ListedPortDirectory(entries)); // clears a lock left on a reused pty number
        SerialPort port{std::make_unique<ListedPortDirectory>(entries)};
        const int exclusive = holder == "exclusive" ? ::open(pty.path, O_RDWR | O_NOCTTY) : -1;
        QVERIFY(holder != "exclusive" || ::ioctl(exclusive, TIOCEXCL) == 0);
        QVERIFY(holder != "port" || port.SetPortOpen(true));
        const QByteArray answers = Unprivileged([&path] {
            const std::optional<bool> quick = QuickOpenProbe(path);
            QtSerialDevice serial;
            const bool opened = serial.Open(path);
            const char *probe = !quick ? "ask" : *quick ? "open" : "refused";
            return QByteArray(probe).append(opened ? " open" : " refused");
        });
        if (exclusive >= 0)
            ::close(exclusive);
        QCOMPARE(answers.split(' ').value(0), expected);
        if (expected != "ask")
            QCOMPARE(answers.split(' ').value(1), expected);
    }
};

QTEST_GUILESS_MAIN(TestUnopenablePorts)
#include "tst_UnopenablePorts.moc"
