// Every key caption reads whole in its key, with the platform's own fonts and button style: each
// line complete, no word split, nothing outside the key's contents, no line over another.
#include "GuiHelpers.h"

#include "app/KeyButton.h"
#include "app/KeyButtonTable.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyleOptionButton>

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
};

QTEST_MAIN(TestKeyCaptions)
#include "tst_KeyCaptions.moc"
