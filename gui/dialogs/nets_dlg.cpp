#include "nets_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>
#include <cwchar>
#include <vector>

#include "dialog_support.h"
#include "eth_discovery.h"

namespace vexal {
namespace {

constexpr const char* kRawFramesDenied = QT_TRANSLATE_NOOP(
    "vexal::CNetsDlg",
    "Ethernet discovery may not send raw frames: give the program CAP_NET_RAW or run it as "
    "root.");

}  // namespace

CNetsDlg::CNetsDlg(const NetworkState& networks, bool largeLayout, QWidget* parent)
    : QDialog(parent),
      networks_(networks),
      mpiCheck_(new QCheckBox(QStringLiteral("MPI"), this)),
      tcpCheck_(new QCheckBox(QStringLiteral("TCP"), this)),
      adapterCombo_(new QComboBox(this)),
      rawFramesNote_(new QLabel(tr(kRawFramesDenied), this)) {
    setObjectName(QStringLiteral("netsDlg"));
    setWindowTitle(tr("Nets"));
    mpiCheck_->setObjectName(QStringLiteral("mpiCheck"));
    tcpCheck_->setObjectName(QStringLiteral("tcpCheck"));
    adapterCombo_->setObjectName(QStringLiteral("adapterCombo"));
    adapterCombo_->setAccessibleName(tr("Ethernet adapter"));
    adapterCombo_->setEditable(false);
    adapterCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    adapterCombo_->setMinimumContentsLength(8);
    rawFramesNote_->setObjectName(QStringLiteral("rawFramesNote"));
    rawFramesNote_->setWordWrap(true);
    connect(tcpCheck_, &QCheckBox::clicked, this, &CNetsDlg::OnTcpClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mpiCheck_);
    layout->addWidget(tcpCheck_);
    layout->addWidget(adapterCombo_);
    layout->addWidget(rawFramesNote_);
    AddOkCancelButtons(this, layout);
    ApplyDialogLayout(this, layout, largeLayout);
}

int CNetsDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CNetsDlg::OnInitDialog() {
    choice.mpiOn = networks_.mpiEnabled;
    mpiCheck_->setChecked(choice.mpiOn);
    mpiCheck_->setEnabled(networks_.mpiAvailable);
    choice.tcpOn = networks_.ethernetEnabled;
    adapterCombo_->clear();
    tcpCheck_->setChecked(choice.tcpOn);
    const bool adapters = networks_.ethernetAvailable && ListAdapters();
    tcpCheck_->setEnabled(adapters);
    adapterCombo_->setEnabled(adapters && tcpCheck_->isChecked());
    rawFramesNote_->setVisible(networks_.rawFramesDenied);
}

// Selects the last entry named exactly as the current Ethernet adapter, else the first.
bool CNetsDlg::ListAdapters() {
    std::vector<wchar_t> names(kAdapterListCapacity);
    const int count = CEthDiscovery::ListAdapters(names.data(), kAdapterListCapacity);
    if (count < 1) return false;
    int selected = 0;
    const wchar_t* name = names.data();
    for (int index = 0; index < count; ++index) {
        const QString text = QString::fromWCharArray(name);
        adapterCombo_->addItem(text);
        if (text == networks_.ethernetIface) selected = index;
        name += std::wcslen(name) + 1;
    }
    adapterCombo_->setCurrentIndex(selected);
    return true;
}

void CNetsDlg::OnTcpClicked() {
    adapterCombo_->setEnabled(tcpCheck_->isChecked());
}

void CNetsDlg::accept() {
    if (tcpCheck_->isEnabled()) {
        choice.tcpOn = tcpCheck_->isChecked();
        choice.chosenAdapter = adapterCombo_->currentText();
    }
    if (mpiCheck_->isEnabled()) choice.mpiOn = mpiCheck_->isChecked();
    QDialog::accept();
}

}  // namespace vexal
