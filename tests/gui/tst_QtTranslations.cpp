// Qt's own texts in the window are Chinese too, in every locale (the tests run in C.UTF-8); the
// window's own texts stay as they are.
#include "GuiHelpers.h"

#include "app/QtTranslations.h"

#include <QApplication>
#include <QMessageBox>
#include <QToolButton>

using namespace vorlin::test;

class TestQtTranslations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(vorlin::InstallQtTranslations(*qApp)); }

    void messageBoxButtonReadsChinese() {
        QStringList seen;
        QTimer::singleShot(0, this, [&seen] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            seen = {box->windowTitle(), box->text(), box->button(QMessageBox::Ok)->text()};
            box->accept();
        });
        vorlin::QtMessageBoxes().Inform(nullptr, QStringLiteral("请选择一个串口"));
        QCOMPARE(seen, (QStringList{"Vorlin快捷键鼠设置", "请选择一个串口", "确定"}));
    }

    void tabScrollButtonsAreNamedInChinese() {
        auto main = MakeMain();
        QStringList names;
        for (const QToolButton *arrow : main->NewTab1->tabBar()->findChildren<QToolButton *>())
            names.append(arrow->accessibleName());
        names.sort();
        QCOMPARE(names, (QStringList{"向右滚动", "向左滚动"}));
        QCOMPARE(main->windowTitle(), QStringLiteral("Vorlin快捷键鼠设置 v1.0.1"));
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_QtTranslations.moc"
