// vorlin-pad-sim: a simulated Vorlin pad on a pseudo-terminal, for trying the tool without
// hardware and for the end-to-end tests.

#include "sim/PadState.h"
#include "sim/SimulatedPad.h"
#include "sim/VirtualPorts.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using vorlin::sim::PadOptions;
using vorlin::sim::PadState;
using vorlin::sim::SimulatedPad;

namespace {

constexpr int kExitCannotStart = 1;
constexpr int kExitUsage = 2;

// The signal handler only writes the signal's number into this pipe; the event loop reads it.
int signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const int savedErrno = errno;
    const char number = char(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &number, 1);
    errno = savedErrno;
}

bool WatchSignals() {
    // pipe and fcntl rather than pipe2, which macOS lacks; nothing runs in between.
    if (::pipe(signalPipe) != 0)
        return false;
    for (const int end : signalPipe)
        if (::fcntl(end, F_SETFD, FD_CLOEXEC) != 0 ||
            ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK) != 0)
            return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int Fail(int code, const QString &message) {
    std::fprintf(stderr, "vorlin-pad-sim: %s\n", qPrintable(message));
    return code;
}

QString Description() {
    return QStringLiteral(
               "A simulated Vorlin pad on a pseudo-terminal.\n"
               "\n"
               "Prints the terminal device on the first line of standard output and the pad's "
               "link\n"
               "on the second, and announces itself with that link, named after the pad, in\n"
               "%1\n"
               "($XDG_RUNTIME_DIR/vorlin-pad, or /tmp/vorlin-pad-<uid> without XDG_RUNTIME_DIR),\n"
               "where the tool lists it as a port. Stale links there are removed. The pad answers\n"
               "\"getsettings\" with a settings report and an upload with \"done\", and carries\n"
               "out the RGB and layer switches; it keeps its state while the tool closes and\n"
               "reopens the port. It stops, removing its link, at the end of standard input\n"
               "(unless --no-stdin), on SIGINT or SIGTERM, and after --hang-up-after.\n"
               "Exit status: 0 when stopped, 1 when the terminal or link cannot be made,\n"
               "2 for a bad command line or state file.\n"
               "\n"
               "Without --state the pad holds its factory state: four filled layers, layer group1\n"
               "current, RGB on, layers 1 and 2 enabled, firmware 1.0.2.\n\n")
               .arg(vorlin::sim::VirtualPortsFolder()) +
           vorlin::sim::PadStateFileFormat();
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorlin-pad-sim"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(vorlin::kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption nameOption(QStringLiteral("name"),
                                        QStringLiteral("Name of the pad's link (default "
                                                       "simulated-pad)."),
                                        QStringLiteral("name"), QStringLiteral("simulated-pad"));
    const QCommandLineOption stateOption(
        QStringLiteral("state"), QStringLiteral("Start from the state in <file> (format above)."),
        QStringLiteral("file"));
    const QCommandLineOption shortFormOption(
        QStringLiteral("short-form"),
        QStringLiteral("Send short-form reports: layer, four slot lists and RGB only."));
    const QCommandLineOption ackSwitchesOption(
        QStringLiteral("ack-switches"),
        QStringLiteral("Answer \"done\" to the RGB and layer switches too."));
    const QCommandLineOption ignoreUploadsOption(
        QStringLiteral("ignore-uploads"),
        QStringLiteral("Neither store nor answer layer uploads, as a busy or hung pad does."));
    const QCommandLineOption instantOption(
        QStringLiteral("instant"),
        QStringLiteral("Write each answer at once instead of at the pace of 115200 baud."));
    const QCommandLineOption noiseOption(QStringLiteral("noise"),
                                         QStringLiteral("Send <text> before every answer."),
                                         QStringLiteral("text"));
    const QCommandLineOption cutReportOption(
        QStringLiteral("cut-report"),
        QStringLiteral("Send only the first <n> bytes of each settings report."),
        QStringLiteral("n"));
    const QCommandLineOption hangUpOption(
        QStringLiteral("hang-up-after"),
        QStringLiteral("After answering <command> (getsettings or upload), close the line as if "
                       "unplugged, remove the link and exit."),
        QStringLiteral("command"));
    const QCommandLineOption delayOption(QStringLiteral("delay-ms"),
                                         QStringLiteral("Wait <n> milliseconds before every "
                                                        "answer."),
                                         QStringLiteral("n"));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"),
        QStringLiteral("Log every message in both directions to standard error."));
    const QCommandLineOption noStdinOption(
        QStringLiteral("no-stdin"),
        QStringLiteral("Keep running at the end of standard input (for starting the pad in the "
                       "background); stop with SIGINT or SIGTERM."));
    parser.addOptions({nameOption, stateOption, shortFormOption, ackSwitchesOption,
                       ignoreUploadsOption, instantOption, noiseOption, cutReportOption,
                       hangUpOption, delayOption, verboseOption, noStdinOption});

    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(kExitUsage, parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(versionOption))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return Fail(kExitUsage, QStringLiteral("unexpected argument \"%1\"")
                                    .arg(parser.positionalArguments().constFirst()));

    PadOptions options;
    options.name = parser.value(nameOption);
    options.shortForm = parser.isSet(shortFormOption);
    options.ackSwitches = parser.isSet(ackSwitchesOption);
    options.ignoreUploads = parser.isSet(ignoreUploadsOption);
    options.instant = parser.isSet(instantOption);
    options.noise = parser.value(noiseOption).toLocal8Bit();
    options.verbose = parser.isSet(verboseOption);
    const auto count = [&](const QCommandLineOption &option, int *value) {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= 0;
    };
    if (parser.isSet(cutReportOption)) {
        int bytes = 0;
        if (!count(cutReportOption, &bytes))
            return Fail(kExitUsage, QStringLiteral("--cut-report needs a byte count"));
        options.cutReport = bytes;
    }
    if (parser.isSet(delayOption) && !count(delayOption, &options.delayMs))
        return Fail(kExitUsage, QStringLiteral("--delay-ms needs a number of milliseconds"));
    if (parser.isSet(hangUpOption)) {
        const QString command = parser.value(hangUpOption);
        if (command == QLatin1String("getsettings"))
            options.hangUp = PadOptions::HangUp::kAfterSettingsReport;
        else if (command == QLatin1String("upload"))
            options.hangUp = PadOptions::HangUp::kAfterUpload;
        else
            return Fail(kExitUsage,
                        QStringLiteral("--hang-up-after takes getsettings or upload, not \"%1\"")
                            .arg(command));
    }

    PadState state;
    if (parser.isSet(stateOption)) {
        QString error;
        const std::optional<PadState> loaded =
            vorlin::sim::LoadPadState(parser.value(stateOption), &error);
        if (!loaded)
            return Fail(kExitUsage, error);
        state = *loaded;
    }

    if (!WatchSignals())
        return Fail(kExitCannotStart, QStringLiteral("cannot watch for signals"));
    SimulatedPad pad(options);
    pad.SetState(state);
    QString error;
    if (!pad.Start(&error))
        return Fail(kExitCannotStart, error);
    std::printf("%s\n%s\n", qPrintable(pad.SlavePath()), qPrintable(pad.LinkPath()));
    std::fflush(stdout);

    QSocketNotifier signals(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signals, &QSocketNotifier::activated, &app, [&] {
        char number = 0;
        if (::read(signalPipe[0], &number, 1) == 1 && options.verbose)
            std::fprintf(stderr, "vorlin-pad-sim: stopping on signal %d\n", number);
        QCoreApplication::quit();
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(!parser.isSet(noStdinOption) && ::fcntl(STDIN_FILENO, F_GETFD) != -1);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char discard[256];
        const ssize_t count = ::read(STDIN_FILENO, discard, sizeof discard);
        if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    QObject::connect(&pad, &SimulatedPad::LineClosed, &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
