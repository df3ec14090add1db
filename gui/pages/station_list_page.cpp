#include "station_list_page.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "main_app.h"
#include "nets_dlg.h"
#include "page_controls.h"
#include "password_dlg.h"
#include "sheet_images.h"
#include "station_ip_dlg.h"

namespace vexal {
namespace {

StationKey KeyOf(const QListWidgetItem* row) {
    return row->data(Qt::UserRole).toUInt();
}

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

constexpr const char* kConnectCaptions[] = {
    QT_TRANSLATE_NOOP("vexal::CStationListPage", "Connect"),
    QT_TRANSLATE_NOOP("vexal::CStationListPage", "Connect..."),
    QT_TRANSLATE_NOOP("vexal::CStationListPage", "Disconnect")};

// Four buttons share the 240 pixels of the small screen: each may shrink down to its
// widest caption and a little room around it.
void FitIntoRow(QPushButton* button) {
    constexpr int kRoomAroundCaption = 12;
    const QFontMetrics metrics = button->fontMetrics();
    int widest = metrics.horizontalAdvance(button->text());
    if (button->objectName() == QLatin1String("connectButton")) {
        for (const char* caption : kConnectCaptions) {
            widest = std::max(widest, metrics.horizontalAdvance(CStationListPage::tr(caption)));
        }
    }
    button->setMinimumWidth(widest + kRoomAroundCaption);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

}  // namespace

CStationListPage::CStationListPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId), refresh_(CTickPace::kOnce, CTickPace::kWait) {
    setObjectName(QStringLiteral("stationListPage"));
    BuildControls();
}

void CStationListPage::BuildControls() {
    stationList_ = new QListWidget(this);
    stationList_->setObjectName(QStringLiteral("stationList"));
    stationList_->setAccessibleName(tr("Stations"));
    stationList_->setViewMode(QListView::ListMode);
    stationList_->setSelectionMode(QAbstractItemView::SingleSelection);
    stationRows_ = stationList_->viewport();
    stationRows_->installEventFilter(this);
    stationList_->installEventFilter(this);
    connect(stationList_, &QListWidget::itemSelectionChanged, this,
            &CStationListPage::UpdateConnectButton);

    refreshButton_ = MakeButton(tr("Refresh"), "refreshButton", this);
    connectButton_ = MakeButton(tr(kConnectCaptions[0]), "connectButton", this);
    optionsButton_ = MakeButton(IsLargeLayout() ? tr("Options") : tr("Opt"), "optionsButton", this);
    optionsButton_->setCheckable(true);
    netsButton_ = MakeButton(tr("Nets"), "netsButton", this);
    connect(refreshButton_, &QPushButton::clicked, this, &CStationListPage::RefreshStations);
    connect(connectButton_, &QPushButton::clicked, this, &CStationListPage::OnConnect);
    // Toggled, not clicked: the accessibility toggle action changes the state without a click.
    connect(optionsButton_, &QPushButton::toggled, this, &CStationListPage::OnOptions);
    connect(netsButton_, &QPushButton::clicked, this, &CStationListPage::OnNets);

    // Small screens: the buttons in one row under the list; large ones: a column beside it.
    const bool large = IsLargeLayout();
    auto* page = new QBoxLayout(large ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    auto* buttons = new QBoxLayout(large ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    page->setContentsMargins(large ? 8 : 2, large ? 8 : 2, large ? 8 : 2, large ? 8 : 2);
    buttons->setSpacing(large ? 8 : 2);
    page->addWidget(stationList_, 1);
    for (QPushButton* button : {refreshButton_, connectButton_, optionsButton_, netsButton_}) {
        if (!large) FitIntoRow(button);
        buttons->addWidget(button);
    }
    if (large) buttons->addStretch(1);
    page->addLayout(buttons);
}

void CStationListPage::OnInitDialog() {
    stationList_->setIconSize(QSize(CSheetImages::kImageWidth, CSheetImages::kImageWidth));
    refresh_.Stop();
}

bool CStationListPage::OnSetActive() {
    refresh_.RunOnNextTick();
    return CSheetPage::OnSetActive();
}

void CStationListPage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    switch (code) {
        case kPageTick:
            if (refresh_.Tick(true)) RefreshStations();
            break;
        case kPageConnected:
            UpdateConnectButton();
            SetNetworkButtonsEnabled(false);
            break;
        case kPageDisconnected:
            UpdateConnectButton();
            SetNetworkButtonsEnabled(true);
            break;
        default:
            break;
    }
}

// A double click (on a row or beside the rows) and Enter in the list connect.
bool CStationListPage::eventFilter(QObject* watched, QEvent* event) {
    const bool doubleClick =
        watched == stationRows_ && event->type() == QEvent::MouseButtonDblClick;
    bool enter = false;
    if (watched == stationList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    if ((doubleClick || enter) && !connected) OnConnect();
    return enter || CSheetPage::eventFilter(watched, event);
}

void CStationListPage::SetNetworkButtonsEnabled(bool enabled) {
    for (QPushButton* button : {optionsButton_, netsButton_, refreshButton_}) {
        button->setEnabled(enabled);
    }
}

void CStationListPage::UpdateConnectButton() {
    if (connected) {
        connectButton_->setText(tr(kConnectCaptions[2]));
        connectButton_->setEnabled(true);
    } else if (!stationList_->selectedItems().isEmpty()) {
        connectButton_->setText(tr(kConnectCaptions[0]));
        connectButton_->setEnabled(true);
    } else if (App().Networks().State().ethernetEnabled) {
        connectButton_->setText(tr(kConnectCaptions[1]));
        connectButton_->setEnabled(true);
    } else {
        connectButton_->setEnabled(false);
    }
}

QListWidgetItem* CStationListPage::AddStationRow(const QString& text, StationKey key) {
    auto* row = new QListWidgetItem(Images().Icon(kStationImage), text, stationList_);
    row->setData(Qt::UserRole, key);
    return row;
}

void CStationListPage::RefreshStations() {
    CWaitCursor wait(Prompts());
    const QList<QListWidgetItem*> selected = stationList_->selectedItems();
    const bool remembers = !selected.isEmpty();
    const StationKey remembered = remembers ? KeyOf(selected.front()) : 0;
    refresh_.Stop();
    stationList_->clear();

    QListWidgetItem* reselect = nullptr;
    MpiStations mpi{};
    if (App().Networks().ScanMpiStations(&mpi)) {
        for (int index = 0; index < mpi.count; ++index) {
            const int address = mpi.addresses[index];
            QListWidgetItem* row =
                AddStationRow(StationText(static_cast<StationKey>(address)), address);
            if (remembers && static_cast<StationKey>(address) == remembered) reselect = row;
        }
    }
    EthernetStations ethernet{};
    if (App().Networks().ScanEthernetStations(&ethernet)) {
        AddEthernetRows(ethernet, remembers ? remembered : 0, &reselect);
    }
    if (reselect != nullptr) reselect->setSelected(true);
    UpdateConnectButton();
}

// Ordered by key as an unsigned number, so on one subnet by the last octet; a key below
// the first IP key would read as an MPI address and is left out.
void CStationListPage::AddEthernetRows(const EthernetStations& found, StationKey remembered,
                                       QListWidgetItem** reselect) {
    const int taken = std::min(found.count, kMaxEthernetRows);
    std::vector<StationKey> keys;
    keys.reserve(static_cast<size_t>(taken));
    for (int index = 0; index < taken; ++index) {
        const uint8_t* ip = found.addresses[index];
        keys.push_back(StationKey_FromOctets(ip[0], ip[1], ip[2], ip[3]));
    }
    std::sort(keys.begin(), keys.end());
    for (StationKey key : keys) {
        if (!StationKey_IsIp(key)) continue;
        QListWidgetItem* row = AddStationRow(StationText(key), key);
        if (key == remembered) *reselect = row;
    }
}

void CStationListPage::OnConnect() {
    if (connected) {
        App().CloseConnection();
        return;
    }
    const bool logIn = optionsButton_->isChecked();
    const QList<QListWidgetItem*> selected = stationList_->selectedItems();
    StationKey key = 0;
    bool overTcp = true;
    if (!selected.isEmpty()) {
        key = KeyOf(selected.front());
        overTcp = StationKey_IsIp(key) != 0;
    } else {
        CStationIpDlg dialog(IsLargeLayout(), this);
        dialog.ipAddress = lastStationIp_;
        if (dialog.DoModal() != QDialog::Accepted) return;
        lastStationIp_ = dialog.ipAddress;
        key = lastStationIp_;
    }
    const int opened = overTcp ? App().OpenTcp(key) : App().OpenMpi(static_cast<int>(key));
    if (opened && logIn) App().LogIn(password_);
}

void CStationListPage::OnOptions() {
    if (!optionsButton_->isChecked()) return;
    CPasswordDlg dialog(IsLargeLayout(), this);
    dialog.password = password_;
    if (dialog.DoModal() == QDialog::Accepted) {
        password_ = dialog.password;
    } else {
        optionsButton_->setChecked(false);
    }
}

void CStationListPage::OnNets() {
    CNetsDlg dialog(App().Networks().State(), IsLargeLayout(), this);
    if (dialog.DoModal() != QDialog::Accepted) return;
    if (App().Networks().Apply(dialog.choice)) RefreshStations();
}

}  // namespace vexal
