#pragma once

#include "app/MessageBoxes.h"

#include <QStringList>

#include <functional>

// Message boxes for tests: records every text and returns at once, or, when the test gives
// something to do while a box is open, runs it inside a nested event loop (as a real modal box
// keeps the loop running) and dismisses the box when it returns.
class ScriptedMessageBoxes final : public vorlin::MessageBoxes {
public:
    void Inform(QWidget *parent, const QString &text) override;
    void Warn(QWidget *parent, const QString &text) override;

    // Runs once, with the next box open.
    std::function<void()> whileOpen;
    bool IsOpen() const { return open; }

    QStringList informed;
    QStringList warned;

private:
    void Show();

    bool open = false;
};
