#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace vorlin {

struct ReceivedMessage {
    // A cut-off report is one that began but was given up before its "]]" arrived.
    enum class Kind { Acknowledgement, Report, CutOffReport };
    Kind kind;
    // "done", the whole report including its "[[" and "]]", or what arrived of a cut-off one.
    QByteArray text;
};

// Cuts the bytes received from the pad into its two kinds of message, in arrival order: the
// acknowledgement "done" and settings reports from "[[" up to the first "]]".
//
// The pad sends no lengths and no checksums, so the framer resynchronises on the text itself:
// - text that cannot begin either message is dropped;
// - a report whose "[[" is followed by another "[[" before any "]]" was cut off (the link went
//   away mid-report) and gives way to the later one;
// - a message that has only partly arrived ("do", "[", "[[abc") waits for the rest;
// - a report that has not ended within MaxReportBytes() is dropped, so nothing the pad sends makes
//   the buffer grow without bound;
// - a report the caller gives up on (DropBegunReport) makes way for whatever follows it.
// How the bytes are split into Append() calls never changes the messages that come out.
//
// Work is linear in the bytes received: the search for the end of a report resumes where it
// stopped, and consumed text is released by moving an offset, not by shifting the buffer.
class MessageFramer {
public:
    // Far above the largest report the pad can produce (about 4 KiB).
    static constexpr qsizetype kMaxReportBytes = qsizetype{64} * 1024;

    MessageFramer() = default;
    // A smaller limit lets the fuzzer reach the dropping of overlong reports with short inputs.
    // At least 4 bytes, the size of an empty report.
    explicit MessageFramer(qsizetype limit);

    qsizetype MaxReportBytes() const { return maxReportBytes; }

    void Append(QByteArrayView bytes);

    // The next complete message, or none while no complete one is buffered. Call it until it
    // returns none after every Append(); only that keeps the buffer bounded.
    std::optional<ReceivedMessage> Next();

    // Received bytes not yet yielded or dropped.
    qsizetype BufferedBytes() const { return buffer.size() - start; }

    // True while a report has begun ("[[" seen) and its end has not arrived.
    bool InReport() const { return inReport; }

    // Gives up the report that has begun, for a caller that knows it will not end (the line went
    // quiet in the middle of it); what arrives next is framed afresh. Returns what arrived of it,
    // or none when no report has begun.
    std::optional<ReceivedMessage> DropBegunReport();

    void Clear();

private:
    bool ScanReport(std::optional<ReceivedMessage> &message);
    bool ScanOutsideReport(std::optional<ReceivedMessage> &message);

    qsizetype maxReportBytes = kMaxReportBytes;
    QByteArray buffer;
    // Offset of the first byte not yet consumed; the bytes before it are released lazily.
    qsizetype start = 0;
    // True while the bytes from start on are a report whose "[[" has been seen.
    bool inReport = false;
    // Where the search for the report's "]]" (or a later "[[") resumes.
    qsizetype searchFrom = 0;
};

} // namespace vorlin
