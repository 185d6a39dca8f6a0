#pragma once

#include "app/Main.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace vorlin::test {

// A machine without serial ports, so that window tests never depend on (or open) the ports of
// the machine they run on.
class NoPorts : public vorlin::PortDirectory {
public:
    QList<vorlin::PortEntry> List() const override { return {}; }
};

inline std::unique_ptr<Main> MakeMain() {
    Main::Dependencies dependencies;
    dependencies.ports = std::make_unique<NoPorts>();
    return std::make_unique<Main>(std::move(dependencies));
}

// A twips value as the window should show it in logical pixels (15 twips a pixel, rounded).
inline int Px(int twips) {
    return qRound(twips / 15.0);
}
inline QPoint PxPoint(int left, int top) {
    return {Px(left), Px(top)};
}

// The window enables the layer pages and the key buttons only while a port is open. Editing
// tests have no port: they switch the editing controls on themselves, and keep the poll from
// switching them off again.
inline void EnableEditing(Main &main) {
    main.Timer1->stop();
    main.NewTab1->setEnabled(true);
    for (QPushButton *button : main.SetKey)
        button->setEnabled(true);
}

// Shows the window and makes it the active one, so that clicks move the input focus.
[[nodiscard]] inline bool ShowActive(Main &main) {
    main.show();
    main.activateWindow();
    return QTest::qWaitForWindowActive(&main);
}

inline QPushButton *KeyButtonWithToken(Main &main, const QString &token) {
    for (QPushButton *button : main.SetKey) {
        if (button->property("Tag").toString() == token)
            return button;
    }
    return nullptr;
}

inline void Click(QWidget *widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

inline void ShowPage(Main &main, int layer) {
    QTabBar *bar = main.NewTab1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(layer - 1).center());
}

} // namespace vorlin::test
