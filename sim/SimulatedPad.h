#pragma once

#include "sim/PadOptions.h"
#include "sim/PadState.h"
#include "sim/PseudoTerminal.h"
#include "sim/WireFramer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace vorlin::sim {

// A Vorlin pad on the far side of a pseudo-terminal. It understands what the tool sends
// ("getsettings", the RGB and layer switches, layer uploads), keeps the pad's state and answers
// like the pad: "done" after an upload, a settings report after "getsettings". It announces
// itself to the tool with a link in the virtual-ports folder. Everything runs on the thread's
// event loop; nothing blocks and nothing polls.
class SimulatedPad : public QObject {
    Q_OBJECT

public:
    // A 115200-baud line with one start and one stop bit carries a byte in 10/115200 s.
    static constexpr qint64 kNanosecondsPerByte = 10'000'000'000LL / 115200;

    explicit SimulatedPad(PadOptions options = {}, QObject *parent = nullptr);
    // Removes the pad's link; the line closes with the pad.
    ~SimulatedPad() override;

    // Opens the pseudo-terminal and creates the link. False, with a reason, when either fails.
    bool Start(QString *error);

    // The terminal device the tool opens, for example /dev/pts/3.
    QString SlavePath() const { return line.SlavePath(); }
    // The pad's link in the virtual-ports folder.
    QString LinkPath() const { return linkPath; }
    bool IsLineOpen() const { return line.IsOpen(); }

    const PadState &State() const { return state; }
    // Replaces the whole state; entries are reported as given, even ones that break the framing.
    void SetState(const PadState &newState) { state = newState; }
    const PadOptions &Options() const { return options; }

    // How often the line woke the pad up (readable or writable). It grows with traffic only,
    // never while the line is quiet.
    quint64 LineWakeups() const { return wakeups; }

Q_SIGNALS:
    // A command was understood and carried out (its answer may still be on its way). The text is
    // the message as received: "getsettings", "##yes##", "{{group1::...}}".
    void CommandHandled(QString command);
    // Received text that was not carried out: garbage, an unknown switch, a malformed upload.
    void MessageRejected(QString text, QString reason);
    // An answer has been written completely, noise and cuts included.
    void AnswerSent(QByteArray answer);
    // The pad closed the line after the answer it was told to hang up after; its link is gone.
    void LineClosed();

private:
    struct PendingAnswer {
        QByteArray bytes;
        qint64 dueMs = 0;
        bool hangUpAfter = false;
    };

    // False from the moment the pad starts hanging up.
    bool Listening() const { return line.IsOpen() && hangUpStartMs < 0; }
    void ReadLine();
    void Handle(const WireMessage &message);
    void ApplySwitch(const QByteArray &command);
    void Reject(const QByteArray &text, const QString &reason);
    void QueueAnswer(const QByteArray &answer, bool hangUpAfter);
    void SendAnswers();
    void HangUp();
    void CloseLine();
    void RemoveLink();
    void Log(const QString &text) const;
    void LogTraffic(const char *direction, const QByteArray &bytes) const;

    PadOptions options;
    PadState state;
    PseudoTerminal line;
    WireFramer framer;
    QString linkPath;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    // Wakes the sender when the next paced chunk or a delayed answer is due.
    QTimer sendTimer;
    // Turns reading back on after the line reported a hang-up it should not have.
    QTimer readRetryTimer;
    // Holds a hang-up back until the tool has read the last answer, as it would have received
    // it from a real pad before the pad was unplugged.
    QTimer hangUpTimer;
    qint64 hangUpStartMs = -1;
    QElapsedTimer clock;

    QList<PendingAnswer> outgoing;
    qsizetype headSent = 0;
    bool pacing = false;
    qint64 paceStartNs = 0;
    qint64 pacedBytes = 0;
    quint64 wakeups = 0;
};

} // namespace vorlin::sim
