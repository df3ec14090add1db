// The password dialog ("Options"): the password sent by the login that follows a connect.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace vexal {

class CPasswordDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 102;

    CPasswordDlg(bool largeLayout, QWidget* parent);

    // Shows `password` in the edit and runs the dialog; on OK `password` holds the text.
    int DoModal();

    void accept() override;

    QString password;

private:
    QLineEdit* passwordEdit_;
};

}  // namespace vexal
