#include "station_ip_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cstdio>

#include "dialog_support.h"
#include "vexal_types.h"

namespace vexal {
namespace {

constexpr int kOctetLength = 3;

const char* const kOctetNames[CStationIpDlg::kOctets] = {
    QT_TRANSLATE_NOOP("vexal::CStationIpDlg", "First octet"),
    QT_TRANSLATE_NOOP("vexal::CStationIpDlg", "Second octet"),
    QT_TRANSLATE_NOOP("vexal::CStationIpDlg", "Third octet"),
    QT_TRANSLATE_NOOP("vexal::CStationIpDlg", "Fourth octet")};

}  // namespace

std::optional<uint8_t> OctetValue(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    unsigned value = 0;
    char after = 0;
    if (bytes.isEmpty() || std::sscanf(bytes.constData(), "%u%c", &value, &after) != 1 ||
        value > 255) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(value);
}

CStationIpDlg::CStationIpDlg(bool largeLayout, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("stationIpDlg"));
    setWindowTitle(tr("Station IP"));
    auto* row = new QHBoxLayout;
    row->setSpacing(largeLayout ? 6 : 2);
    for (int index = 0; index < kOctets; ++index) {
        if (index > 0) row->addWidget(new QLabel(QStringLiteral("."), this));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("octet%1Edit").arg(index + 1));
        edit->setAccessibleName(tr(kOctetNames[index]));
        edit->setMaxLength(kOctetLength);
        edit->setAlignment(Qt::AlignCenter);
        edit->setInputMethodHints(Qt::ImhPreferNumbers);
        FollowFocusWithSoftInput(edit);
        row->addWidget(edit);
        octetEdits_[static_cast<size_t>(index)] = edit;
        if (index + 1 < kOctets) {
            connect(edit, &QLineEdit::textChanged, this, [this, index] { OnOctetChanged(index); });
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    AddOkCancelButtons(this, layout);
    ApplyDialogLayout(this, layout, largeLayout);
}

int CStationIpDlg::DoModal() {
    for (int index = 0; index < kOctets; ++index) {
        octetEdits_[static_cast<size_t>(index)]->setText(
            QString::number(StationKey_Octet(ipAddress, index)));
    }
    octetEdits_[0]->selectAll();
    octetEdits_[0]->setFocus();
    return exec();
}

void CStationIpDlg::ReadOctets() {
    for (size_t index = 0; index < octetText.size(); ++index) {
        octetText[index] = octetEdits_[index]->text();
    }
}

void CStationIpDlg::OnOctetChanged(int index) {
    ReadOctets();
    const QString& text = octetText[static_cast<size_t>(index)];
    if (text.size() == kOctetLength && OctetValue(text)) {
        octetEdits_[static_cast<size_t>(index) + 1]->setFocus(Qt::TabFocusReason);
    }
}

void CStationIpDlg::accept() {
    ReadOctets();
    uint32_t address = 0;
    for (size_t index = 0; index < octetText.size(); ++index) {
        const std::optional<uint8_t> octet = OctetValue(octetText[index]);
        if (!octet) {
            octetEdits_[index]->selectAll();
            octetEdits_[index]->setFocus();
            return;
        }
        address |= static_cast<uint32_t>(*octet) << (8 * index);
    }
    ipAddress = address;
    QDialog::accept();
}

}  // namespace vexal
