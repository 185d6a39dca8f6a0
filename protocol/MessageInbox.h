#pragma once

#include "protocol/MessageFramer.h"

#include <QByteArrayView>

#include <array>
#include <deque>
#include <optional>
#include <vector>

namespace vorlin {

// The pad's messages from the moment they arrive until the window handles them, and the tool's
// defence against a line that floods it. The pad sends one answer per command, so more than a
// few messages waiting at once is a flood, not a conversation:
// - acknowledgements that wait together are one: the user dismisses one box, not hundreds;
// - at most kMaxWaitingMessages wait; the oldest give way to the newest, so the latest report
//   is never lost behind what came before it;
// - of a run of rejected reports only the first is told, until a good report arrives or the
//   port is opened anew.
// Received bytes are framed as they arrive, so memory stays bounded even while nothing takes
// messages out (a message box holds up the poll).
//
// The inbox also keeps the waits of the receive side, on a monotonic millisecond time the caller
// gives (see Clock):
// - the pad writes a report in one go, so a report that has begun and then gets no new byte for
//   kQuietGapMs was cut off: it is given up and waits as a cut-off report, and whatever the pad
//   sends next is framed afresh;
// - a command the pad answers expects its answer within kAnswerWaitMs: a settings request a
//   report (any report ends that wait, a complete one or a cut-off one, used or not), a layer
//   upload its "done". Each kind of answer has one wait; the same command again starts it over.
// The caller wakes up at NextDeadline() and calls Expire(); nothing is timed while no wait is on.
class MessageInbox {
public:
    static constexpr qsizetype kMaxWaitingMessages = 8;
    static constexpr qint64 kQuietGapMs = 1000;
    static constexpr qint64 kAnswerWaitMs = 5000;

    // What a command sent to the pad is answered by.
    enum class Answer { Report, Acknowledgement };

    MessageInbox() = default;
    // The framer's report limit (see MessageFramer); the fuzzer uses small ones.
    explicit MessageInbox(qsizetype maxReportBytes);

    // Bytes received at nowMs.
    void Append(QByteArrayView bytes, qint64 nowMs);

    // The oldest waiting message, or none.
    std::optional<ReceivedMessage> Take();

    qsizetype WaitingCount() const { return qsizetype(waiting.size()); }
    // Received bytes that are not yet a complete message.
    qsizetype BufferedBytes() const { return framer.BufferedBytes(); }

    // Records a report that could not be used; true when the user is to be told, which is only
    // for the first of a run.
    bool NoteRejectedReport();
    // A good report ends a run of rejected ones.
    void NoteAcceptedReport();
    // A port opened anew starts afresh: its first rejected report is told again.
    void RestartRejectionRun();

    // A command that expects this answer went out at nowMs; a wait for it already on starts over.
    void Await(Answer answer, qint64 nowMs);
    // The port closed: no answer is awaited any more, and a message that had only partly arrived
    // never will.
    void PortClosed();

    // When Expire() next has something to do, or none while no wait is on.
    std::optional<qint64> NextDeadline() const;
    // Carries out what is due at nowMs: a begun report gone quiet is given up and waits as a
    // cut-off report. Returns the answers that are overdue, each once; their waits are then over.
    // While a report is arriving nothing is overdue: the pad answers one command at a time, so
    // that report ends the wait for a report, complete or cut off, and any other answer comes
    // after it.
    std::vector<Answer> Expire(qint64 nowMs);

private:
    void Push(ReceivedMessage message);

    MessageFramer framer;
    std::deque<ReceivedMessage> waiting;
    bool rejectionTold = false;
    // Arrival time of the last byte, for the quiet gap.
    qint64 lastByteMs = 0;
    // When each awaited answer is overdue, by Answer; none while it is not awaited.
    std::array<std::optional<qint64>, 2> answerDeadlinesMs;
};

} // namespace vorlin
