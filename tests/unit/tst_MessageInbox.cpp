#include "protocol/MessageInbox.h"

#include <QTest>

using vorlin::MessageInbox;
using vorlin::ReceivedMessage;

namespace {

// "[[n]]" for every n from first to last.
QByteArrayList Reports(int first, int last) {
    QByteArrayList reports;
    for (int n = first; n <= last; ++n)
        reports << "[[" + QByteArray::number(n) + "]]";
    return reports;
}

} // namespace

class TestMessageInbox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void waiting_data() {
        // Each burst arrives whole before the poll takes everything that waits; an empty burst
        // is the line staying quiet for the quiet gap. A cut-off report is taken as "cut ...".
        QTest::addColumn<QByteArrayList>("bursts");
        QTest::addColumn<QByteArrayList>("taken");

        const QByteArray acks = QByteArray("done").repeated(100);
        QTest::newRow("waiting acknowledgements make one")
            << QByteArrayList{"donedone[[a]]donedone"} << QByteArrayList{"done", "[[a]]"};
        QTest::newRow("one taken is not merged with the next")
            << QByteArrayList{"done", "done"} << QByteArrayList{"done", "done"};
        QTest::newRow("partial messages wait for the rest")
            << QByteArrayList{"x[[a", "]]do", "ne"} << QByteArrayList{"[[a]]", "done"};
        QTest::newRow("the oldest reports give way")
            << QByteArrayList{Reports(1, 10).join()} << Reports(3, 10);
        QTest::newRow("an acknowledgement gives way, a later one waits")
            << QByteArrayList{acks + Reports(1, 20).join() + acks}
            << Reports(14, 20) + QByteArrayList{"done"};
        QTest::newRow("a report gone quiet gives way")
            << QByteArrayList{"[[a", "", "done[[b", "]]", "", "[[c]]"}
            << QByteArrayList{"cut [[a", "done", "[[b]]", "[[c]]"};
    }
    void waiting() {
        QFETCH(QByteArrayList, bursts);
        QFETCH(QByteArrayList, taken);
        // However the bytes are split into reads, the same messages wait.
        for (const qsizetype readSize : {1, 3, 1 << 20}) {
            MessageInbox inbox;
            QByteArrayList got;
            qint64 now = 0;
            for (const QByteArray &burst : bursts) {
                // Just short of the gap nothing is given up.
                now += MessageInbox::kQuietGapMs - 1;
                QVERIFY(inbox.Expire(now).empty());
                QVERIFY(!inbox.Take());
                if (burst.isEmpty()) {
                    ++now;
                    QVERIFY(inbox.Expire(now).empty());
                }
                for (qsizetype at = 0; at < burst.size(); at += readSize)
                    inbox.Append(QByteArrayView(burst).sliced(at).first(
                                     std::min(readSize, burst.size() - at)),
                                 now);
                QVERIFY(inbox.WaitingCount() <= MessageInbox::kMaxWaitingMessages);
                while (const std::optional<ReceivedMessage> message = inbox.Take()) {
                    const bool cut = message->kind == ReceivedMessage::Kind::CutOffReport;
                    got << (cut ? "cut " : "") + message->text;
                }
            }
            QVERIFY2(got == taken, qPrintable(QString("read size %1: %2")
                                                  .arg(readSize)
                                                  .arg(QString::fromLatin1(got.join(' ')))));
        }
    }

    void answerWaits_data() {
        // A command that awaits a report ("read") or a "done" ("write"), bytes received, the port
        // closed, or "+N" ms passing followed by what is overdue then: r the report, w the "done".
        QTest::addColumn<QString>("script");
        QTest::newRow("each answer ends its own wait")
            << "read +3000 write done +5000 r write [[a]] +4999 +1 w write close +10000";
    }
    void answerWaits() {
        QFETCH(QString, script);
        MessageInbox inbox;
        qint64 now = 0;
        QStringList played;
        for (const QString &step : script.split(u' ')) {
            if (step == u"r" || step == u"w")
                continue;
            played << step;
            if (step.startsWith(u'+')) {
                now += step.toLongLong();
                for (const MessageInbox::Answer answer : inbox.Expire(now))
                    played << (answer == MessageInbox::Answer::Report ? "r" : "w");
            } else if (step == u"read" || step == u"write") {
                inbox.Await(step == u"read" ? MessageInbox::Answer::Report
                                            : MessageInbox::Answer::Acknowledgement,
                            now);
            } else if (step == u"close") {
                inbox.PortClosed();
            } else {
                inbox.Append(step.toLatin1(), now);
            }
        }
        QCOMPARE(played.join(u' '), script);
        QVERIFY(!inbox.NextDeadline());
    }

    void rejectionToldOncePerRun_data() {
        // R+ a rejected report the user is told of, R- one kept quiet, G a good report, O the
        // port opened anew.
        QTest::addColumn<QString>("script");
        QTest::newRow("first of a run") << "R+R-R-";
        QTest::newRow("again after a good report") << "R+R-GR+R-G";
        QTest::newRow("again after the port is reopened") << "R+OR+R-O";
        QTest::newRow("good reports alone start no run") << "GGR+G";
    }
    void rejectionToldOncePerRun() {
        QFETCH(QString, script);
        MessageInbox inbox;
        const QString events = QString(script).remove(u'+').remove(u'-');
        QString played;
        for (const QChar event : events) {
            played += event;
            if (event == u'R')
                played += inbox.NoteRejectedReport() ? u'+' : u'-';
            else if (event == u'G')
                inbox.NoteAcceptedReport();
            else
                inbox.RestartRejectionRun();
        }
        QCOMPARE(played, script);
    }
};

QTEST_GUILESS_MAIN(TestMessageInbox)
#include "tst_MessageInbox.moc"
