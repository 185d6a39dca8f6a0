#include "tests/support/ScriptedMessageBoxes.h"

#include <QEventLoop>
#include <QTimer>

void ScriptedMessageBoxes::Inform(QWidget *, const QString &text) {
    informed.append(text);
    Show();
}

void ScriptedMessageBoxes::Warn(QWidget *, const QString &text) {
    warned.append(text);
    Show();
}

void ScriptedMessageBoxes::Show() {
    if (!whileOpen)
        return;
    const std::function<void()> action = std::exchange(whileOpen, nullptr);
    QEventLoop nested;
    open = true;
    QTimer::singleShot(0, &nested, [&] {
        action();
        nested.quit();
    });
    nested.exec();
    open = false;
}
