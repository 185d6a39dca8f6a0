#include "protocol/MessageInbox.h"

#include <algorithm>
#include <utility>

namespace vorlin {

namespace {

bool IsAcknowledgement(const ReceivedMessage &message) {
    return message.kind == ReceivedMessage::Kind::Acknowledgement;
}

constexpr std::array<MessageInbox::Answer, 2> kAnswers = {MessageInbox::Answer::Report,
                                                          MessageInbox::Answer::Acknowledgement};

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
    const bool acknowledgement = IsAcknowledgement(message);
    answerDeadlinesMs[std::size_t(acknowledgement ? Answer::Acknowledgement : Answer::Report)]
        .reset();
    if (acknowledgement && std::any_of(waiting.begin(), waiting.end(), IsAcknowledgement))
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

void MessageInbox::Await(Answer answer, qint64 nowMs) {
    answerDeadlinesMs[std::size_t(answer)] = nowMs + kAnswerWaitMs;
}

void MessageInbox::PortClosed() {
    answerDeadlinesMs.fill(std::nullopt);
    framer.Clear();
}

std::optional<qint64> MessageInbox::NextDeadline() const {
    // While a report arrives no answer comes due: the report is given up at the quiet gap at the
    // latest.
    if (framer.InReport())
        return lastByteMs + kQuietGapMs;
    std::optional<qint64> next;
    for (const std::optional<qint64> &deadline : answerDeadlinesMs)
        if (deadline && (!next || *deadline < *next))
            next = deadline;
    return next;
}

std::vector<MessageInbox::Answer> MessageInbox::Expire(qint64 nowMs) {
    if (framer.InReport()) {
        if (nowMs - lastByteMs < kQuietGapMs)
            return {};
        Push(*framer.DropBegunReport());
    }
    std::vector<Answer> overdue;
    for (const Answer answer : kAnswers) {
        std::optional<qint64> &deadline = answerDeadlinesMs[std::size_t(answer)];
        if (deadline && nowMs >= *deadline) {
            deadline.reset();
            overdue.push_back(answer);
        }
    }
    return overdue;
}

} // namespace vorlin
