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

void MessageInbox::Append(QByteArrayView bytes) {
    framer.Append(bytes);
    while (std::optional<ReceivedMessage> message = framer.Next()) {
        if (IsAcknowledgement(*message) &&
            std::any_of(waiting.begin(), waiting.end(), IsAcknowledgement))
            continue;
        if (WaitingCount() == kMaxWaitingMessages)
            waiting.pop_front();
        waiting.push_back(std::move(*message));
    }
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

} // namespace vorlin
