#include "app/KeyboardNavigation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace vorlin {
namespace {

bool IsUsable(const QWidget *widget) {
    return widget != nullptr && widget->isEnabled() && widget->isVisibleTo(widget->window());
}

bool IsReturn(const QKeyEvent &event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           modifiers == Qt::NoModifier;
}

// How far, and how far sideways, `candidate` lies from `origin` towards an arrow; none when it
// is not a candidate.
std::optional<std::pair<int, int>> Distance(const QRect &origin, const QRect &candidate,
                                            int arrowKey) {
    const bool horizontal = arrowKey == Qt::Key_Left || arrowKey == Qt::Key_Right;
    const int overlap =
        horizontal ? std::min(origin.y() + origin.height(), candidate.y() + candidate.height()) -
                         std::max(origin.y(), candidate.y())
                   : std::min(origin.x() + origin.width(), candidate.x() + candidate.width()) -
                         std::max(origin.x(), candidate.x());
    if (overlap <= 0)
        return std::nullopt;
    const QPoint middle = origin.center();
    int along = 0;
    switch (arrowKey) {
    case Qt::Key_Right:
        along = candidate.x() - (origin.x() + origin.width());
        if (candidate.x() < middle.x())
            return std::nullopt;
        break;
    case Qt::Key_Left:
        along = origin.x() - (candidate.x() + candidate.width());
        if (candidate.x() + candidate.width() > middle.x())
            return std::nullopt;
        break;
    case Qt::Key_Down:
        along = candidate.y() - (origin.y() + origin.height());
        if (candidate.y() < middle.y())
            return std::nullopt;
        break;
    case Qt::Key_Up:
        along = origin.y() - (candidate.y() + candidate.height());
        if (candidate.y() + candidate.height() > middle.y())
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    const int sideways = horizontal ? std::abs(candidate.center().y() - middle.y())
                                    : std::abs(candidate.center().x() - middle.x());
    return std::pair{along, sideways};
}

} // namespace

int NearestInDirection(const QList<QRect> &rects, qsizetype from, int arrowKey) {
    int nearest = -1;
    std::pair<int, int> best;
    for (qsizetype i = 0; i < rects.size(); ++i) {
        if (i == from)
            continue;
        const auto distance = Distance(rects.at(from), rects.at(i), arrowKey);
        if (distance && (nearest < 0 || *distance < best)) {
            nearest = static_cast<int>(i);
            best = *distance;
        }
    }
    return nearest;
}

KeyboardNavigation::KeyboardNavigation(QWidget *owner) : QObject(owner), window(owner) {
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { Remember(now); });
}

void KeyboardNavigation::AddRegion(Region region) {
    regions.push_back(std::move(region));
    lastFocused.emplace_back();
}

bool KeyboardNavigation::IsTab(const QKeyEvent &event) {
    return event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
}

bool KeyboardNavigation::IsArrow(const QKeyEvent &event) {
    switch (event.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return !event.modifiers().testFlag(Qt::KeypadModifier);
    default:
        return false;
    }
}

bool KeyboardNavigation::MoveToNextRegion(QWidget *from, bool forward) {
    if (!IsUsable(from))
        return false;
    const int count = static_cast<int>(regions.size());
    const int current = RegionOf(from);
    // From outside every region, the first region forwards or the last backwards comes first.
    const int base = current >= 0 ? current : (forward ? -1 : count);
    for (int step = 1; step <= count; ++step) {
        const int region = ((base + (forward ? step : -step)) % count + count) % count;
        if (region == current)
            break;
        if (QWidget *entry = EntryOf(region)) {
            entry->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

bool KeyboardNavigation::HandleKey(QWidget *control, QKeyEvent *event) {
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease)
        return false;
    if (IsArrow(*event) && RegionOf(control) >= 0) {
        // Taken even at a region's edge: Qt would otherwise move a button's focus along the
        // whole window.
        if (press)
            MoveWithinRegion(control, event->key());
        return true;
    }
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (button == nullptr || !IsReturn(*event))
        return false;
    // Down on the press, clicked on the release, as with Space.
    if (event->isAutoRepeat())
        return true;
    if (press) {
        button->setDown(true);
    } else if (button->isDown()) {
        button->setDown(false);
        button->click();
    }
    return true;
}

int KeyboardNavigation::RegionOf(const QWidget *widget) const {
    if (widget == nullptr)
        return -1;
    for (std::size_t region = 0; region < regions.size(); ++region) {
        for (const QWidget *member : regions[region].members()) {
            if (member == widget || member->isAncestorOf(widget))
                return static_cast<int>(region);
        }
    }
    return -1;
}

QList<QWidget *> KeyboardNavigation::UsableMembers(int region) const {
    QList<QWidget *> usable = regions.at(region).members();
    usable.removeIf([](const QWidget *member) { return !IsUsable(member); });
    return usable;
}

QWidget *KeyboardNavigation::EntryOf(int region) const {
    const QList<QWidget *> usable = UsableMembers(region);
    if (usable.isEmpty())
        return nullptr;
    for (QWidget *preferred : {regions.at(region).entry ? regions.at(region).entry() : nullptr,
                               lastFocused.at(region).data()}) {
        if (preferred != nullptr && usable.contains(preferred))
            return preferred;
    }
    return usable.first();
}

bool KeyboardNavigation::MoveWithinRegion(QWidget *from, int arrowKey) {
    const int region = RegionOf(from);
    if (region < 0)
        return false;
    const QList<QWidget *> usable = UsableMembers(region);
    const qsizetype origin = usable.indexOf(from);
    if (origin < 0)
        return false;
    QList<QRect> rects;
    for (const QWidget *member : usable)
        rects.append(QRect(member->mapTo(window, QPoint(0, 0)), member->size()));
    const int target = NearestInDirection(rects, origin, arrowKey);
    if (target < 0)
        return false;
    const bool backwards = arrowKey == Qt::Key_Left || arrowKey == Qt::Key_Up;
    usable.at(target)->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

void KeyboardNavigation::Remember(QWidget *now) {
    const int region = RegionOf(now);
    if (region >= 0)
        lastFocused.at(region) = now;
}

} // namespace vorlin
