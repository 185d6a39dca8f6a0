#pragma once

#include "protocol/MessageFramer.h"

#include <QByteArrayView>

#include <deque>
#include <optional>

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
// The inbox also keeps the two waits of the receive side, on a monotonic millisecond time the
// caller gives (see Clock):
// - the pad writes a report in one go, so a report that has begun and then gets no new byte for
//   kQuietGapMs was cut off: it is given up and waits as a cut-off report, and whatever the pad
//   sends next is framed afresh;
// - a settings request expects a report within kReportWaitMs; any report ends that wait, a
//   complete one or a cut-off one, used or not.
// The caller wakes up at NextDeadline() and calls Expire(); nothing is timed while neither wait
// is on.
class MessageInbox {
public:
    static constexpr qsizetype kMaxWaitingMessages = 8;
    static constexpr qint64 kQuietGapMs = 1000;
    static constexpr qint64 kReportWaitMs = 5000;

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

    // A settings request went out at nowMs; a wait already on starts over.
    void AwaitReport(qint64 nowMs);
    // The port closed: no report is awaited any more, and a message that had only partly arrived
    // never will.
    void PortClosed();

    // When Expire() next has something to do, or none while no wait is on.
    std::optional<qint64> NextDeadline() const;
    // Carries out what is due at nowMs: a begun report gone quiet is given up and waits as a
    // cut-off report. Returns true when the awaited report is overdue; that wait is then over.
    // While a report is arriving the request counts as answered for now: the report ends the
    // wait, complete or cut off.
    bool Expire(qint64 nowMs);

private:
    void Push(ReceivedMessage message);

    MessageFramer framer;
    std::deque<ReceivedMessage> waiting;
    bool rejectionTold = false;
    // Arrival time of the last byte, for the quiet gap.
    qint64 lastByteMs = 0;
    // When the awaited report is overdue; none while no report is awaited.
    std::optional<qint64> reportDeadlineMs;
};

} // namespace vorlin
