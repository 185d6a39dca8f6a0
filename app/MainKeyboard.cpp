// The window's keyboard side: how the focus moves (regions, arrows, Return), typing a combination
// into a slot box, and what screen readers are told about the slot being edited.
#include "app/Main.h"

#include "app/KeyboardNavigation.h"
#include "app/PhysicalKeyTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

using vorlin::KeyboardNavigation;

namespace {

const QString kEditing = QStringLiteral("正在编辑");
const QString kWritesTo = QStringLiteral("写入 ");
const QString kNoSlotChosen = QStringLiteral("未选择槽位");

} // namespace

void Main::SetUpKeyboard() {
    navigation = new KeyboardNavigation(this);
    // Tab goes round these regions in reading order. The port box, and the tab strip with its
    // arrows for the pages, keep their own arrow keys.
    navigation->AddRegion({[this] { return QList<QWidget *>{Combo1}; }, {}});
    navigation->AddRegion(
        {[this] {
             return QList<QWidget *>{Command1, Command2, GetSn, sendsettings, Check1};
         },
         {}});
    navigation->AddRegion({[this] { return QList<QWidget *>{NewTab1->tabBar()}; }, {}});
    navigation->AddRegion(
        {[this] { return ShownSlotControls(); }, [this] { return SlotGridEntry(); }});
    navigation->AddRegion(
        {[this] { return QList<QWidget *>{LayerCheck(NewTab1->currentIndex() + 1)}; }, {}});
    navigation->AddRegion({[this] { return QList<QWidget *>(SetKey.begin(), SetKey.end()); }, {}});

    QList<QWidget *> buttons = {Command1, Command2, GetSn, sendsettings, Check1};
    for (int layer = 1; layer <= kLayerCount; ++layer) {
        buttons += QList<QWidget *>(LayerBackspaces(layer).begin(), LayerBackspaces(layer).end());
        buttons << LayerCheck(layer);
    }
    buttons += QList<QWidget *>(SetKey.begin(), SetKey.end());
    for (QWidget *button : buttons)
        button->installEventFilter(this);
    DescribeEditedSlot();
}

QList<QWidget *> Main::ShownSlotControls() {
    const int layer = NewTab1->currentIndex() + 1;
    QList<QWidget *> controls;
    for (int i = 0; i < kSlotCount; ++i)
        controls << LayerValues(layer).at(i) << LayerBackspaces(layer).at(i);
    return controls;
}

QWidget *Main::SlotGridEntry() {
    return LayerValues(NewTab1->currentIndex() + 1).at(focusedSlot.focusedSlotIndex);
}

void Main::DescribeEditedSlot() {
    // Each change is an event for screen readers; the 182 controls are told only what changed.
    const auto describe = [](QWidget *control, const QString &text) {
        if (control->accessibleDescription() != text)
            control->setAccessibleDescription(text);
    };
    const QLineEdit *edited = vorlin::FocusedBox(focusedSlot, AllValues());
    for (const vorlin::SlotBoxes &values : AllValues()) {
        for (QLineEdit *box : values)
            describe(box, box == edited ? kEditing : QString());
    }
    const QString target = edited != nullptr ? kWritesTo + edited->accessibleName() : kNoSlotChosen;
    for (QPushButton *key : SetKey)
        describe(key, target);
}

bool Main::eventFilter(QObject *watched, QEvent *event) {
    auto *box = qobject_cast<QLineEdit *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        // Only the user's own moves choose a slot. Qt also hands the focus to a box of the page
        // being brought to the front, which must leave the slot being edited alone.
        if (box != nullptr) {
            switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::MouseFocusReason:
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason:
                OnSlotBoxFocused(box);
                break;
            default:
                break;
            }
        }
        break;
    case QEvent::FocusOut:
        if (box != nullptr)
            typedChord.Cancel();
        break;
    case QEvent::ContextMenu:
        // The platform turns the menu key into a context menu besides the key itself. In a slot
        // box that key is typed like any other (MENU); the right mouse button keeps the menu.
        if (box != nullptr &&
            static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
            return true;
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (box != nullptr)
            return OnSlotBoxKey(box, key);
        if (event->type() != QEvent::ShortcutOverride)
            return navigation->HandleKey(static_cast<QWidget *>(watched), key);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool Main::focusNextPrevChild(bool next) {
    if (navigation != nullptr && navigation->MoveToNextRegion(focusWidget(), next))
        return true;
    return QWidget::focusNextPrevChild(next);
}

bool Main::OnSlotBoxKey(QLineEdit *box, QKeyEvent *event) {
    // Tab and the arrows keep navigating; a combination being typed does not survive them.
    if (KeyboardNavigation::IsTab(*event) || KeyboardNavigation::IsArrow(*event)) {
        typedChord.Cancel();
        return event->type() != QEvent::ShortcutOverride && navigation->HandleKey(box, event);
    }
    // Every other key belongs to the combination: none reaches the box as text or as an editing
    // command, and no shortcut takes it away.
    event->accept();
    if (event->type() == QEvent::ShortcutOverride || event->isAutoRepeat())
        return true;
    const QString token = vorlin::PhysicalKeyToken(*event);
    if (event->type() == QEvent::KeyPress) {
        typedChord.Press(token);
        return true;
    }
    const QStringList chord = typedChord.Release(token);
    if (chord.isEmpty())
        return true;
    // The box with the focus is the slot being edited.
    if (vorlin::FocusedBox(focusedSlot, AllValues()) != box)
        OnSlotBoxFocused(box);
    for (const QString &typed : chord)
        vorlin::AppendTokenToFocusedSlot(focusedSlot, AllValues(), typed);
    return true;
}
