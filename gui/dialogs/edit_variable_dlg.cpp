#include "edit_variable_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "dialog_support.h"
#include "user_prompts.h"
#include "variable_list_file.h"

namespace vexal {
namespace {

// The formats a kind of variable can be shown in, in list order, and the one it falls back
// to when its current format is not among them.
struct KindFormats {
    std::array<int, 5> formats;
    int count;
    int fallback;
};

constexpr int kBin = VARIABLE_FORMAT_BIN;
constexpr int kDec = VARIABLE_FORMAT_DEC;
constexpr int kHex = VARIABLE_FORMAT_HEX;

constexpr KindFormats kKindFormats[] = {
    {{kDec}, 1, kDec},                                                                // bit
    {{kBin, kDec, kHex}, 3, kHex},                                                    // byte
    {{kBin, kDec, kHex, VARIABLE_FORMAT_COUNTER, VARIABLE_FORMAT_S5_TIME}, 5, kHex},  // word
    {{kBin, kDec, kHex, VARIABLE_FORMAT_FLOAT, VARIABLE_FORMAT_POINTER}, 5, kHex},    // dword
    {{kBin, kHex, VARIABLE_FORMAT_COUNTER}, 3, VARIABLE_FORMAT_COUNTER},              // counter
    {{kBin, kHex, VARIABLE_FORMAT_S5_TIME}, 3, VARIABLE_FORMAT_S5_TIME},              // timer
};

const KindFormats* FormatsOfKind(uint8_t kind) {
    if (kind < VARIABLE_KIND_BIT || kind > VARIABLE_KIND_TIMER) return nullptr;
    return &kKindFormats[kind - VARIABLE_KIND_BIT];
}

std::wstring Wide(const QString& text) {
    return text.toStdWString();
}

}  // namespace

CEditVariableDlg::CEditVariableDlg(const PageContext& context, bool largeLayout, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("editVariableDlg"));
    setWindowTitle(tr("Edit Variable"));
    BuildControls(largeLayout);
}

void CEditVariableDlg::BuildControls(bool largeLayout) {
    auto* grid = new QGridLayout(this);
    addressEdit_ = new QLineEdit(this);
    addressEdit_->setObjectName(QStringLiteral("addressEdit"));
    checkButton_ = new QPushButton(tr("Check"), this);
    checkButton_->setObjectName(QStringLiteral("checkButton"));
    checkButton_->setAutoDefault(false);
    formatCombo_ = new QComboBox(this);
    formatCombo_->setObjectName(QStringLiteral("formatCombo"));
    modifyEdit_ = new QLineEdit(this);
    modifyEdit_->setObjectName(QStringLiteral("modifyEdit"));
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("buttonBox"));

    const struct {
        const char* caption;
        const char* name;
        QWidget* buddy;
    } rows[] = {{QT_TR_NOOP("Address"), "addressLabel", addressEdit_},
                {QT_TR_NOOP("Format"), "formatLabel", formatCombo_},
                {QT_TR_NOOP("Modify"), "modifyLabel", modifyEdit_}};
    int row = 0;
    for (const auto& entry : rows) {
        auto* label = new QLabel(tr(entry.caption), this);
        label->setObjectName(QString::fromLatin1(entry.name));
        label->setBuddy(entry.buddy);
        entry.buddy->setAccessibleName(label->text());
        grid->addWidget(label, row, 0);
        grid->addWidget(entry.buddy, row, 1);
        ++row;
    }
    grid->addWidget(checkButton_, 0, 2);
    grid->addWidget(buttons_, row, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    if (largeLayout) {
        grid->setSpacing(10);
        setMinimumWidth(420);
    } else {
        grid->setContentsMargins(4, 4, 4, 4);
        setMaximumWidth(236);
    }
    for (QLineEdit* edit : {addressEdit_, modifyEdit_}) FollowFocusWithSoftInput(edit);
    connect(checkButton_, &QPushButton::clicked, this, &CEditVariableDlg::OnCheck);
    connect(formatCombo_, &QComboBox::activated, this, &CEditVariableDlg::OnFormatChanged);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CEditVariableDlg::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CEditVariableDlg::reject);
}

void CEditVariableDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (initialised_) return;
    initialised_ = true;
    OnInitDialog();
}

void CEditVariableDlg::OnInitDialog() {
    ShowTexts();
    descriptor.value = &modifyValue;
    modifyValue = 0;
    const bool known = FormatsOfKind(descriptor.kind) != nullptr;
    if (known) {
        ShowCanonicalAddress();
        FillFormatList();
    } else {
        format = 0;
        formatCombo_->clear();
    }
    EnableValueControls(known);
    addressEdit_->setFocus();
}

// The soft keyboard shows while an edit field has the focus.
void CEditVariableDlg::OnCheck() {
    TakeTexts();
    switch (CheckAddress()) {
        case kValid:
            EnableValueControls(true);
            ShowCanonicalAddress();
            FillFormatList();
            break;
        case kInvalid:
            formatCombo_->clear();
            EnableValueControls(false);
            break;
        case kEmpty:
            break;
    }
}

void CEditVariableDlg::OnFormatChanged(int index) {
    format = formatCombo_->itemData(index).toInt();
}

void CEditVariableDlg::accept() {
    TakeTexts();
    const CheckResult result = CheckAddress();
    if (result == kInvalid) return;
    if (result == kEmpty) {
        descriptor.kind = VARIABLE_KIND_NONE;
        format = 0;
        QDialog::accept();
        return;
    }
    EnableValueControls(true);
    ShowCanonicalAddress();
    FillFormatList();
    if (modifyText.isEmpty()) {
        hasModify = false;
        QDialog::accept();
        return;
    }
    modifyText = modifyText.trimmed();
    if (cpuLink_SetVariableValueFromStringW(&descriptor, Wide(modifyText).c_str()) == 0) {
        context_.prompts.ShowMessage(tr("Wrong Value"));
        modifyEdit_->setFocus();
        return;
    }
    hasModify = true;
    QDialog::accept();
}

CEditVariableDlg::CheckResult CEditVariableDlg::CheckAddress() {
    if (addressText.isEmpty()) return kEmpty;
    VariableDescriptor parsed = descriptor;
    if (cpuLink_ParseVariableW(&parsed, Wide(addressText).c_str()) != 0 &&
        parsed.elementCount == 1) {
        descriptor = parsed;
        descriptor.value = &modifyValue;
        return kValid;
    }
    context_.prompts.ShowMessage(tr("Wrong Variable"));
    addressEdit_->setFocus();
    return kInvalid;
}

void CEditVariableDlg::ShowCanonicalAddress() {
    wchar_t text[CPULINK_ADDRESS_TEXT_CAPACITY] = {};
    cpuLink_FormatVariable(text, CPULINK_ADDRESS_TEXT_CAPACITY, &descriptor);
    addressText = QString::fromWCharArray(text);
    ShowTexts();
}

void CEditVariableDlg::FillFormatList() {
    formatCombo_->clear();
    const KindFormats* kind = FormatsOfKind(descriptor.kind);
    if (kind == nullptr) {
        format = 0;
        return;
    }
    int current = -1;
    int fallback = 0;
    for (int index = 0; index < kind->count; ++index) {
        const int code = kind->formats[static_cast<size_t>(index)];
        formatCombo_->addItem(QString::fromWCharArray(VariableFormatName(code)), code);
        if (code == format) current = index;
        if (code == kind->fallback) fallback = index;
    }
    if (current < 0) {
        current = fallback;
        format = kind->fallback;
    }
    formatCombo_->setCurrentIndex(current);
}

void CEditVariableDlg::EnableValueControls(bool enable) {
    formatCombo_->setEnabled(enable);
    modifyEdit_->setEnabled(enable);
}

void CEditVariableDlg::TakeTexts() {
    addressText = addressEdit_->text();
    modifyText = modifyEdit_->text();
}

void CEditVariableDlg::ShowTexts() {
    addressEdit_->setText(addressText);
    modifyEdit_->setText(modifyText);
}

}  // namespace vexal
