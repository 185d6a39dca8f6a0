// Finding the ports that will not open, over pseudo-terminals: one free, one the user may not
// open, one held by another open port. Root opens a device whatever its mode, so the probe runs
// in a child process that, as root, first becomes an unprivileged user.
#include "link/ConnectError.h"
#include "link/UnopenablePorts.h"

#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorlin;

Q_DECLARE_METATYPE(QList<vorlin::UnopenablePort>)

namespace {

constexpr uid_t kNobody = 65534;

class Listed final : public PortDirectory {
public:
    explicit Listed(QList<PortEntry> entries) : entries(std::move(entries)) {}
    QList<PortEntry> List() const override { return entries; }

private:
    QList<PortEntry> entries;
};

struct Pty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QString path = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                       ? QString::fromLocal8Bit(::ptsname(master))
                       : QString();
    ~Pty() { ::close(master); }
};

// What `probe` returns, computed in a child process without root's rights.
QByteArray Unprivileged(const std::function<QByteArray()> &probe) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(1);
        const QByteArray answer = probe();
        ::_exit(::write(pipe[1], answer.constData(), answer.size()) == answer.size() ? 0 : 1);
    }
    ::close(pipe[1]);
    QByteArray answer;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, n);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : "child failed";
}

} // namespace

class TestUnopenablePorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusedAndHeldPortsAreFound() {
        Pty free, denied, held;
        QVERIFY(!free.path.isEmpty() && !denied.path.isEmpty() && !held.path.isEmpty());
        QCOMPARE(::chmod(qPrintable(free.path), 0666), 0);
        QCOMPARE(::chmod(qPrintable(held.path), 0666), 0);
        QCOMPARE(::chmod(qPrintable(denied.path), 0), 0);
        const QList<PortEntry> entries = {
            {1, free.path, {}}, {2, denied.path, {}}, {3, held.path, {}}};
        SerialPort holder{std::make_unique<Listed>(entries)};
        holder.SetCommPort(3);
        QVERIFY(holder.SetPortOpen(true));

        const QByteArray found = Unprivileged([&entries] {
            QByteArray lines;
            for (const UnopenablePort &port : FindUnopenablePorts(Listed(entries)))
                lines += QByteArray::number(port.port.number) +
                         (port.failure == OpenFailure::PermissionDenied ? " denied;"
                          : port.failure == OpenFailure::Busy           ? " busy;"
                                                                        : " other;");
            return lines;
        });
        QCOMPARE(found, QByteArray("2 denied;3 busy;"));
    }

    void hintNamesPortsAndRemedies_data() {
        QTest::addColumn<QList<UnopenablePort>>("ports");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const PortEntry acm{1, "/dev/ttyACM0", {}};
        const PortEntry usb{2, "/dev/ttyUSB0", {}};
        QTest::newRow("none") << QList<UnopenablePort>{} << QStringList{}
                              << QStringList{"串口", "dialout"};
        QTest::newRow("no permission")
            << QList<UnopenablePort>{{acm, OpenFailure::PermissionDenied}}
            << QStringList{"Com1（/dev/ttyACM0）：没有权限", "usermod -aG dialout"}
            << QStringList{"占用"};
        QTest::newRow("held") << QList<UnopenablePort>{{usb, OpenFailure::Busy}}
                              << QStringList{"Com2（/dev/ttyUSB0）：正被其他程序占用", "请关闭"}
                              << QStringList{"dialout"};
        QTest::newRow("both") << QList<UnopenablePort>{{acm, OpenFailure::PermissionDenied},
                                                       {usb, OpenFailure::Busy}}
                              << QStringList{"/dev/ttyACM0）：没有权限", "/dev/ttyUSB0）：正被",
                                             "dialout", "请关闭"}
                              << QStringList{};
    }
    void hintNamesPortsAndRemedies() {
        QFETCH(QList<UnopenablePort>, ports);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const QString hint = UnopenablePortsHint(ports);
        for (const QString &text : present)
            QVERIFY2(hint.contains(text), qPrintable(hint));
        for (const QString &text : absent)
            QVERIFY2(!hint.contains(text), qPrintable(hint));
    }
};

QTEST_GUILESS_MAIN(TestUnopenablePorts)
#include "tst_UnopenablePorts.moc"
