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
class MessageInbox {
public:
    static constexpr qsizetype kMaxWaitingMessages = 8;

    MessageInbox() = default;
    // The framer's report limit (see MessageFramer); the fuzzer uses small ones.
    explicit MessageInbox(qsizetype maxReportBytes);

    void Append(QByteArrayView bytes);

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

private:
    MessageFramer framer;
    std::deque<ReceivedMessage> waiting;
    bool rejectionTold = false;
};

} // namespace vorlin
