#pragma once

#include "Version.h"

#include <QString>

class QWidget;

namespace vorlin {

// The window's modal message boxes: the application title as caption and a single OK button.
// Each call returns when the user has dismissed the box; the event loop keeps running meanwhile.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A notice without an icon, as for the pad's acknowledgement.
    virtual void Inform(QWidget *parent, const QString &text) = 0;
    // Something went wrong and the user may need to act.
    virtual void Warn(QWidget *parent, const QString &text) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void Inform(QWidget *parent, const QString &text) override;
    void Warn(QWidget *parent, const QString &text) override;
};

// The application's title: the caption of every message box, and of the window followed by
// " v" and the version.
} // namespace vorlin
