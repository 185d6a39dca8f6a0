#include "protocol/MessageInbox.h"

#include <algorithm>
#include <utility>

namespace vorlin {

namespace {

bool IsAcknowledgement(const ReceivedMessage &message) {
    return message.kind == ReceivedMessage::Kind::Acknowledgement;
}

} // namespace

MessageInbox::MessageInbox(qsizetype maxReportBytes) : framer(maxReportBytes) {}

void MessageInbox::Append(QByteArrayView bytes, qint64 nowMs) {
    if (!bytes.isEmpty())
        lastByteMs = nowMs;
    framer.Append(bytes);
    while (std::optional<ReceivedMessage> message = framer.Next())
        Push(std::move(*message));
}

void MessageInbox::Push(ReceivedMessage message) {
    if (!IsAcknowledgement(message))
        reportDeadlineMs.reset();
    else if (std::any_of(waiting.begin(), waiting.end(), IsAcknowledgement))
        return;
    if (WaitingCount() == kMaxWaitingMessages)
        waiting.pop_front();
    waiting.push_back(std::move(message));
}

std::optional<ReceivedMessage> MessageInbox::Take() {
    if (waiting.empty())
        return std::nullopt;
    ReceivedMessage message = std::move(waiting.front());
    waiting.pop_front();
    return message;
}

bool MessageInbox::NoteRejectedReport() {
    return !std::exchange(rejectionTold, true);
}

void MessageInbox::NoteAcceptedReport() {
    rejectionTold = false;
}

void MessageInbox::RestartRejectionRun() {
    rejectionTold = false;
}

void MessageInbox::AwaitReport(qint64 nowMs) {
    reportDeadlineMs = nowMs + kReportWaitMs;
}

void MessageInbox::PortClosed() {
    reportDeadlineMs.reset();
    framer.Clear();
}

std::optional<qint64> MessageInbox::NextDeadline() const {
    // While a report arrives the awaited one cannot come due: it ends that wait, complete or
    // given up at the quiet gap.
    if (framer.InReport())
        return lastByteMs + kQuietGapMs;
    return reportDeadlineMs;
}

bool MessageInbox::Expire(qint64 nowMs) {
    if (framer.InReport()) {
        if (nowMs - lastByteMs < kQuietGapMs)
            return false;
        Push(*framer.DropBegunReport());
    }
    if (!reportDeadlineMs || nowMs < *reportDeadlineMs)
        return false;
    reportDeadlineMs.reset();
    return true;
}

} // namespace vorlin
