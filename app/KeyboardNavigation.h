#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

namespace vorlin {

// Of `rects`, the one an arrow key leads to from rects[from], or -1 at an edge. A rectangle is a
// candidate when it starts beyond the middle of rects[from] in the arrow's direction and lies
// across from it (the two overlap sideways: same row for Left and Right, same column for Up and
// Down). The candidate with the smallest distance in the arrow's direction wins, then the one
// whose middle is closest sideways, then the earliest in the list.
int NearestInDirection(const QList<QRect> &rects, qsizetype from, int arrowKey);

// Moving around a window by keyboard. The window is cut into regions (a row of buttons, a grid
// of boxes, a keyboard): Tab and Shift+Tab go from region to region, the arrows from control to
// control inside a region, by position. Tab lands on the region's preferred control, or else on
// the one that last had the focus there, or else on the first usable one.
class KeyboardNavigation : public QObject {
    Q_OBJECT

public:
    struct Region {
        // The region's controls, in reading order; read each time, so they may follow the window.
        std::function<QList<QWidget *>()> members;
        // Where Tab lands when it is usable; may be empty.
        std::function<QWidget *()> entry;
    };

    explicit KeyboardNavigation(QWidget *owner);

    void AddRegion(Region region);

    // Tab (forward) or Shift+Tab from `from`: the focus goes to the next region, in turn, that has
    // a usable control. False when `from` is not a usable control, for Qt to handle as usual (the
    // focus control being hidden or disabled).
    bool MoveToNextRegion(QWidget *from, bool forward);

    // An arrow key on a control of a region moves within that region, and Return or Enter on a
    // button presses it as Space does. True when the event was taken.
    bool HandleKey(QWidget *control, QKeyEvent *event);

    static bool IsTab(const QKeyEvent &event);
    // The four arrow keys of the navigation block; the keypad's are keys like any other.
    static bool IsArrow(const QKeyEvent &event);

private:
    int RegionOf(const QWidget *widget) const;
    QList<QWidget *> UsableMembers(int region) const;
    QWidget *EntryOf(int region) const;
    bool MoveWithinRegion(QWidget *from, int arrowKey);
    void Remember(QWidget *now);

    QWidget *window;
    std::vector<Region> regions;
    std::vector<QPointer<QWidget>> lastFocused;
};

} // namespace vorlin
