#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace vorlin {
namespace {

void Show(QWidget *parent, const QString &text, QMessageBox::Icon icon) {
    QMessageBox box(icon, QString::fromUtf16(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void QtMessageBoxes::Inform(QWidget *parent, const QString &text) {
    Show(parent, text, QMessageBox::NoIcon);
}

void QtMessageBoxes::Warn(QWidget *parent, const QString &text) {
    Show(parent, text, QMessageBox::Warning);
}

} // namespace vorlin
