#include "keys/KeyTable.h"
#include "protocol/SettingsReport.h"

#include <QTest>

using vorlin::DecodedReport;
using vorlin::DecodeReport;
using vorlin::KeyTable;
using vorlin::ReportRejection;
using vorlin::SettingsReport;
using Kind = vorlin::ReportRejection::Kind;

Q_DECLARE_METATYPE(ReportRejection)

namespace {

QString SlotList(const QString &entry, int count = 14) {
    return QStringList(count, entry).join(QStringLiteral("||"));
}

QByteArray Framed(const QStringList &fields) {
    return "[[" + fields.join(QStringLiteral("!!")).toUtf8() + "]]";
}

// A report whose four slot lists are well formed, followed by the given trailing fields.
QByteArray Report(const QString &layerId, const QStringList &trailingFields) {
    QStringList fields{layerId};
    for (int layer = 1; layer <= 4; ++layer)
        fields << SlotList(QString::number(layer));
    return Framed(fields + trailingFields);
}

// "1011" for layers 1, 3 and 4 enabled.
QString EnabledPattern(const std::array<bool, 4> &enabled) {
    QString pattern;
    for (bool on : enabled)
        pattern += on ? u'1' : u'0';
    return pattern;
}

} // namespace

class TestSettingsReport : public QObject {
    Q_OBJECT

private:
    KeyTable table;

private Q_SLOTS:
    void forms_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("reportedLayer"); // -1 for none
        QTest::addColumn<bool>("rgbOn");
        QTest::addColumn<bool>("fullForm");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<QString>("version");

        const QStringList flags{"yes", "yes", "no", "yes", "yes", "1.0.2"};
        QTest::newRow("full form") << Report("group2", flags) << 1 << true << true << "1011"
                                   << "1.0.2";
        QTest::newRow("short form, six fields")
            << Report("group2", {"yes"}) << 1 << true << false << "0000"
            << "1.0.0";
        QTest::newRow("seven fields are short")
            << Report("group3", flags.mid(0, 2)) << 2 << true << false << "0000"
            << "1.0.0";
        QTest::newRow("ten fields are short")
            << Report("group4", flags.mid(0, 5)) << 3 << true << false << "0000"
            << "1.0.0";
        QTest::newRow("twelve fields are short")
            << Report("group1", flags + QStringList{"x"}) << 0 << true << false << "0000"
            << "1.0.0";
        QTest::newRow("flags other than exactly yes")
            << Report("group1", {"Yes", "yes ", "", "no", "YES", "2.0"}) << 0 << false << true
            << "0000"
            << "2.0";
        QTest::newRow("empty version")
            << Report("group1", {"no", "no", "no", "no", "yes", ""}) << 0 << false << true << "0001"
            << "";
        QTest::newRow("version holding a key code is rewritten")
            << Report("group1", {"no", "no", "no", "no", "no", "1.128.0"}) << 0 << false << true
            << "0000"
            << "1.L_CTRL.0";
        QTest::newRow("layer id in other case")
            << Report("Group1", {"yes"}) << -1 << true << false << "0000"
            << "1.0.0";
        QTest::newRow("unknown layer") << Report("group5", {"yes"}) << -1 << true << false << "0000"
                                       << "1.0.0";
        QTest::newRow("layer id with a blank")
            << Report("group1 ", {"yes"}) << -1 << true << false << "0000"
            << "1.0.0";
        QTest::newRow("empty layer id") << Report("", {"no"}) << -1 << false << false << "0000"
                                        << "1.0.0";
    }
    void forms() {
        QFETCH(QByteArray, message);
        QFETCH(int, reportedLayer);
        QFETCH(bool, rgbOn);
        QFETCH(bool, fullForm);
        QFETCH(QString, enabled);
        QFETCH(QString, version);

        const DecodedReport decoded = DecodeReport(table, message);
        QVERIFY(decoded.report);
        QVERIFY(!decoded.rejection);
        const SettingsReport &report = *decoded.report;
        QCOMPARE(report.reportedLayer.value_or(-1), reportedLayer);
        QCOMPARE(report.rgbOn, rgbOn);
        QCOMPARE(report.fullForm, fullForm);
        QCOMPARE(EnabledPattern(report.layerEnabled), enabled);
        QCOMPARE(report.firmwareVersion, version);
        for (int layer = 0; layer < 4; ++layer)
            QCOMPARE(report.slotTexts[layer], QStringList(14, QString::number(layer + 1)));
    }

    void slotTexts_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("codes become names") << SlotList("128 + a") << QStringList(14, "L_CTRL + a");
        QTest::newRow("first fourteen of sixteen")
            << (SlotList("198", 14) + "||x||y") << QStringList(14, "F5");
        QStringList counted;
        for (int i = 0; i < 15; ++i)
            counted << QString(QChar(u'a' + i));
        QTest::newRow("entries keep their order") << counted.join("||") << counted.mid(0, 14);
        QTest::newRow("empty entries stay empty") << SlotList("") << QStringList(14, QString());
        QTest::newRow("two-digit numbers and single digits stay")
            << SlotList("97 + 1") << QStringList(14, "97 + 1");
        QTest::newRow("adjacent codes are both rewritten")
            << SlotList("128129") << QStringList(14, "L_CTRLL_SHIFT");
        QTest::newRow("every name in one slot")
            << SlotList("601 + 611 + 516 + 237")
            << QStringList(14, "单击 + MOUSE_CURSOR_RIGHT + 邮件 + MENU");
        QTest::newRow("text from the pad read as utf-8")
            << SlotList("中 + é") << QStringList(14, "中 + é");
    }
    void slotTexts() {
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        // The field under test goes to layer 3; the others must keep their own entries.
        const QByteArray message =
            Framed({"group1", SlotList("a"), SlotList("b"), field, SlotList("d"), "no"});
        const DecodedReport decoded = DecodeReport(table, message);
        QVERIFY(decoded.report);
        QCOMPARE(decoded.report->slotTexts[0], QStringList(14, "a"));
        QCOMPARE(decoded.report->slotTexts[1], QStringList(14, "b"));
        QCOMPARE(decoded.report->slotTexts[2], expected);
        QCOMPARE(decoded.report->slotTexts[3], QStringList(14, "d"));
    }

    void rejected_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<ReportRejection>("rejection");

        QTest::newRow("empty body")
            << QByteArray("[[]]") << ReportRejection{Kind::TooFewFields, 0, 0, 6};
        QTest::newRow("three fields") << Framed({"group1", SlotList("a"), SlotList("a")})
                                      << ReportRejection{Kind::TooFewFields, 0, 3, 6};
        QTest::newRow("five fields")
            << Framed({"group1", SlotList("a"), SlotList("a"), SlotList("a"), SlotList("a")})
            << ReportRejection{Kind::TooFewFields, 0, 5, 6};
        QTest::newRow("thirteen entries in layer 2")
            << Framed({"group1", SlotList("a"), SlotList("a", 13), SlotList("a"), SlotList("a"),
                       "yes"})
            << ReportRejection{Kind::TooFewSlotEntries, 2, 13, 14};
        QTest::newRow("empty layer 4 has no entries")
            << Framed({"group1", SlotList("a"), SlotList("a"), SlotList("a"), "", "yes"})
            << ReportRejection{Kind::TooFewSlotEntries, 4, 0, 14};
        QTest::newRow("not a report") << QByteArray("done") << ReportRejection{Kind::MissingFrame};
        QTest::newRow("frame overlaps") << QByteArray("[[]") << ReportRejection{Kind::MissingFrame};
    }
    void rejected() {
        QFETCH(QByteArray, message);
        QFETCH(ReportRejection, rejection);
        const DecodedReport decoded = DecodeReport(table, message);
        QVERIFY(!decoded.report);
        QVERIFY(decoded.rejection);
        QCOMPARE(int(decoded.rejection->kind), int(rejection.kind));
        QCOMPARE(decoded.rejection->layer, rejection.layer);
        QCOMPARE(decoded.rejection->count, rejection.count);
        QCOMPARE(decoded.rejection->needed, rejection.needed);
    }
};

QTEST_GUILESS_MAIN(TestSettingsReport)
#include "tst_SettingsReport.moc"
