#include "protocol/MessageFramer.h"

#include <QRandomGenerator>
#include <QTest>

using vorlin::MessageFramer;
using vorlin::ReceivedMessage;

namespace {

constexpr qsizetype kMax = MessageFramer::kMaxReportBytes;

// One line per message, "ack" or the report's text, so a wrong kind shows up as a wrong line.
QByteArrayList Drain(MessageFramer &framer) {
    QByteArrayList messages;
    while (const std::optional<ReceivedMessage> message = framer.Next()) {
        const bool ack = message->kind == ReceivedMessage::Kind::Acknowledgement;
        messages << (ack ? "ack " : "report ") + message->text;
    }
    return messages;
}

// Feeds the stream in chunks of chunkSize bytes (all of it at once for 0), draining after each.
QByteArrayList Feed(const QByteArray &stream, qsizetype chunkSize = 0) {
    MessageFramer framer;
    QByteArrayList messages;
    const qsizetype step = chunkSize > 0 ? chunkSize : qMax<qsizetype>(stream.size(), 1);
    for (qsizetype at = 0; at < stream.size(); at += step) {
        framer.Append(QByteArrayView(stream).sliced(at, qMin(step, stream.size() - at)));
        messages << Drain(framer);
    }
    return messages;
}

QByteArray FullReport() {
    QByteArrayList fields{"group2"};
    for (int layer = 0; layer < 4; ++layer)
        fields << QByteArrayList(14, "128 + a").join("||");
    fields << "yes"
           << "yes"
           << "no"
           << "yes"
           << "yes"
           << "1.0.2";
    return "[[" + fields.join("!!") + "]]";
}

// Noise rich in the characters that begin or end messages.
QByteArray Noise(qsizetype size, quint32 seed) {
    static const char kAlphabet[] = "[[]]done!|x\0\xff";
    QRandomGenerator random(seed);
    QByteArray noise(size, Qt::Uninitialized);
    for (char &byte : noise)
        byte = kAlphabet[random.bounded(int(sizeof(kAlphabet) - 1))];
    return noise;
}

} // namespace

class TestMessageFramer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void messages_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArrayList>("expected");

        const QByteArray report = FullReport();
        QTest::newRow("acknowledgement") << QByteArray("done") << QByteArrayList{"ack done"};
        QTest::newRow("full report") << report << QByteArrayList{"report " + report};
        QTest::newRow("empty report") << QByteArray("[[]]") << QByteArrayList{"report [[]]"};
        QTest::newRow("clean traffic")
            << report + "done" + "[[a]]" + "done"
            << QByteArrayList{"report " + report, "ack done", "report [[a]]", "ack done"};
        QTest::newRow("noise before")
            << QByteArray("xy]]!d[[a]]") << QByteArrayList{"report [[a]]"};
        QTest::newRow("noise between")
            << QByteArray("done[x]do]][[a]]") << QByteArrayList{"ack done", "report [[a]]"};
        QTest::newRow("noise after") << QByteArray("[[a]]]]don") << QByteArrayList{"report [[a]]"};
        QTest::newRow("noise inside an acknowledgement")
            << QByteArray("do#ne[[a]]") << QByteArrayList{"report [[a]]"};
        QTest::newRow("report body is taken as it is")
            << QByteArray("[[a#done[b]]") << QByteArrayList{"report [[a#done[b]]"};
        QTest::newRow("upper case is not an acknowledgement")
            << QByteArray("Done") << QByteArrayList{};
        QTest::newRow("dodone") << QByteArray("dodone") << QByteArrayList{"ack done"};
        QTest::newRow("ddone") << QByteArray("ddone") << QByteArrayList{"ack done"};
        QTest::newRow("two acknowledgements")
            << QByteArray("donedone") << QByteArrayList{"ack done", "ack done"};
        QTest::newRow("done then a report")
            << "done" + report << QByteArrayList{"ack done", "report " + report};
        QTest::newRow("cut-off report gives way")
            << QByteArray("[[a[[b]]") << QByteArrayList{"report [[b]]"};
        QTest::newRow("cut-off report, then a whole one")
            << report.left(200) + report << QByteArrayList{"report " + report};
        QTest::newRow("cut-off report swallows what it holds")
            << QByteArray("[[adone[[b]]") << QByteArrayList{"report [[b]]"};
        QTest::newRow("report starts with a bracket")
            << QByteArray("[[[a]]") << QByteArrayList{"report [[[a]]"};
        QTest::newRow("four brackets") << QByteArray("[[[[a]]") << QByteArrayList{"report [[a]]"};
        QTest::newRow("first closing pair ends the report")
            << QByteArray("[[a]]b]]") << QByteArrayList{"report [[a]]"};
        QTest::newRow("lone bracket before a report")
            << QByteArray("[d[[a]]") << QByteArrayList{"report [[a]]"};
        QTest::newRow("nothing complete") << QByteArray("[[abc") << QByteArrayList{};
    }
    void messages() {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArrayList, expected);
        QCOMPARE(Feed(stream), expected);
        QCOMPARE(Feed(stream, 1), expected);
    }

    // The pad sends no lengths: wherever the link cuts the text into reads, the messages are the
    // same.
    void splitAtEveryByte_data() { messages_data(); }
    void splitAtEveryByte() {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArrayList, expected);
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            MessageFramer framer;
            framer.Append(QByteArrayView(stream).first(cut));
            QByteArrayList messages = Drain(framer);
            framer.Append(QByteArrayView(stream).sliced(cut));
            messages << Drain(framer);
            QVERIFY2(messages == expected, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }

    void partialMessageWaits_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("d") << QByteArray("d") << QByteArray("one") << QByteArray("done");
        QTest::newRow("do") << QByteArray("do") << QByteArray("ne") << QByteArray("done");
        QTest::newRow("don") << QByteArray("don") << QByteArray("e") << QByteArray("done");
        QTest::newRow("[") << QByteArray("[") << QByteArray("[a]]") << QByteArray("[[a]]");
        QTest::newRow("[[abc") << QByteArray("[[abc") << QByteArray("]]") << QByteArray("[[abc]]");
        QTest::newRow("half the end")
            << QByteArray("[[abc]") << QByteArray("]") << QByteArray("[[abc]]");
    }
    void partialMessageWaits() {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        QFETCH(QByteArray, message);
        MessageFramer framer;
        framer.Append(head);
        QVERIFY(!framer.Next());
        QCOMPARE(framer.BufferedBytes(), head.size());
        framer.Append(tail);
        const std::optional<ReceivedMessage> received = framer.Next();
        QVERIFY(received);
        QCOMPARE(received->text, message);
        QVERIFY(!framer.Next());
        QCOMPARE(framer.BufferedBytes(), 0);
    }

    void clearForgetsAPartialReport() {
        MessageFramer framer;
        framer.Append("[[abc");
        QVERIFY(!framer.Next());
        framer.Clear();
        QCOMPARE(framer.BufferedBytes(), 0);
        framer.Append("]]done");
        QCOMPARE(Drain(framer), QByteArrayList{"ack done"});
    }

    void reportSizeLimit_data() {
        QTest::addColumn<qsizetype>("reportSize");
        QTest::addColumn<bool>("kept");
        QTest::newRow("largest kept") << kMax << true;
        QTest::newRow("one byte over") << kMax + 1 << false;
        QTest::newRow("70 KiB") << qsizetype(70 * 1024) << false;
    }
    void reportSizeLimit() {
        QFETCH(qsizetype, reportSize);
        QFETCH(bool, kept);
        const QByteArray big = "[[" + QByteArray(reportSize - 4, 'a') + "]]";
        const QByteArray stream = big + "done[[next]]";
        QByteArrayList expected{"ack done", "report [[next]]"};
        if (kept)
            expected.prepend("report " + big);
        for (qsizetype chunk : {qsizetype(0), qsizetype(1), qsizetype(1000)})
            QCOMPARE(Feed(stream, chunk), expected);
    }

    // A report that begins near the end of an overlong one is still found, wherever its "[["
    // falls against the limit.
    void reportAfterAnOverlongOne_data() {
        QTest::addColumn<qsizetype>("nextAt");
        for (qsizetype nextAt : {kMax - 2, kMax - 1, kMax, kMax + 1, kMax + 5})
            QTest::addRow("next report at %lld", qlonglong(nextAt)) << nextAt;
    }
    void reportAfterAnOverlongOne() {
        QFETCH(qsizetype, nextAt);
        const QByteArray stream = "[[" + QByteArray(nextAt - 2, 'a') + "[[next]]";
        for (qsizetype chunk : {qsizetype(0), qsizetype(1), qsizetype(333)})
            QCOMPARE(Feed(stream, chunk), QByteArrayList{"report [[next]]"});
    }

    void unterminatedReportIsBounded() {
        MessageFramer framer;
        framer.Append("[[");
        qsizetype largest = 0;
        for (int i = 0; i < 3 * kMax; ++i) {
            framer.Append("a");
            QVERIFY(!framer.Next());
            largest = qMax(largest, framer.BufferedBytes());
        }
        QCOMPARE(largest, kMax - 1);
        framer.Append("[[late]]");
        QCOMPARE(Drain(framer), QByteArrayList{"report [[late]]"});
    }

    void megabyteOfNoise() {
        const QByteArray noise = Noise(1024 * 1024, 7);
        const QByteArray stream = noise + "]]done" + FullReport();
        MessageFramer framer;
        QByteArrayList messages;
        qsizetype largest = 0;
        for (qsizetype at = 0; at < stream.size(); at += 64) {
            framer.Append(
                QByteArrayView(stream).sliced(at, qMin<qsizetype>(64, stream.size() - at)));
            messages << Drain(framer);
            largest = qMax(largest, framer.BufferedBytes());
        }
        QVERIFY(largest < kMax);
        QVERIFY(messages.size() > 100); // the noise holds many chance messages
        for (const QByteArray &message : messages)
            QVERIFY2(message == "ack done" ||
                         (message.startsWith("report [[") && message.endsWith("]]") &&
                          message.indexOf("]]") == message.size() - 2),
                     message.constData());
        QCOMPARE(messages.last(), "report " + FullReport());
        QCOMPARE(messages.at(messages.size() - 2), QByteArray("ack done"));
        QCOMPARE(Feed(stream, 1), messages);
        QCOMPARE(Feed(stream), messages);
    }
};

QTEST_GUILESS_MAIN(TestMessageFramer)
#include "tst_MessageFramer.moc"
