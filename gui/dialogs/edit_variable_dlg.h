// The "Edit Variable" dialog: one variable's address, display format and optional modify
// value. It checks the address with the communication library, offers the formats that
// suit the variable's kind and converts the modify value before it closes with OK.
#pragma once

#include <QDialog>
#include <cstdint>

#include "cpulink.h"
#include "page_context.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;

namespace vexal {

class CEditVariableDlg : public QDialog {
    Q_OBJECT

public:
    CEditVariableDlg(const PageContext& context, bool largeLayout, QWidget* parent = nullptr);

    // Before the dialog runs: an existing variable's descriptor, format and modify text, or
    // a descriptor of kind 0 for a new one. After OK: the variable, format 0 meaning
    // "none", the canonical address and the converted modify value.
    QString addressText;
    QString modifyText;
    VariableDescriptor descriptor{};
    int format = 0;
    uint32_t modifyValue = 0;
    bool hasModify = false;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum CheckResult { kInvalid = -1, kEmpty = 0, kValid = 1 };

    void BuildControls(bool largeLayout);
    void OnInitDialog();
    void OnCheck();
    void OnFormatChanged(int index);
    CheckResult CheckAddress();
    void ShowCanonicalAddress();
    void FillFormatList();
    void EnableValueControls(bool enable);
    void TakeTexts();
    void ShowTexts();

    PageContext context_;
    QLineEdit* addressEdit_;
    QPushButton* checkButton_;
    QComboBox* formatCombo_;
    QLineEdit* modifyEdit_;
    QDialogButtonBox* buttons_;
    bool initialised_ = false;
};

}  // namespace vexal
