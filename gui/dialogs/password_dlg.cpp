#include "password_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialog_support.h"

namespace vexal {

CPasswordDlg::CPasswordDlg(bool largeLayout, QWidget* parent)
    : QDialog(parent), passwordEdit_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("passwordDlg"));
    setWindowTitle(tr("Options"));
    auto* label = new QLabel(tr("Password"), this);
    label->setObjectName(QStringLiteral("passwordLabel"));
    label->setBuddy(passwordEdit_);
    passwordEdit_->setObjectName(QStringLiteral("passwordEdit"));
    passwordEdit_->setAccessibleName(tr("Password"));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    FollowFocusWithSoftInput(passwordEdit_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(passwordEdit_);
    AddOkCancelButtons(this, layout);
    ApplyDialogLayout(this, layout, largeLayout);
}

int CPasswordDlg::DoModal() {
    passwordEdit_->setText(password);
    passwordEdit_->selectAll();
    passwordEdit_->setFocus();
    return exec();
}

void CPasswordDlg::accept() {
    password = passwordEdit_->text();
    QDialog::accept();
}

}  // namespace vexal
