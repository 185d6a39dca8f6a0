#include "GuiHelpers.h"

#include "editor/ReportApplier.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>

using namespace vorlin::test;
using vorlin::ReportRejection;
using vorlin::SettingsReport;

Q_DECLARE_METATYPE(ReportRejection)
Q_DECLARE_METATYPE(SettingsReport)

namespace {

SettingsReport FullReport(std::array<bool, 4> enabled, bool rgb, std::optional<int> layer = 0) {
    SettingsReport report;
    report.fullForm = true;
    report.reportedLayer = layer;
    report.rgbOn = rgb;
    report.layerEnabled = enabled;
    report.firmwareVersion = QStringLiteral("1.0.2");
    for (int page = 0; page < 4; ++page)
        for (int slot = 0; slot < 14; ++slot)
            report.slotTexts[page].append(QStringLiteral("L_CTRL + %1").arg(page * 14 + slot));
    return report;
}

SettingsReport ShortReport(bool rgb) {
    SettingsReport report = FullReport({}, rgb);
    report.fullForm = false;
    report.firmwareVersion = QStringLiteral("1.0.0");
    return report;
}

} // namespace

class TestReportApplier : public QObject {
    Q_OBJECT

    std::unique_ptr<Main> main;

    vorlin::ReportTargets Targets() {
        vorlin::ReportTargets targets;
        targets.layerPages = main->NewTab1;
        for (int layer = 0; layer < 4; ++layer) {
            targets.slotBoxes[layer] = main->LayerValues(layer + 1);
            targets.layerEnableBoxes[layer] = main->LayerCheck(layer + 1);
            targets.layerEnableLabels[layer] = main->LayerLabels(layer + 1)[14];
        }
        targets.rgbBox = main->Check1;
        targets.versionLabel = main->Labelversion;
        return targets;
    }

    std::array<bool, 4> EnableBoxes() const {
        return {main->group1check->isChecked(), main->group2check->isChecked(),
                main->group3check->isChecked(), main->group4check->isChecked()};
    }

private Q_SLOTS:
    void init() {
        main = MakeMain();
        EnableEditing(*main);
    }
    void cleanup() { main.reset(); }

    // Every box shows what the pad reports, whichever way it was before: a box left on for a
    // layer the pad has disabled would show a state the pad does not have.
    void checkBoxesShowThePad_data() {
        QTest::addColumn<bool>("rgbBefore");
        QTest::addColumn<SettingsReport>("report");
        QTest::addColumn<bool>("rgbAfter");
        QTest::addColumn<QList<bool>>("enabledAfter");
        QTest::newRow("switches on") << false << FullReport({true, false, true, true}, true) << true
                                     << QList<bool>{true, false, true, true};
        QTest::newRow("switches off") << true << FullReport({false, false, false, false}, false)
                                      << false << QList<bool>{false, false, false, false};
        QTest::newRow("short form: RGB as reported, layer boxes untouched")
            << true << ShortReport(false) << false << QList<bool>{true, true, false, false};
    }
    void checkBoxesShowThePad() {
        QFETCH(bool, rgbBefore);
        QFETCH(SettingsReport, report);
        QFETCH(bool, rgbAfter);
        QFETCH(QList<bool>, enabledAfter);
        main->Check1->setChecked(rgbBefore);
        main->group1check->setChecked(true);
        main->group2check->setChecked(true);

        QSignalSpy clicks(main->Check1, &QCheckBox::clicked);
        vorlin::ApplyReport(report, Targets());
        QCOMPARE(main->Check1->isChecked(), rgbAfter);
        const std::array<bool, 4> boxes = EnableBoxes();
        QCOMPARE(QList<bool>(boxes.begin(), boxes.end()), enabledAfter);
        // Setting a box is not a click: nothing is sent to the pad.
        QCOMPARE(clicks.size(), 0);
    }

    void formShowsOrHidesTheEnableRows() {
        main->show();
        for (int layer = 1; layer <= 4; ++layer) {
            main->NewTab1->setCurrentIndex(layer - 1);
            QVERIFY(main->LayerCheck(layer)->isVisible());
        }
        vorlin::ApplyReport(ShortReport(true), Targets());
        QCOMPARE(main->Labelversion->text(), QStringLiteral("1.0.0"));
        for (int layer = 1; layer <= 4; ++layer) {
            main->NewTab1->setCurrentIndex(layer - 1);
            QVERIFY(!main->LayerCheck(layer)->isVisible());
            QVERIFY(!main->LayerLabels(layer)[14]->isVisible());
        }
        vorlin::ApplyReport(FullReport({}, true, 3), Targets());
        QCOMPARE(main->Labelversion->text(), QStringLiteral("1.0.2"));
        QCOMPARE(main->NewTab1->currentIndex(), 3);
        for (int layer = 1; layer <= 4; ++layer) {
            main->NewTab1->setCurrentIndex(layer - 1);
            QVERIFY(main->LayerCheck(layer)->isVisible());
            QVERIFY(main->LayerLabels(layer)[14]->isVisible());
        }
    }

    void reportedLayerAndSlotTexts() {
        main->NewTab1->setCurrentIndex(1);
        main->group3value[5]->setText(QStringLiteral("old"));
        SettingsReport report = FullReport({}, false, std::nullopt);
        report.slotTexts[2][5].clear();
        vorlin::ApplyReport(report, Targets());
        // No reported layer leaves the page as it was.
        QCOMPARE(main->NewTab1->currentIndex(), 1);
        QCOMPARE(main->group1value[0]->text(), QStringLiteral("L_CTRL + 0"));
        QCOMPARE(main->group4value[13]->text(), QStringLiteral("L_CTRL + 55"));
        // An empty entry empties its box.
        QCOMPARE(main->group3value[5]->text(), QString());
    }

    void rejectionReasons_data() {
        using Kind = ReportRejection::Kind;
        QTest::addColumn<ReportRejection>("rejection");
        QTest::addColumn<QString>("reason");
        QTest::newRow("frame") << ReportRejection{Kind::MissingFrame}
                               << QStringLiteral("设置报告格式错误：缺少“[[”或“]]”");
        QTest::newRow("fields") << ReportRejection{Kind::TooFewFields, 0, 3, 6}
                                << QStringLiteral("设置报告不完整：只有 3 个字段（至少需要 6 个）");
        QTest::newRow("entries") << ReportRejection{Kind::TooFewSlotEntries, 2, 13, 14}
                                 << QStringLiteral(
                                        "设置报告不完整：层2 只有 13 个按键设置（需要 14 个）");
    }
    void rejectionReasons() {
        QFETCH(ReportRejection, rejection);
        QFETCH(QString, reason);
        QCOMPARE(vorlin::RejectionReason(rejection), reason);
    }
};

QTEST_MAIN(TestReportApplier)
#include "tst_ReportApplier.moc"
