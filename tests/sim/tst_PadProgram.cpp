#include "sim/VirtualPorts.h"
#include "tests/sim/SerialLine.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>

using vorlin::sim::VirtualPortsFolder;

namespace {

const QString kProgram = QStringLiteral(VORLIN_PAD_SIM_PATH);

// User plus system time of a process in clock ticks, from /proc.
qint64 CpuTicks(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QByteArrayList fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

// waitForFinished() is false for a process that an event loop has already seen end.
bool Finished(QProcess &process) {
    return process.state() == QProcess::NotRunning || process.waitForFinished(5000);
}

} // namespace

class TestPadProgram : public QObject {
    Q_OBJECT

private:
    // Starts the program and reads its first line; empty when it did not come.
    QString Launch(QProcess &process, const QStringList &arguments) {
        process.start(kProgram, arguments);
        if (!process.waitForStarted(5000))
            return QString();
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }

private Q_SLOTS:
    void initTestCase() {
        MakeRuntimeFolder();
        QDir(VirtualPortsFolder()).removeRecursively();
        QVERIFY(QFileInfo(kProgram).isExecutable());
    }

    void announcesAndAnswers() {
        QProcess process;
        const QString slave = Launch(process, {"--name", "program pad", "--instant"});
        QVERIFY2(slave.startsWith("/dev/pts/"), qPrintable(slave));
        const QString link = VirtualPortsFolder() + "/program pad";
        QCOMPARE(QFileInfo(link).symLinkTarget(), slave);

        SerialLine line(link);
        QVERIFY(line.Write("##disablegroup1##getsettings"));
        QVERIFY(line.WaitForEnd("]]"));
        QVERIFY(line.received.startsWith("[[group1!!606||607||"));
        QVERIFY(line.received.endsWith("!!yes!!no!!yes!!no!!no!!1.0.2]]"));
        process.terminate();
        QVERIFY(Finished(process));
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void stops_data() {
        QTest::addColumn<int>("signal"); // 0: end of standard input
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("end of input") << 0;
    }
    void stops() {
        QFETCH(int, signal);
        QProcess process;
        const QString slave = Launch(process, {"--name", "stopping"});
        QVERIFY(!slave.isEmpty());
        const QString link = VirtualPortsFolder() + "/stopping";
        QVERIFY(QFileInfo(link).isSymLink());
        {
            // A tool that connected and went away does not keep the pad from stopping.
            SerialLine line(link);
            QVERIFY(line.Write("getsettings"));
            QVERIFY(line.WaitForEnd("]]"));
        }
        if (signal)
            QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
        else
            process.closeWriteChannel();
        QVERIFY(Finished(process));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void idleWithoutConnection() {
        QProcess process;
        QVERIFY(!Launch(process, {"--name", "idle"}).isEmpty());
        {
            SerialLine line(VirtualPortsFolder() + "/idle");
            QVERIFY(line.Write("getsettings"));
            QVERIFY(line.WaitForEnd("]]"));
        }
        // The port is closed again; an idle pad uses next to no processor time. There is no
        // event to wait for, so the test lets a fixed short while pass.
        const qint64 before = CpuTicks(process.processId());
        QVERIFY(before >= 0);
        QTest::qWait(400);
        const qint64 used = CpuTicks(process.processId()) - before;
        QVERIFY2(used <= 5, qPrintable(QStringLiteral("%1 ticks").arg(used)));
        process.terminate();
        QVERIFY(Finished(process));
    }

    void hangUpExits() {
        QProcess process;
        QVERIFY(
            !Launch(process, {"--name", "hanging", "--hang-up-after", "getsettings"}).isEmpty());
        const QString link = VirtualPortsFolder() + "/hanging";
        SerialLine line(link);
        QVERIFY(line.Write("getsettings"));
        QVERIFY(line.WaitForHangUp());
        QVERIFY2(line.received.startsWith("[[") && line.received.endsWith("]]"),
                 line.received.constData());
        QVERIFY(Finished(process));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void noStdinKeepsRunning() {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        QVERIFY(!Launch(process, {"--name", "background", "--no-stdin"}).isEmpty());
        SerialLine line(VirtualPortsFolder() + "/background");
        QVERIFY(line.Write("getsettings"));
        QVERIFY(line.WaitForEnd("]]"));
        QCOMPARE(process.state(), QProcess::Running);
        process.terminate();
        QVERIFY(Finished(process));
        QCOMPARE(process.exitCode(), 0);
    }

    void stateFile() {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("# test pad\nlayer=group3\nrgb=no\nversion=4.5.6\n"
                   "group3=1||2||3||4||5||6||7||8||9||a||b||c||d||e\n");
        file.close();
        QProcess process;
        QVERIFY(!Launch(process, {"--name", "stateful", "--state", file.fileName(), "--instant",
                                  "--short-form"})
                     .isEmpty());
        SerialLine line(VirtualPortsFolder() + "/stateful");
        QVERIFY(line.Write("getsettings"));
        QVERIFY(line.WaitForEnd("]]"));
        QVERIFY(line.received.startsWith("[[group3!!606||"));
        QVERIFY(line.received.endsWith("!!1||2||3||4||5||6||7||8||9||a||b||c||d||e!!608||610||609|"
                                       "|611||602||603||604||605||508||512||514||130 + 197||131 + "
                                       "l||601!!no]]"));
        process.terminate();
        QVERIFY(Finished(process));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing state file")
            << QStringList{"--state", "/nonexistent/pad.state"} << "/nonexistent/pad.state";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "frobnicate";
        QTest::newRow("bad hang-up") << QStringList{"--hang-up-after", "never"} << "never";
        QTest::newRow("bad cut") << QStringList{"--cut-report", "-1"} << "--cut-report";
        QTest::newRow("bad delay") << QStringList{"--delay-ms", "soon"} << "--delay-ms";
        QTest::newRow("stray argument") << QStringList{"extra"} << "extra";
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcess process;
        process.start(kProgram, arguments);
        QVERIFY(Finished(process));
        QCOMPARE(process.exitCode(), 2);
        const QString error = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }

    void badStateFile() {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("layer=group1\nrgb=maybe\n");
        file.close();
        QProcess process;
        process.start(kProgram, {"--state", file.fileName()});
        QVERIFY(Finished(process));
        QCOMPARE(process.exitCode(), 2);
        const QString error = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(error.contains("line 2") && error.contains("rgb"), qPrintable(error));
    }

    void helpNamesEveryFlag() {
        QProcess process;
        process.start(kProgram, {"--help"});
        QVERIFY(Finished(process));
        QCOMPARE(process.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
        for (const char *flag :
             {"--name", "--state", "--short-form", "--ack-switches", "--ignore-uploads",
              "--instant", "--noise", "--cut-report", "--hang-up-after", "--delay-ms", "--verbose",
              "--no-stdin", "group1=", "enabled=", "version=", "rgb=", "layer="})
            QVERIFY2(help.contains(QLatin1String(flag)), flag);
    }
};

QTEST_GUILESS_MAIN(TestPadProgram)
#include "tst_PadProgram.moc"
