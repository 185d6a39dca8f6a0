#include "app/AccessibleInterfaces.h"

#include "app/Main.h"
#include "app/PortBox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QLineEdit>

namespace vorlin {
namespace {

// The port box as a combo box named by its accessible name, its value the text in it; its
// children are the drop-down list and the text field, as for any combo box.
class AccessiblePortBox final : public QAccessibleWidget {
public:
    explicit AccessiblePortBox(PortBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
        case QAccessible::Name:
            return Box()->accessibleName();
        case QAccessible::Value:
            return Box()->currentText();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    int childCount() const override { return Box()->lineEdit() != nullptr ? 2 : 1; }

    QAccessibleInterface *child(int index) const override {
        QObject *child = index == 0   ? static_cast<QObject *>(Box()->view())
                         : index == 1 ? static_cast<QObject *>(Box()->lineEdit())
                                      : nullptr;
        return child != nullptr ? QAccessible::queryAccessibleInterface(child) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override {
        if (child == nullptr)
            return -1;
        if (child->object() == Box()->view())
            return 0;
        if (Box()->lineEdit() != nullptr && child->object() == Box()->lineEdit())
            return 1;
        return -1;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Box()->view()->isVisible();
        state.editable = Box()->isEditable();
        return state;
    }

    QStringList actionNames() const override {
        return {showMenuAction(), pressAction(), setFocusAction()};
    }

    void doAction(const QString &action) override {
        if (action == showMenuAction() || action == pressAction()) {
            if (Box()->view()->isVisible())
                Box()->hidePopup();
            else
                Box()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString & /*actionName*/) const override { return {}; }

private:
    PortBox *Box() const { return static_cast<PortBox *>(widget()); }
};

QAccessibleInterface *Factory(const QString &className, QObject *object) {
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String(Main::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    if (className == QLatin1String(PortBox::staticMetaObject.className()))
        return new AccessiblePortBox(static_cast<PortBox *>(object));
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vorlin
