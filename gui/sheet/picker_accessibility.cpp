#include "picker_accessibility.h"

#include <QAccessibleWidget>
#include <QDateTimeEdit>

namespace vexal {
namespace {

class CPickerAccessible : public QAccessibleWidget {
public:
    explicit CPickerAccessible(QDateTimeEdit* picker)
        : QAccessibleWidget(picker, QAccessible::SpinBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return Picker()->text();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << increaseAction() << decreaseAction();
    }
    void doAction(const QString& action) override {
        if (!Picker()->isEnabled()) return;
        if (action == increaseAction()) {
            Picker()->stepUp();
        } else if (action == decreaseAction()) {
            Picker()->stepDown();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    QDateTimeEdit* Picker() const { return static_cast<QDateTimeEdit*>(widget()); }
};

QAccessibleInterface* PickerFactory(const QString&, QObject* object) {
    auto* picker = qobject_cast<QDateTimeEdit*>(object);
    return picker != nullptr ? new CPickerAccessible(picker) : nullptr;
}

}  // namespace

void InstallPickerAccessibility() {
    static const bool installed = (QAccessible::installFactory(PickerFactory), true);
    (void)installed;
}

}  // namespace vexal
