#include "sim/SimulatedPad.h"
#include "sim/VirtualPorts.h"
#include "tests/sim/SerialLine.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <ctime>
#include <memory>
#include <sys/stat.h>

using vorlin::sim::PadOptions;
using vorlin::sim::PadState;
using vorlin::sim::SimulatedPad;
using vorlin::sim::VirtualPortsFolder;

Q_DECLARE_METATYPE(PadState)
Q_DECLARE_METATYPE(PadOptions)

namespace {

const QByteArray kLayer1 = "606||607||506||507||128 + x||128 + v||128 + 129 + 177||198||a||225||"
                           "130 + 179||601||176||505";

QStringList Entries(const QString &prefix) {
    QStringList entries;
    for (int i = 0; i < PadState::kSlotCount; ++i)
        entries << QStringLiteral("%1%2 + %3").arg(prefix).arg(128 + i).arg(QChar(u'a' + i));
    return entries;
}

QByteArray Upload(const QByteArray &layer, const QStringList &entries) {
    return "{{" + layer + "::" + entries.join(QLatin1String("||")).toLatin1() + "}}";
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Checks the report's framing and that it holds exactly the state, field by field.
bool ReportHolds(const QByteArray &report, const PadState &state, bool shortForm) {
    if (!report.startsWith("[[") || !report.endsWith("]]"))
        return false;
    const QByteArrayList fields = report.mid(2, report.size() - 4).split('!');
    QByteArrayList joined; // split('!') leaves an empty piece inside every "!!"
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        if (i + 1 < fields.size() && !fields[i + 1].isEmpty())
            return false;
        joined << fields[i];
    }
    if (joined.size() != (shortForm ? 6 : 11) || joined[0] != state.currentLayer.toLatin1())
        return false;
    for (int layer = 0; layer < PadState::kLayerCount; ++layer) {
        const QStringList entries = QString::fromLatin1(joined[1 + layer]).split("||");
        if (entries != state.layers[layer])
            return false;
    }
    const auto flag = [](bool on) { return on ? QByteArray("yes") : QByteArray("no"); };
    if (joined[5] != flag(state.rgbOn))
        return false;
    if (shortForm)
        return true;
    for (int layer = 0; layer < PadState::kLayerCount; ++layer) {
        if (joined[6 + layer] != flag(state.enabled[layer]))
            return false;
    }
    return joined[10] == state.version.toLatin1();
}

PadOptions Instant() {
    PadOptions options;
    options.instant = true;
    return options;
}

PadState Changed() {
    PadState state;
    state.currentLayer = "group3";
    state.rgbOn = false;
    state.enabled = {false, true, true, false};
    state.version = "2.7.1";
    state.layers[2] = Entries("");
    return state;
}

} // namespace

class TestSimulatedPad : public QObject {
    Q_OBJECT

private:
    // Starts a pad; the test fails on the spot when it cannot.
    std::unique_ptr<SimulatedPad> Pad(const PadOptions &options = Instant()) {
        auto pad = std::make_unique<SimulatedPad>(options);
        QString error;
        if (!pad->Start(&error)) {
            qWarning("cannot start the pad: %s", qPrintable(error));
            return nullptr;
        }
        return pad;
    }

    QByteArray Ask(SimulatedPad &pad, SerialLine &line, const QByteArray &command) {
        QSignalSpy answers(&pad, &SimulatedPad::AnswerSent);
        line.Take();
        if (!line.Write(command) || !answers.wait(5000))
            return QByteArray();
        line.WaitForBytes(answers.first().first().toByteArray().size());
        return line.Take();
    }

private Q_SLOTS:
    void initTestCase() { MakeRuntimeFolder(); }

    void factoryReport() {
        auto pad = Pad();
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        QVERIFY(line.IsOpen());
        const QByteArray report = Ask(*pad, line, "getsettings");
        QVERIFY(report.startsWith(QByteArray("[[group1!!" + kLayer1 + "!!")));
        QVERIFY(report.endsWith("!!yes!!yes!!yes!!no!!no!!1.0.2]]"));
        QVERIFY(ReportHolds(report, PadState(), false));
    }

    void report_data() {
        QTest::addColumn<PadState>("state");
        QTest::addColumn<bool>("shortForm");
        QTest::newRow("factory, full") << PadState() << false;
        QTest::newRow("factory, short") << PadState() << true;
        QTest::newRow("changed, full") << Changed() << false;
        QTest::newRow("changed, short") << Changed() << true;
    }
    void report() {
        QFETCH(PadState, state);
        QFETCH(bool, shortForm);
        PadOptions options = Instant();
        options.shortForm = shortForm;
        auto pad = Pad(options);
        QVERIFY(pad);
        pad->SetState(state);
        SerialLine line(pad->SlavePath());
        QSignalSpy handled(pad.get(), &SimulatedPad::CommandHandled);
        const QByteArray report = Ask(*pad, line, "getsettings");
        QVERIFY2(ReportHolds(report, state, shortForm), report.constData());
        QCOMPARE(handled.size(), 1);
        QCOMPARE(handled.first().first().toString(), QString("getsettings"));
        QCOMPARE(pad->State(), state);
    }

    void switches_data() {
        QTest::addColumn<PadState>("before");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<PadState>("after");
        const PadState factory;
        PadState rgbOff = factory;
        rgbOff.rgbOn = false;
        QTest::newRow("rgb off") << factory << QByteArray("##no##") << rgbOff;
        QTest::newRow("rgb on") << rgbOff << QByteArray("##yes##") << factory;
        QTest::newRow("rgb on again") << factory << QByteArray("##yes##") << factory;
        for (int layer = 0; layer < PadState::kLayerCount; ++layer) {
            PadState on = factory;
            on.enabled[layer] = true;
            PadState off = factory;
            off.enabled[layer] = false;
            const QByteArray n = QByteArray::number(layer + 1);
            QTest::newRow(QByteArray("enable " + n).constData())
                << off << QByteArray("##enablegroup" + n + "##") << on;
            QTest::newRow(QByteArray("disable " + n).constData())
                << on << QByteArray("##disablegroup" + n + "##") << off;
        }
    }
    void switches() {
        QFETCH(PadState, before);
        QFETCH(QByteArray, command);
        QFETCH(PadState, after);
        auto pad = Pad();
        QVERIFY(pad);
        pad->SetState(before);
        SerialLine line(pad->SlavePath());
        QSignalSpy handled(pad.get(), &SimulatedPad::CommandHandled);
        QVERIFY(line.Write(command));
        QVERIFY(handled.wait(5000));
        QCOMPARE(handled.first().first().toString(), QString::fromLatin1(command));
        QCOMPARE(pad->State(), after);
        // A switch is not answered: the next bytes on the line are the report, showing the change.
        const QByteArray report = Ask(*pad, line, "getsettings");
        QVERIFY2(ReportHolds(report, after, false), report.constData());
    }

    void upload_data() {
        QTest::addColumn<int>("layer");
        QTest::addColumn<QStringList>("entries");
        for (int layer = 0; layer < PadState::kLayerCount; ++layer)
            QTest::newRow(qPrintable(QStringLiteral("group%1").arg(layer + 1)))
                << layer << Entries(QString());
        QStringList characters{"a", "b", "1", "=", "/", "[",  ";",
                               "'", ",", ".", "`", "-", "\\", "z"};
        QTest::newRow("single characters") << 1 << characters;
    }
    void upload() {
        QFETCH(int, layer);
        QFETCH(QStringList, entries);
        auto pad = Pad();
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        PadState expected;
        expected.layers[layer] = entries;
        const QByteArray message =
            Upload(QStringLiteral("group%1").arg(layer + 1).toLatin1(), entries);
        QCOMPARE(Ask(*pad, line, message), QByteArray("done"));
        QCOMPARE(pad->State(), expected);
        const QByteArray report = Ask(*pad, line, "getsettings");
        QVERIFY2(ReportHolds(report, expected, false), report.constData());
    }

    void rejected_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QStringList entries = Entries("");
        QTest::newRow("unknown layer") << Upload("group5", entries);
        QTest::newRow("layer in other case") << Upload("Group2", entries);
        QTest::newRow("thirteen entries") << Upload("group2", entries.mid(1));
        QTest::newRow("fifteen entries") << Upload("group2", entries + QStringList{"a"});
        QTest::newRow("no layer separator") << "{{group2" + entries.join("||").toLatin1() + "}}";
        QTest::newRow("cut short by a command")
            << Upload("group2", entries).chopped(2) + "##disablegroup5##";
        QTest::newRow("cut short by another upload")
            << Upload("group2", entries).chopped(2) + Upload("group9", entries);
        QTest::newRow("unknown switch") << QByteArray("##enablegroup0##");
        QTest::newRow("garbage") << QByteArray("hello pad\r\n");
        QTest::newRow("echoed answers") << QByteArray("done[[group1!!yes]]");
    }
    void rejected() {
        QFETCH(QByteArray, bytes);
        auto pad = Pad();
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        QSignalSpy rejected(pad.get(), &SimulatedPad::MessageRejected);
        QSignalSpy handled(pad.get(), &SimulatedPad::CommandHandled);
        // The settings request that follows is still understood and answered with the unchanged
        // state, and nothing was answered before it.
        const QByteArray report = Ask(*pad, line, bytes + "getsettings");
        QVERIFY2(ReportHolds(report, PadState(), false), report.constData());
        QVERIFY(rejected.size() >= 1);
        QCOMPARE(handled.size(), 1);
        QCOMPARE(pad->State(), PadState());
    }

    void bytesInAnyChunks() {
        auto pad = Pad();
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        const QStringList entries = Entries("");
        const QByteArray traffic = "##no##" + Upload("group3", entries) + "##enablegroup4##";
        QSignalSpy handled(pad.get(), &SimulatedPad::CommandHandled);
        const quint64 wakeupsBefore = pad->LineWakeups();
        for (char byte : traffic) {
            QVERIFY(line.Write(QByteArray(1, byte)));
            // Let the pad read this byte on its own before the next one arrives.
            const quint64 seen = pad->LineWakeups();
            QTRY_VERIFY_WITH_TIMEOUT(pad->LineWakeups() > seen, 5000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 3, 5000);
        QVERIFY(pad->LineWakeups() - wakeupsBefore >= quint64(traffic.size()));
        PadState expected;
        expected.rgbOn = false;
        expected.layers[2] = entries;
        expected.enabled[3] = true;
        QCOMPARE(pad->State(), expected);
        QVERIFY(line.WaitForEnd("done"));
        QCOMPARE(line.Take(), QByteArray("done"));
    }

    void reopenKeepsStateAndNeverSpins() {
        auto pad = Pad();
        QVERIFY(pad);
        const QStringList entries = Entries("");
        {
            SerialLine first(pad->SlavePath());
            QCOMPARE(Ask(*pad, first, Upload("group4", entries)), QByteArray("done"));
        }
        // The tool has closed the port. Nothing arrives now, so the pad must not be woken at
        // all; a pad that forgot to hold its own end of the line would be woken without end.
        // There is no event to wait for here, so the event loop runs for a fixed short while.
        const quint64 wakeups = pad->LineWakeups();
        const double cpuBefore = CpuSeconds();
        QTest::qWait(300);
        QCOMPARE(pad->LineWakeups(), wakeups);
        QVERIFY2(CpuSeconds() - cpuBefore < 0.1, "the pad kept the processor busy while idle");
        QVERIFY(pad->IsLineOpen());

        SerialLine second(pad->SlavePath());
        QVERIFY(second.IsOpen());
        PadState expected;
        expected.layers[3] = entries;
        const QByteArray report = Ask(*pad, second, "getsettings");
        QVERIFY2(ReportHolds(report, expected, false), report.constData());
    }

    void pacedAtLineSpeed() {
        auto pad = Pad(PadOptions());
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        QSignalSpy answers(pad.get(), &SimulatedPad::AnswerSent);
        const qsizetype size = vorlin::sim::BuildReport(PadState(), false).size();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(line.Write("getsettings"));
        QVERIFY(line.WaitForEnd("]]"));
        const qint64 elapsedNs = timer.nsecsElapsed();
        QVERIFY(ReportHolds(line.received, PadState(), false));
        // The bytes cannot have come faster than a 115200-baud line carries them, and they came
        // a few at a time.
        QVERIFY2(elapsedNs >= (size - 1) * SimulatedPad::kNanosecondsPerByte,
                 qPrintable(QString::number(elapsedNs)));
        QVERIFY(line.reads > 1);
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, 5000);
    }

    void instantWritesAtOnce() {
        // A report long enough to take more than a second at line speed.
        PadState state;
        for (QStringList &layer : state.layers)
            layer = QStringList(PadState::kSlotCount, QString(200, u'x'));
        auto pad = Pad();
        QVERIFY(pad);
        pad->SetState(state);
        SerialLine line(pad->SlavePath());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(line.Write("getsettings"));
        QVERIFY(line.WaitForEnd("]]"));
        QVERIFY(ReportHolds(line.received, state, false));
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    }

    void faults_data() {
        QTest::addColumn<PadOptions>("options");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray report = vorlin::sim::BuildReport(PadState(), false);
        const QByteArray upload = Upload("group1", Entries(""));
        PadOptions options = Instant();
        options.noise = "\x01noise";
        QTest::newRow("noise before a report")
            << options << QByteArray("getsettings") << "\x01noise" + report;
        QTest::newRow("noise before done") << options << upload << QByteArray("\x01noisedone");
        options = Instant();
        options.cutReport = 10;
        QTest::newRow("cut report") << options << QByteArray("getsettings") << report.left(10);
        QTest::newRow("cut leaves done alone") << options << upload << QByteArray("done");
        options.cutReport = 100000;
        QTest::newRow("cut beyond the end") << options << QByteArray("getsettings") << report;
        options = Instant();
        options.ackSwitches = true;
        QTest::newRow("switch acknowledged")
            << options << QByteArray("##no##") << QByteArray("done");
        QTest::newRow("layer switch acknowledged")
            << options << QByteArray("##enablegroup3##") << QByteArray("done");
        options = Instant();
        options.shortForm = true;
        QTest::newRow("short form")
            << options << QByteArray("getsettings") << vorlin::sim::BuildReport(PadState(), true);
    }
    void faults() {
        QFETCH(PadOptions, options);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        auto pad = Pad(options);
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        QSignalSpy sent(pad.get(), &SimulatedPad::AnswerSent);
        QCOMPARE(Ask(*pad, line, command), answer);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().first().toByteArray(), answer);
    }

    void delayedAnswer() {
        PadOptions options = Instant();
        options.delayMs = 200;
        auto pad = Pad(options);
        QVERIFY(pad);
        SerialLine line(pad->SlavePath());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(line.Write("##no##" + Upload("group2", Entries(""))));
        QVERIFY(line.WaitForEnd("done"));
        QVERIFY2(timer.elapsed() >= 200, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(line.Take(), QByteArray("done"));
    }

    void hangUp_data() {
        QTest::addColumn<PadOptions>("options");
        QTest::addColumn<QByteArray>("harmless");
        QTest::addColumn<QByteArray>("fatal");
        QTest::addColumn<QByteArray>("lastAnswer");
        const QByteArray upload = Upload("group2", Entries(""));
        PadOptions options = Instant();
        options.hangUp = PadOptions::HangUp::kAfterSettingsReport;
        options.cutReport = 20;
        QTest::newRow("after getsettings") << options << upload << QByteArray("getsettings")
                                           << vorlin::sim::BuildReport(PadState(), false).left(20);
        options = PadOptions();
        options.hangUp = PadOptions::HangUp::kAfterUpload;
        QTest::newRow("after upload, paced")
            << options << QByteArray("getsettings") << upload << QByteArray("done");
    }
    void hangUp() {
        QFETCH(PadOptions, options);
        QFETCH(QByteArray, harmless);
        QFETCH(QByteArray, fatal);
        QFETCH(QByteArray, lastAnswer);
        auto pad = Pad(options);
        QVERIFY(pad);
        const QString link = pad->LinkPath();
        QVERIFY(QFileInfo(link).isSymLink());
        SerialLine line(pad->SlavePath());
        QSignalSpy closed(pad.get(), &SimulatedPad::LineClosed);
        QVERIFY(!Ask(*pad, line, harmless).isEmpty());
        QVERIFY(pad->IsLineOpen());
        QCOMPARE(closed.size(), 0);

        QVERIFY(line.Write(fatal));
        QVERIFY(line.WaitForHangUp());
        QCOMPARE(line.Take(), lastAnswer);
        QTRY_COMPARE_WITH_TIMEOUT(closed.size(), 1, 5000);
        QVERIFY(!pad->IsLineOpen());
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(pad->LinkPath().isEmpty());
    }

    void virtualPortsFolder() {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", "/run/user/4242");
        QCOMPARE(VirtualPortsFolder(), QString("/run/user/4242/vorlin-pad"));
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(VirtualPortsFolder(), QStringLiteral("/tmp/vorlin-pad-%1").arg(::getuid()));
        qputenv("XDG_RUNTIME_DIR", "");
        QCOMPARE(VirtualPortsFolder(), QStringLiteral("/tmp/vorlin-pad-%1").arg(::getuid()));
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    void linkLifetime() {
        QDir(VirtualPortsFolder()).removeRecursively();
        QString slave;
        QString link;
        {
            PadOptions options = Instant();
            options.name = "pad one";
            auto pad = Pad(options);
            QVERIFY(pad);
            slave = pad->SlavePath();
            link = pad->LinkPath();
            QCOMPARE(link, VirtualPortsFolder() + "/pad one");
            QCOMPARE(QFileInfo(link).symLinkTarget(), slave);
            struct stat folder {};
            QCOMPARE(::stat(QFile::encodeName(VirtualPortsFolder()).constData(), &folder), 0);
            QCOMPARE(folder.st_mode & 0777, 0700u);
            // The tool opens the port through the link.
            SerialLine line(link);
            QVERIFY(line.IsOpen());
            QVERIFY(ReportHolds(Ask(*pad, line, "getsettings"), PadState(), false));
        }
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void staleLinksRemoved() {
        QString folderError;
        QVERIFY2(vorlin::sim::MakeVirtualPortsFolder(VirtualPortsFolder(), &folderError),
                 qPrintable(folderError));
        const QString folder = VirtualPortsFolder();
        const QString stale = folder + "/killed pad";
        const QString unrelated = folder + "/notes";
        QFile::remove(stale);
        QVERIFY(QFile::link("/dev/pts/does-not-exist", stale));
        QFile notes(unrelated);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        auto pad = Pad();
        QVERIFY(pad);
        QVERIFY(!QFileInfo(stale).isSymLink());
        QVERIFY(QFileInfo::exists(unrelated));
        QVERIFY(QFileInfo(pad->LinkPath()).isSymLink());
        QFile::remove(unrelated);
    }

    void nameTakenOver() {
        auto first = Pad();
        QVERIFY(first);
        QString link;
        {
            auto second = Pad();
            QVERIFY(second);
            link = second->LinkPath();
            QCOMPARE(link, first->LinkPath());
            QCOMPARE(QFileInfo(link).symLinkTarget(), second->SlavePath());
            // The first pad goes: the link is no longer its own and stays.
            first.reset();
            QCOMPARE(QFileInfo(link).symLinkTarget(), second->SlavePath());
        }
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void notALink() {
        QString folderError;
        QVERIFY2(vorlin::sim::MakeVirtualPortsFolder(VirtualPortsFolder(), &folderError),
                 qPrintable(folderError));
        const QString path = VirtualPortsFolder() + "/plain file";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        PadOptions options = Instant();
        options.name = "plain file";
        SimulatedPad pad(options);
        QString error;
        QVERIFY(!pad.Start(&error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(!pad.IsLineOpen());
        QVERIFY(QFileInfo(path).isFile());
        QFile::remove(path);
    }

    void badNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("slash") << QString("a/b");
        QTest::newRow("dot dot") << QString("..");
    }
    void badNames() {
        QFETCH(QString, name);
        PadOptions options;
        options.name = name;
        SimulatedPad pad(options);
        QString error;
        QVERIFY(!pad.Start(&error));
        QVERIFY(!error.isEmpty());
        QVERIFY(pad.LinkPath().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimulatedPad)
#include "tst_SimulatedPad.moc"
