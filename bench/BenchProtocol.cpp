// Timings of the protocol code on the largest messages the pad can produce and on a megabyte of
// mixed received traffic. Each figure is the median of many runs.
#include "keys/KeyTable.h"
#include "protocol/Commands.h"
#include "protocol/MessageFramer.h"
#include "protocol/SettingsReport.h"
#include "protocol/UploadMessage.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vorlin;

namespace {

// Four tokens per slot, each the code of one of the longest names (MOUSE_CURSOR_*, 608 to 611):
// the longest body a full report can carry, and the longest text the decoding writes back.
const QByteArray kLongestSlot = "611 + 610 + 609 + 608";

QByteArray LargestReport() {
    QByteArrayList fields{"group4"};
    for (int layer = 0; layer < kLayerCount; ++layer)
        fields << QByteArrayList(kSlotCount, kLongestSlot).join("||");
    fields << "yes"
           << "yes"
           << "yes"
           << "yes"
           << "yes"
           << "1.0.2";
    return "[[" + fields.join("!!") + "]]";
}

// About a megabyte of what a port may deliver: reports, acknowledgements, reports cut off by a
// disconnect, and line noise.
QByteArray MixedTraffic(qsizetype size) {
    const QByteArray report = LargestReport();
    QRandomGenerator random(2024);
    QByteArray traffic;
    traffic.reserve(size + report.size());
    while (traffic.size() < size) {
        switch (random.bounded(4)) {
        case 0:
            traffic += report;
            break;
        case 1:
            traffic += "done";
            break;
        case 2:
            traffic += report.left(random.bounded(int(report.size())));
            break;
        default:
            for (int i = random.bounded(1, 512); i > 0; --i)
                traffic += char(random.bounded(256));
        }
    }
    return traffic;
}

// Median over samples of the nanoseconds one call of body takes, each sample timing `batch`
// calls.
double MedianNs(int samples, int batch, const std::function<void()> &body) {
    std::vector<double> perCall;
    for (int s = 0; s < samples; ++s) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < batch; ++i)
            body();
        perCall.push_back(double(timer.nsecsElapsed()) / batch);
    }
    std::nth_element(perCall.begin(), perCall.begin() + samples / 2, perCall.end());
    return perCall[samples / 2];
}

// Feeds the traffic in reads of readSize bytes and takes every message out after each read.
qsizetype Frame(const QByteArray &traffic, qsizetype readSize) {
    MessageFramer framer;
    qsizetype messages = 0;
    for (qsizetype at = 0; at < traffic.size(); at += readSize) {
        framer.Append(QByteArrayView(traffic).sliced(at, std::min(readSize, traffic.size() - at)));
        while (framer.Next())
            ++messages;
    }
    return messages;
}

} // namespace

int main() {
    const KeyTable table;
    volatile qsizetype sink = 0; // keeps the work from being optimised away

    const QByteArray report = LargestReport();
    const double decodeNs = MedianNs(101, 200, [&] {
        const DecodedReport decoded = DecodeReport(table, report);
        sink = sink + decoded.report->slotTexts[3][13].size();
    });
    std::printf("decode largest report (%lld bytes, 224 key codes): %.0f ns per decode\n",
                qlonglong(report.size()), decodeNs);

    const QString body = QString::fromUtf8(report.mid(2, report.size() - 4));
    const double rewriteNs =
        MedianNs(101, 200, [&] { sink = sink + table.CodesToNames(body).size(); });
    std::printf("  of which code-to-name rewriting of the body (KeyTable::CodesToNames): %.0f ns\n",
                rewriteNs);

    const QStringList layer = DecodeReport(table, report).report->slotTexts[0];
    const double uploadNs = MedianNs(
        101, 1000, [&] { sink = sink + BuildUploadMessage(table, LayerId(0), layer)->size(); });
    std::printf("build largest layer upload (56 key names): %.0f ns per message\n", uploadNs);

    const QByteArray traffic = MixedTraffic(1024 * 1024);
    const double megabytes = double(traffic.size()) / (1024.0 * 1024.0);
    for (qsizetype readSize : {qsizetype(1), qsizetype(16), qsizetype(4096)}) {
        qsizetype messages = 0;
        const double ns = MedianNs(11, 1, [&] { messages = Frame(traffic, readSize); });
        std::printf("frame 1 MiB of mixed traffic in %lld-byte reads: %.0f MB/s (%lld messages)\n",
                    qlonglong(readSize), megabytes / (ns / 1e9), qlonglong(messages));
    }

    // The worst shape for a framer that searched from the start each time: a report that never
    // ends, arriving one byte per read until just under the limit.
    const QByteArray unterminated = "[[" + QByteArray(60 * 1024, 'a');
    const double partialNs = MedianNs(11, 1, [&] { sink = sink + Frame(unterminated, 1); });
    std::printf("60 KiB unterminated report, one byte per read: %.2f ms in all, %.1f ns per byte\n",
                partialNs / 1e6, partialNs / double(unterminated.size()));
    return sink < 0 ? 1 : 0;
}
