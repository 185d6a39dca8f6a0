#include "sim/SimulatedPad.h"

#include "sim/VirtualPorts.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vorlin::sim {
namespace {

// Paced writes go out in chunks of at most this many bytes, about a millisecond of line time.
constexpr qint64 kMaxPacedChunk = 16;
constexpr int kPaceTickMs = 1;
// Reading pauses this long if the master ever reports a hang-up, so that it cannot spin.
constexpr int kReadRetryMs = 100;
// While hanging up, how often to look whether the tool has read the last answer, and how long
// to wait for it at most.
constexpr int kHangUpCheckMs = 10;
// Bytes written to the master reach the tool's queue a little later; a loaded machine may take
// a while. Only an empty queue this long after the last write counts as read.
constexpr qint64 kHangUpSettleMs = 60;
constexpr qint64 kHangUpPatienceMs = 2000;
// Longest stretch of a message shown in the log.
constexpr qsizetype kLogLimit = 240;

QString Printable(const QByteArray &bytes) {
    QString text;
    for (qsizetype i = 0; i < std::min(bytes.size(), kLogLimit); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\')
            text += QLatin1Char(char(c));
        else
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (bytes.size() > kLogLimit)
        text += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return text;
}

} // namespace

SimulatedPad::SimulatedPad(PadOptions options, QObject *parent)
    : QObject(parent), options(std::move(options)) {
    clock.start();
    sendTimer.setSingleShot(true);
    sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&sendTimer, &QTimer::timeout, this, &SimulatedPad::SendAnswers);
    hangUpTimer.setInterval(kHangUpCheckMs);
    connect(&hangUpTimer, &QTimer::timeout, this, &SimulatedPad::CloseLine);
    readRetryTimer.setSingleShot(true);
    connect(&readRetryTimer, &QTimer::timeout, this, [this] {
        if (readNotifier)
            readNotifier->setEnabled(true);
    });
}

SimulatedPad::~SimulatedPad() {
    RemoveLink();
}

bool SimulatedPad::Start(QString *error) {
    if (line.IsOpen() || !linkPath.isEmpty()) {
        *error = QStringLiteral("the pad has already been started");
        return false;
    }
    const QString &name = options.name;
    if (name.isEmpty() || name.contains(u'/') || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        *error = QStringLiteral("\"%1\" cannot name a link").arg(name);
        return false;
    }
    const QString folder = VirtualPortsFolder();
    if (!MakeVirtualPortsFolder(folder, error) || !line.Open(error))
        return false;
    RemoveStaleVirtualPorts(folder);

    const QString path = folder + u'/' + name;
    const QByteArray target = QFile::encodeName(line.SlavePath());
    const QByteArray encodedPath = QFile::encodeName(path);
    int result = ::symlink(target.constData(), encodedPath.constData());
    if (result != 0 && errno == EEXIST && QFileInfo(path).isSymLink()) {
        // A link whose device still exists: another pad of that name, or one that was killed and
        // whose terminal number has been handed out again. The newest pad takes the name over;
        // the other one leaves the link alone when it stops, as it no longer points at it.
        Log(QStringLiteral("taking over %1 from %2").arg(path, QFileInfo(path).symLinkTarget()));
        ::unlink(encodedPath.constData());
        result = ::symlink(target.constData(), encodedPath.constData());
    }
    if (result != 0) {
        *error = QStringLiteral("cannot create %1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        line.Close();
        return false;
    }
    linkPath = path;

    readNotifier = new QSocketNotifier(line.MasterFd(), QSocketNotifier::Read, this);
    connect(readNotifier, &QSocketNotifier::activated, this, &SimulatedPad::ReadLine);
    writeNotifier = new QSocketNotifier(line.MasterFd(), QSocketNotifier::Write, this);
    writeNotifier->setEnabled(false);
    connect(writeNotifier, &QSocketNotifier::activated, this, [this] {
        ++wakeups;
        writeNotifier->setEnabled(false);
        SendAnswers();
    });
    if (options.verbose)
        Log(QStringLiteral("ready on %1, announced as %2").arg(line.SlavePath(), linkPath));
    return true;
}

void SimulatedPad::ReadLine() {
    ++wakeups;
    char buffer[4096];
    while (Listening()) {
        const ssize_t count = ::read(line.MasterFd(), buffer, sizeof buffer);
        if (count > 0) {
            for (const WireMessage &message : framer.Feed(QByteArray(buffer, count))) {
                Handle(message);
                if (!Listening())
                    return;
            }
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            return;
        // End of file or EIO: no slave is open. The pad holds one itself, so this should not
        // happen; if it does, pause reading rather than be woken up again at once.
        Log(QStringLiteral("line hung up (%1); reading again in %2 ms")
                .arg(count < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                               : QStringLiteral("end of file"))
                .arg(kReadRetryMs));
        readNotifier->setEnabled(false);
        readRetryTimer.start(kReadRetryMs);
        return;
    }
}

void SimulatedPad::Handle(const WireMessage &message) {
    using Kind = WireMessage::Kind;
    const QString text = QString::fromLatin1(message.text);
    switch (message.kind) {
    case Kind::kSettingsRequest: {
        LogTraffic("<-", message.text);
        Q_EMIT CommandHandled(text);
        QByteArray report = BuildReport(state, options.shortForm);
        if (options.cutReport)
            report.truncate(std::max(0, *options.cutReport));
        QueueAnswer(report, options.hangUp == PadOptions::HangUp::kAfterSettingsReport);
        return;
    }
    case Kind::kSwitch:
        LogTraffic("<-", message.text);
        ApplySwitch(message.text);
        Q_EMIT CommandHandled(text);
        if (options.ackSwitches)
            QueueAnswer("done", false);
        return;
    case Kind::kUpload: {
        LogTraffic("<-", message.text);
        QString reason;
        const std::optional<LayerUpload> upload = WireFramer::ParseUpload(message.text, &reason);
        if (!upload) {
            Reject(message.text, QStringLiteral("malformed upload: ") + reason);
            return;
        }
        Q_EMIT CommandHandled(text);
        if (options.ignoreUploads)
            return;
        state.layers[upload->layer] = upload->entries;
        QueueAnswer("done", options.hangUp == PadOptions::HangUp::kAfterUpload);
        return;
    }
    case Kind::kUnknownSwitch:
        Reject(message.text, QStringLiteral("unknown switch command"));
        return;
    case Kind::kTruncatedUpload:
        Reject(message.text, QStringLiteral("malformed upload: another message began before }}"));
        return;
    case Kind::kGarbage:
        Reject(message.text, QStringLiteral("starts no message"));
        return;
    }
}

void SimulatedPad::ApplySwitch(const QByteArray &command) {
    if (command == "##yes##" || command == "##no##") {
        state.rgbOn = command == "##yes##";
        return;
    }
    // "##enablegroupN##" or "##disablegroupN##": the layer digit sits just before the "##".
    const int layer = command.at(command.size() - 3) - '1';
    state.enabled[layer] = command.startsWith("##enable");
}

void SimulatedPad::Reject(const QByteArray &text, const QString &reason) {
    Log(QStringLiteral("skipped %1: %2").arg(reason, Printable(text)));
    Q_EMIT MessageRejected(QString::fromLatin1(text), reason);
}

void SimulatedPad::QueueAnswer(const QByteArray &answer, bool hangUpAfter) {
    outgoing.append(
        {options.noise + answer, clock.elapsed() + std::max(0, options.delayMs), hangUpAfter});
    // A running timer or an armed write notifier will come back to the queue by itself.
    if (outgoing.size() == 1 && !sendTimer.isActive() && !writeNotifier->isEnabled())
        SendAnswers();
}

void SimulatedPad::SendAnswers() {
    sendTimer.stop();
    while (!outgoing.isEmpty() && Listening()) {
        const PendingAnswer &head = outgoing.front();
        const qint64 now = clock.elapsed();
        if (head.dueMs > now) {
            pacing = false;
            sendTimer.start(int(head.dueMs - now));
            return;
        }
        if (!pacing) {
            pacing = true;
            paceStartNs = clock.nsecsElapsed();
            pacedBytes = 0;
        }
        qint64 chunk = head.bytes.size() - headSent;
        if (!options.instant) {
            // The byte being started now is allowed, hence the + 1.
            const qint64 allowed =
                (clock.nsecsElapsed() - paceStartNs) / kNanosecondsPerByte + 1 - pacedBytes;
            chunk = std::min({chunk, allowed, kMaxPacedChunk});
            if (chunk <= 0) {
                sendTimer.start(kPaceTickMs);
                return;
            }
        }
        const ssize_t written =
            ::write(line.MasterFd(), head.bytes.constData() + headSent, size_t(chunk));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                // The line's queue is full: nobody reads it. Wait until it drains.
                pacing = false;
                writeNotifier->setEnabled(true);
                return;
            }
            Log(QStringLiteral("cannot write to the line: %1; answer dropped")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
            outgoing.removeFirst();
            headSent = 0;
            continue;
        }
        headSent += written;
        pacedBytes += written;
        if (headSent < head.bytes.size())
            continue;

        const PendingAnswer done = outgoing.takeFirst();
        headSent = 0;
        LogTraffic("->", done.bytes);
        Q_EMIT AnswerSent(done.bytes);
        if (done.hangUpAfter) {
            HangUp();
            return;
        }
    }
    pacing = false;
}

void SimulatedPad::HangUp() {
    // Closing the master discards what the tool has not read yet, so first let it read the last
    // answer. Nothing more is read or sent meanwhile.
    outgoing.clear();
    sendTimer.stop();
    readRetryTimer.stop();
    readNotifier->setEnabled(false);
    writeNotifier->setEnabled(false);
    hangUpStartMs = clock.elapsed();
    hangUpTimer.start();
}

void SimulatedPad::CloseLine() {
    const qint64 waited = clock.elapsed() - hangUpStartMs;
    const bool drained = waited >= kHangUpSettleMs && line.UnreadBytes() == 0;
    if (!drained && waited < kHangUpPatienceMs)
        return;
    hangUpTimer.stop();
    Log(QStringLiteral("hanging up the line as asked"));
    // The notifiers may be the ones calling: let them go once they have returned.
    for (QSocketNotifier *notifier : {readNotifier, writeNotifier}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    readNotifier = nullptr;
    writeNotifier = nullptr;
    line.Close();
    RemoveLink();
    Q_EMIT LineClosed();
}

void SimulatedPad::RemoveLink() {
    if (linkPath.isEmpty())
        return;
    // Only a link that still points at this pad's line is ours to remove.
    const QByteArray path = QFile::encodeName(linkPath);
    char target[4096];
    const ssize_t length = ::readlink(path.constData(), target, sizeof target - 1);
    if (length > 0 && QFile::decodeName(QByteArray(target, length)) == line.SlavePath())
        ::unlink(path.constData());
    linkPath.clear();
}

void SimulatedPad::Log(const QString &text) const {
    const QByteArray lineText = (QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) +
                                 options.name + QStringLiteral(": ") + text + u'\n')
                                    .toLocal8Bit();
    std::fputs(lineText.constData(), stderr);
}

void SimulatedPad::LogTraffic(const char *direction, const QByteArray &bytes) const {
    if (options.verbose)
        Log(QString::fromLatin1(direction) + u' ' + Printable(bytes));
}

} // namespace vorlin::sim
