#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace vorlin {
namespace {

void Show(QWidget *parent, const QString &text, QMessageBox::Icon icon) {
    QMessageBox box(icon, QString::fromUtf16(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.exec();
    // Hand the keyboard back to the window, which gives it to the control that had it (or the
    // one it moved to meanwhile). Without a window manager nothing else would.
    if (parent != nullptr)
        parent->window()->activateWindow();
}

} // namespace

void QtMessageBoxes::Inform(QWidget *parent, const QString &text) {
    Show(parent, text, QMessageBox::NoIcon);
}

void QtMessageBoxes::Warn(QWidget *parent, const QString &text) {
    Show(parent, text, QMessageBox::Warning);
}

} // namespace vorlin
