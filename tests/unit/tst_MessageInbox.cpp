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

    // A report ends the wait of a read, a "done" that of a write; an overdue answer is told once;
    // a closed port awaits nothing.
    void answerWaits() {
        using Answer = MessageInbox::Answer;
        MessageInbox inbox;
        inbox.Await(Answer::Report, 0);
        inbox.Await(Answer::Acknowledgement, 3000);
        inbox.Append("done", 3000);
        QCOMPARE(inbox.Expire(8000), std::vector{Answer::Report});
        inbox.Await(Answer::Acknowledgement, 8000);
        inbox.Append("[[a]]", 8000);
        QVERIFY(inbox.Expire(12'999).empty());
        QCOMPARE(inbox.Expire(13'000), std::vector{Answer::Acknowledgement});
        inbox.Await(Answer::Acknowledgement, 13'000);
        inbox.PortClosed();
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
