// Feeds arbitrary received text through the message framer and decodes every report it yields;
// the same text goes through an inbox that nothing drains until the end, as when a message box
// holds up the poll for the whole flood, and that awaits the report to a settings request.
//
// Input layout: the first byte picks the framer's report limit, so that the dropping of overlong
// reports is reached with short inputs: below 0x80 it is 4 + the byte, from 0x80 it grows in
// steps of 64 bytes, and 0xff is the real limit. The rest is the received text, cut into
// separate reads at every zero byte (the zero bytes themselves are not fed). An empty read (two
// zero bytes in a row, or one at the start) is the line staying quiet for the quiet gap: a report
// that has begun is given up.
#include "keys/KeyTable.h"
#include "protocol/Commands.h"
#include "protocol/MessageFramer.h"
#include "protocol/MessageInbox.h"
#include "protocol/SettingsReport.h"
#include "protocol/UploadMessage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using vorlin::MessageFramer;
using vorlin::MessageInbox;
using vorlin::ReceivedMessage;

namespace {

void Require(bool holds, const char *invariant) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_protocol: invariant broken: %s\n", invariant);
    std::abort();
}

const vorlin::KeyTable &Table() {
    static const vorlin::KeyTable table;
    return table;
}

void CheckDecoded(const QByteArray &message) {
    const vorlin::DecodedReport decoded = vorlin::DecodeReport(Table(), message);
    Require(decoded.report.has_value() != decoded.rejection.has_value(),
            "a report is either decoded or rejected with a reason");
    if (!decoded.report)
        return;
    const vorlin::SettingsReport &report = *decoded.report;
    Require(!report.reportedLayer || (*report.reportedLayer >= 0 && *report.reportedLayer < 4),
            "reported layer is a page index");
    Require(report.fullForm || report.firmwareVersion == QLatin1String("1.0.0"),
            "short form reports version 1.0.0");
    for (int layer = 0; layer < vorlin::kLayerCount; ++layer) {
        const QStringList &slots = report.slotTexts[layer];
        Require(slots.size() == vorlin::kSlotCount, "every layer has fourteen slots");
        Require(report.fullForm || !report.layerEnabled[layer], "short form enables no layer");
        const bool complete =
            std::none_of(slots.begin(), slots.end(), [](const QString &s) { return s.isEmpty(); });
        const std::optional<QByteArray> upload =
            vorlin::BuildUploadMessage(Table(), vorlin::LayerId(layer), slots);
        Require(upload.has_value() == complete, "a layer uploads exactly when it is complete");
        if (upload) {
            const QByteArray head = "{{" + vorlin::LayerId(layer).toUtf8() + "::";
            Require(upload->startsWith(head) && upload->endsWith("}}"), "upload is framed");
        }
    }
}

void CheckMessage(const ReceivedMessage &message, qsizetype maxReportBytes) {
    const QByteArray &text = message.text;
    switch (message.kind) {
    case ReceivedMessage::Kind::Acknowledgement:
        Require(text == "done", "an acknowledgement is exactly done");
        return;
    case ReceivedMessage::Kind::CutOffReport:
        Require(text.size() >= 2 && text.size() < maxReportBytes, "cut-off report size in limits");
        Require(text.startsWith("[[") && text.indexOf("]]", 2) < 0 && text.indexOf("[[", 2) < 0,
                "a cut-off report is one report's beginning");
        return;
    case ReceivedMessage::Kind::Report:
        break;
    }
    Require(text.size() >= 4 && text.size() <= maxReportBytes, "report size within limits");
    Require(text.startsWith("[[") && text.endsWith("]]"), "report is framed");
    Require(text.indexOf("]]", 2) == text.size() - 2, "a report ends at its first ]]");
    Require(text.indexOf("[[", 2) < 0, "a report holds no later [[");
    CheckDecoded(text);
}

QByteArrayList DrainChecked(MessageFramer &framer) {
    QByteArrayList texts;
    while (const std::optional<ReceivedMessage> message = framer.Next()) {
        CheckMessage(*message, framer.MaxReportBytes());
        texts << message->text;
    }
    Require(framer.BufferedBytes() < framer.MaxReportBytes(),
            "drained framer holds less than a report");
    return texts;
}

// What an undrained inbox holds at the end, against everything the framer yielded: nothing
// invented, arrival order kept, one acknowledgement at most, and a newest report never lost.
void CheckInbox(MessageInbox &inbox, const QByteArrayList &framed) {
    QByteArrayList kept;
    while (const std::optional<ReceivedMessage> message = inbox.Take())
        kept << message->text;
    Require(std::count(kept.begin(), kept.end(), "done") <= 1, "acknowledgements are merged");
    qsizetype at = 0;
    for (const QByteArray &text : kept) {
        while (at < framed.size() && framed.at(at) != text)
            ++at;
        Require(at++ < framed.size(), "the inbox keeps framed messages in arrival order");
    }
    if (!framed.isEmpty() && framed.last() != "done")
        Require(!kept.isEmpty() && kept.last() == framed.last(), "the newest report is kept");
}

// Code-to-name rewriting the plain way: every entry in table order replaces its code over the
// whole text as the entries before it left it.
QString CodesToNamesOneByOne(QString text) {
    const vorlin::KeyTable &table = Table();
    for (qsizetype k = 0; k < table.keyNames.size(); ++k)
        text.replace(QString::number(table.keyCodes.at(k)), table.keyNames.at(k));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    const qsizetype maxReportBytes = data[0] == 0xff  ? MessageFramer::kMaxReportBytes
                                     : data[0] < 0x80 ? 4 + data[0]
                                                      : 4 + (data[0] - 0x80) * 64;
    const QByteArrayView received(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    MessageFramer chunked(maxReportBytes);
    MessageInbox inbox(maxReportBytes);
    inbox.Await(MessageInbox::Answer::Report, 0);
    qint64 now = 0;
    bool overdueTold = false;
    QByteArrayList fromChunks;
    // The text between quiet gaps: however it is cut into reads, the same messages come out.
    QByteArrayList bursts{QByteArray()};
    qsizetype chunkStart = 0;
    for (qsizetype i = 0; i <= received.size(); ++i) {
        if (i < received.size() && received[i] != '\0')
            continue;
        const QByteArrayView chunk = received.sliced(chunkStart, i - chunkStart);
        chunkStart = i + 1;
        if (chunk.isEmpty()) {
            now += MessageInbox::kQuietGapMs;
            if (const std::optional<ReceivedMessage> cut = chunked.DropBegunReport()) {
                CheckMessage(*cut, maxReportBytes);
                Require(chunked.BufferedBytes() == 0, "what follows a cut-off report is afresh");
                fromChunks << cut->text;
            }
            const bool answered =
                std::any_of(fromChunks.begin(), fromChunks.end(),
                            [](const QByteArray &text) { return text != "done"; });
            const bool overdue = !inbox.Expire(now).empty();
            Require(overdue == (!answered && !overdueTold && now >= MessageInbox::kAnswerWaitMs),
                    "an unanswered request is told once, and never after a report");
            overdueTold = overdueTold || overdue;
            Require(inbox.BufferedBytes() == chunked.BufferedBytes(), "the inbox gives up alike");
            bursts << QByteArray();
            continue;
        }
        const qsizetype before = chunked.BufferedBytes();
        chunked.Append(chunk);
        Require(chunked.BufferedBytes() == before + chunk.size(), "append keeps every byte");
        Require(chunked.BufferedBytes() <= maxReportBytes + chunk.size(),
                "buffer bounded by one report and one read");
        fromChunks << DrainChecked(chunked);
        inbox.Append(chunk, now);
        Require(inbox.WaitingCount() <= MessageInbox::kMaxWaitingMessages,
                "the inbox holds no more than its limit");
        Require(inbox.BufferedBytes() == chunked.BufferedBytes(), "the inbox frames as it goes");
        bursts.last() += chunk;
    }

    // However the text was cut into reads, the messages are the same.
    MessageFramer whole(maxReportBytes);
    QByteArrayList fromBursts;
    for (qsizetype burst = 0; burst < bursts.size(); ++burst) {
        if (burst > 0) {
            if (const std::optional<ReceivedMessage> cut = whole.DropBegunReport())
                fromBursts << cut->text;
        }
        whole.Append(bursts.at(burst));
        fromBursts << DrainChecked(whole);
    }
    Require(fromBursts == fromChunks, "messages do not depend on how reads are cut");
    CheckInbox(inbox, fromChunks);
    Require(whole.BufferedBytes() == chunked.BufferedBytes(), "the same text stays buffered");

    // The decoder must also survive text that never passed the framer.
    CheckDecoded(received.toByteArray());

    // The table's rewriting skips entries whose code is absent; that must not change the result.
    const QString text = QString::fromLatin1(received);
    Require(Table().CodesToNames(text) == CodesToNamesOneByOne(text),
            "code-to-name rewriting as entry after entry");
    return 0;
}
