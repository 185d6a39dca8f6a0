// Every key caption reads whole in its key, with the platform's own fonts and button style: each
// line complete, no word split, nothing outside the key's contents, no line over another. And a
// caption changes only as far as it must: leading first, then line breaks, then size.
#include "GuiHelpers.h"

#include "app/ControlFont.h"
#include "app/KeyButton.h"
#include "app/KeyButtonTable.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyleOptionButton>
#include <QtMath>

using namespace vorlin::test;

namespace {

bool IsLatinLetterOrDigit(QChar c) {
    return c.isLetterOrNumber() && c.script() != QChar::Script_Han;
}

} // namespace

class TestKeyCaptions : public QObject {
    Q_OBJECT

    std::unique_ptr<Main> main;

private Q_SLOTS:
    void initTestCase() { main = MakeMain(); }

    void captionReadsWhole_data() {
        QTest::addColumn<int>("index");
        for (const vorlin::KeyButtonSpec &key : vorlin::kKeyButtons) {
            const QString name = QStringLiteral("SetKey_%1 %2").arg(key.index).arg(key.token);
            QTest::newRow(qPrintable(name)) << key.index;
        }
    }

    void captionReadsWhole() {
        QFETCH(int, index);
        auto *key = qobject_cast<vorlin::KeyButton *>(main->SetKey.at(index));
        QVERIFY(key);
        QStyleOptionButton option;
        option.initFrom(key);
        option.text = key->text();
        const QRectF contents(
            {0, 0},
            key->style()->subElementRect(QStyle::SE_PushButtonContents, &option, key).size());
        const vorlin::FittedCaption caption = key->CaptionAsDrawn();

        // The key's own faces, at most smaller.
        QCOMPARE(caption.font.families(), key->font().families());
        QVERIFY(caption.font.pointSizeF() <= key->font().pointSizeF());

        // Complete lines: a caption's own lines as they are, any other broken only between words
        // or Chinese characters.
        const QString shown =
            QString(key->text()).replace(QStringLiteral("&&"), QStringLiteral("&"));
        QCOMPARE(vorlin::ShownCaption(key->text() + u'&'), shown + u'&'); // and a lone & at the end
        if (shown.contains(u'\n')) {
            QCOMPARE(caption.lines, shown.split(u'\n'));
        } else {
            qsizetype at = 0;
            for (const QString &line : caption.lines) {
                while (at < shown.size() && shown.at(at).isSpace())
                    ++at;
                QVERIFY2(at == 0 || at == shown.size() || !IsLatinLetterOrDigit(shown.at(at - 1)) ||
                             !IsLatinLetterOrDigit(shown.at(at)),
                         qPrintable(caption.lines.join(u'|')));
                QCOMPARE(shown.mid(at, line.size()), line);
                at += line.size();
            }
            QVERIFY(shown.mid(at).trimmed().isEmpty());
        }

        // Every glyph inside the contents, each line below the one before.
        QCOMPARE(caption.origins.size(), caption.lines.size());
        const QFontMetricsF metrics(caption.font);
        qreal above = contents.top();
        for (qsizetype i = 0; i < caption.lines.size(); ++i) {
            const QString &line = caption.lines.at(i);
            const QRectF ink = metrics.tightBoundingRect(line).translated(caption.origins.at(i));
            const qreal left = caption.origins.at(i).x();
            const QString where =
                QStringLiteral("\"%1\": ink %2,%3 to %4,%5, advance %6 to %7, in %8x%9")
                    .arg(line)
                    .arg(ink.left())
                    .arg(ink.top())
                    .arg(ink.right())
                    .arg(ink.bottom())
                    .arg(left)
                    .arg(left + metrics.horizontalAdvance(line))
                    .arg(contents.width())
                    .arg(contents.height());
            QVERIFY2(contents.contains(ink), qPrintable(where));
            QVERIFY2(left >= 0 && left + metrics.horizontalAdvance(line) <= contents.width(),
                     qPrintable(where));
            QVERIFY2(ink.top() >= above, qPrintable(where));
            above = ink.bottom();
        }
    }

    void fittingOrder_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("room");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("tightened");
        QTest::addColumn<bool>("smaller");
        const QStringList pgDown = {QStringLiteral("Pg"), QStringLiteral("Down")};
        QTest::newRow("fits as it is") << pgDown.join(u'\n') << "ample" << pgDown << false << false;
        QTest::newRow("leading tightened")
            << pgDown.join(u'\n') << "lower" << pgDown << true << false;
        QTest::newRow("broken between words")
            << "CAPS LOCK"
            << "narrower" << QStringList{"CAPS", "LOCK"} << false << false;
        QTest::newRow("broken between Chinese characters")
            << "浏览器停止"
            << "narrower" << QStringList{"浏览器", "停止"} << false << false;
        QTest::newRow("a word too wide, smaller")
            << "Enter"
            << "narrower" << QStringList{"Enter"} << false << true;
    }

    void fittingOrder() {
        QFETCH(QString, caption);
        QFETCH(QString, room);
        QFETCH(QStringList, lines);
        QFETCH(bool, tightened);
        QFETCH(bool, smaller);
        // Rooms measured in the platform's faces: three lines high, or just lower than the two
        // lines at their natural leading, or a pixel narrower than the caption on one line.
        const QFont font = vorlin::ControlFont();
        const QFontMetricsF metrics(font);
        const QStringList own = caption.split(u'\n');
        QSize box(200, qCeil(3 * metrics.boundingRect(caption).height()));
        if (room == QStringLiteral("lower"))
            // Lines stand on whole pixels, so each line's ink counts in whole pixels too.
            box.setHeight(qCeil(-metrics.tightBoundingRect(own.front()).top()) +
                          qRound(metrics.lineSpacing()) +
                          qCeil(metrics.tightBoundingRect(own.back()).bottom()) - 1);
        else if (room == QStringLiteral("narrower"))
            box.setWidth(qFloor(metrics.horizontalAdvance(caption)) - 1);

        const vorlin::FittedCaption fitted = vorlin::FitCaption(caption, font, box);
        QVERIFY(fitted.fits);
        QCOMPARE(fitted.lines, lines);
        if (tightened && fitted.font.pointSizeF() < font.pointSizeF()) {
            // Some faces set two lines with no more than a pixel of blank between their glyphs
            // already; then tightening cannot make room, and the next step, a smaller size, is
            // right. Lines stand on whole pixels, with at least one blank pixel row between them.
            const QRectF first = metrics.tightBoundingRect(own.front());
            const QRectF second = metrics.tightBoundingRect(own.back());
            const int tightestPitch = qCeil(first.bottom() - second.top() + 1);
            QVERIFY2(qCeil(-first.top()) + tightestPitch + qCeil(second.bottom()) > box.height(),
                     "smaller although tightening the leading would have been enough");
            return;
        }
        if (smaller) {
            // Just small enough: a quarter point larger, the caption is wider than the room.
            QVERIFY(fitted.font.pointSizeF() < font.pointSizeF());
            QFont larger = fitted.font;
            larger.setPointSizeF(fitted.font.pointSizeF() + 0.25);
            const QFontMetricsF largerMetrics(larger);
            const QRectF ink = largerMetrics.tightBoundingRect(caption);
            QVERIFY(qMax(largerMetrics.horizontalAdvance(caption), ink.right()) -
                        qMin(0.0, ink.left()) >
                    box.width());
        } else {
            QCOMPARE(fitted.font.pointSizeF(), font.pointSizeF());
        }
        if (lines.size() == 2) {
            const qreal pitch = fitted.origins.at(1).y() - fitted.origins.at(0).y();
            QCOMPARE(pitch < qRound(metrics.lineSpacing()), tightened);
        }
        // With room to spare, as much of it above the lines' boxes as below them.
        const qreal above = fitted.origins.front().y() + metrics.boundingRect(lines.front()).top();
        const qreal below =
            box.height() - fitted.origins.back().y() - metrics.boundingRect(lines.back()).bottom();
        QVERIFY(room != QStringLiteral("ample") || qAbs(above - below) <= 1);
    }
};

// On Windows the offscreen platform has neither the system's fonts nor its button style, and
// those are what this test is about.
int main(int argc, char *argv[]) {
#ifdef Q_OS_WIN
    qputenv("QT_QPA_PLATFORM", "windows");
#endif
    QApplication::setAttribute(Qt::AA_Use96Dpi);
    QApplication app(argc, argv);
    TestKeyCaptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_KeyCaptions.moc"
