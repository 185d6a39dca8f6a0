#include "protocol/Commands.h"
#include "protocol/SendPacing.h"
#include "tests/support/FakeClock.h"

#include <QTest>

using vorlin::SendPacing;

class TestSendPacing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeSeconds_data() {
        QTest::addColumn<qint64>("sentAtMs");
        QTest::addColumn<qint64>("nowMs");
        QTest::addColumn<int>("interval");
        QTest::addColumn<qint64>("wholeSeconds");
        QTest::addColumn<bool>("allowed");

        const int kSwitch = vorlin::kSwitchIntervalSeconds;
        const int kRequest = vorlin::kRequestIntervalSeconds;
        // Both times are cut to the whole second before subtracting.
        QTest::newRow("x.9 then x+2.0: 1.1 s are two whole seconds")
            << qint64(10'900) << qint64(12'000) << kSwitch << qint64(2) << true;
        QTest::newRow("x.9 then x+1.99")
            << qint64(10'900) << qint64(11'990) << kSwitch << qint64(1) << false;
        QTest::newRow("x.0 then x+2.999 is two")
            << qint64(10'000) << qint64(12'999) << kSwitch << qint64(2) << true;
        QTest::newRow("request needs three")
            << qint64(10'000) << qint64(12'999) << kRequest << qint64(2) << false;
        QTest::newRow("request at x+3.0")
            << qint64(10'999) << qint64(13'000) << kRequest << qint64(3) << true;
        QTest::newRow("same second")
            << qint64(10'000) << qint64(10'999) << kSwitch << qint64(0) << false;
        QTest::newRow("long after")
            << qint64(0) << qint64(3'600'000) << kRequest << qint64(3600) << true;
        QTest::newRow("clock below zero still floors")
            << qint64(-100) << qint64(1'000) << kSwitch << qint64(2) << true;
        QTest::newRow("clock below zero, one second")
            << qint64(-1) << qint64(999) << kSwitch << qint64(1) << false;
    }
    void wholeSeconds() {
        QFETCH(qint64, sentAtMs);
        QFETCH(qint64, nowMs);
        QFETCH(int, interval);
        QFETCH(qint64, wholeSeconds);
        QFETCH(bool, allowed);

        FakeClock clock(sentAtMs - 50'000);
        SendPacing pacing(clock);
        clock.Set(sentAtMs);
        pacing.MarkSent();
        clock.Set(nowMs);
        QCOMPARE(pacing.WholeSecondsSinceLastSend(), wholeSeconds);
        QCOMPARE(pacing.Allows(true, interval), allowed);
        QVERIFY(!pacing.Allows(false, interval));
    }

    void startUpBlocks_data() {
        QTest::addColumn<int>("interval");
        QTest::newRow("switches") << vorlin::kSwitchIntervalSeconds;
        QTest::newRow("request and upload") << vorlin::kRequestIntervalSeconds;
    }
    void startUpBlocks() {
        QFETCH(int, interval);
        FakeClock clock(5'000);
        SendPacing pacing(clock);
        clock.Advance(60'000);
        QVERIFY(pacing.Allows(true, interval));
        pacing.Restart(); // start-up at 65.0 s
        clock.Advance(interval * 1000 - 1);
        QVERIFY(!pacing.Allows(true, interval));
        clock.Advance(1);
        QVERIFY(pacing.Allows(true, interval));
    }

    void onlyAWriteMovesTheLastSendTime() {
        FakeClock clock(0);
        SendPacing pacing(clock);
        clock.Set(3'000);
        QVERIFY(pacing.Allows(true, vorlin::kRequestIntervalSeconds));
        // Asking does not count as a write: a refused or unsent command leaves the time alone.
        clock.Set(4'500);
        QVERIFY(pacing.Allows(true, vorlin::kSwitchIntervalSeconds));
        QCOMPARE(pacing.WholeSecondsSinceLastSend(), 4);
        pacing.MarkSent();
        QCOMPARE(pacing.WholeSecondsSinceLastSend(), 0);
        QVERIFY(!pacing.Allows(true, vorlin::kSwitchIntervalSeconds));
        clock.Set(6'000);
        QVERIFY(pacing.Allows(true, vorlin::kSwitchIntervalSeconds));
        QVERIFY(!pacing.Allows(true, vorlin::kRequestIntervalSeconds));
    }
};

QTEST_GUILESS_MAIN(TestSendPacing)
#include "tst_SendPacing.moc"
