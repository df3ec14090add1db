#include "dialog_support.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QPushButton>

namespace vexal {
namespace {

class CSoftInputFollower : public QObject {
public:
    explicit CSoftInputFollower(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) QGuiApplication::inputMethod()->show();
        if (event->type() == QEvent::FocusOut) QGuiApplication::inputMethod()->hide();
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void FollowFocusWithSoftInput(QWidget* edit) {
    edit->installEventFilter(new CSoftInputFollower(edit));
}

void AddOkCancelButtons(QDialog* dialog, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("dialogButtons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

void ApplyDialogLayout(QDialog* dialog, QBoxLayout* layout, bool largeLayout) {
    const int margin = largeLayout ? 16 : 6;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(largeLayout ? 12 : 6);
    // The small screen is 240 pixels wide; a dialog must fit on it with its frame.
    if (largeLayout) {
        dialog->setMinimumWidth(360);
    } else {
        dialog->setMaximumWidth(232);
    }
}

}  // namespace vexal
