#include "protocol/MessageFramer.h"

#include "protocol/WireFormat.h"

#include <algorithm>

namespace vorlin {

namespace {
constexpr qsizetype kAcknowledgementSize = sizeof(kAcknowledgement) - 1;
// The scans below look for a frame as its one character twice.
constexpr char kOpening = kReportOpening[0];
constexpr char kClosing = kReportClosing[0];
static_assert(sizeof(kReportOpening) == 3 && kReportOpening[1] == kOpening);
static_assert(sizeof(kReportClosing) == 3 && kReportClosing[1] == kClosing);
} // namespace

MessageFramer::MessageFramer(qsizetype limit)
    : maxReportBytes(std::max<qsizetype>(limit, kEmptyReportBytes)) {}

void MessageFramer::Append(QByteArrayView bytes) {
    // Release consumed text only once it is at least half the buffer, so each byte is moved a
    // bounded number of times however the text arrives.
    if (start > 0 && start >= buffer.size() - start) {
        buffer.remove(0, start);
        searchFrom -= start;
        start = 0;
        if (buffer.isEmpty() && buffer.capacity() > 2 * maxReportBytes)
            buffer.squeeze(); // a single huge chunk must not pin its memory for good
    }
    buffer.append(bytes);
}

std::optional<ReceivedMessage> MessageFramer::Next() {
    std::optional<ReceivedMessage> message;
    for (;;) {
        const bool progressed = inReport ? ScanReport(message) : ScanOutsideReport(message);
        if (message || !progressed)
            return message;
    }
}

std::optional<ReceivedMessage> MessageFramer::DropBegunReport() {
    if (!inReport)
        return std::nullopt;
    ReceivedMessage cutOff{ReceivedMessage::Kind::CutOffReport, buffer.sliced(start)};
    start = buffer.size();
    inReport = false;
    return cutOff;
}

void MessageFramer::Clear() {
    buffer.clear();
    start = 0;
    inReport = false;
    searchFrom = 0;
}

// Looks at the text in front of any message. Returns whether it consumed text or entered a
// report; sets message when an acknowledgement is complete.
bool MessageFramer::ScanOutsideReport(std::optional<ReceivedMessage> &message) {
    const qsizetype size = buffer.size();
    while (start < size) {
        const char first = buffer.at(start);
        if (first == kOpening) {
            if (start + 1 == size)
                return false; // a lone "[" may become "[["
            if (buffer.at(start + 1) == kOpening) {
                inReport = true;
                searchFrom = start + 2;
                return true;
            }
        } else if (first == kAcknowledgement[0]) {
            const qsizetype available = std::min(kAcknowledgementSize, size - start);
            if (QByteArrayView(buffer).sliced(start, available) ==
                QByteArrayView(kAcknowledgement, available)) {
                if (available < kAcknowledgementSize)
                    return false; // "d", "do" or "don" may still become "done"
                message = ReceivedMessage{ReceivedMessage::Kind::Acknowledgement,
                                          QByteArray(kAcknowledgement)};
                start += kAcknowledgementSize;
                return true;
            }
        }
        ++start; // cannot begin a message
    }
    return false;
}

// Looks for the end of the report that begins at start. Returns whether it made progress (a
// report yielded, a cut-off or oversized report dropped).
bool MessageFramer::ScanReport(std::optional<ReceivedMessage> &message) {
    const qsizetype size = buffer.size();
    // Only an end within the first maxReportBytes bytes counts, whatever has arrived after them.
    const qsizetype limit = std::min(size, start + maxReportBytes);
    const char *data = buffer.constData();
    for (qsizetype i = searchFrom; i + 1 < limit; ++i) {
        if (data[i] != data[i + 1])
            continue;
        if (data[i] == kClosing) {
            message =
                ReceivedMessage{ReceivedMessage::Kind::Report, buffer.sliced(start, i + 2 - start)};
            start = i + 2;
            inReport = false;
            return true;
        }
        if (data[i] == kOpening) {
            // The pad never sends "[[" inside a report: the earlier one was cut off.
            start = i;
            searchFrom = i + 2;
            return true;
        }
    }
    if (limit == start + maxReportBytes) {
        // Too long to be a report. Its last byte is looked at again, since it may begin "[[".
        start = limit - 1;
        inReport = false;
        return true;
    }
    searchFrom = std::max(searchFrom, limit - 1); // the last byte may be the first of a pair
    return false;
}

} // namespace vorlin
