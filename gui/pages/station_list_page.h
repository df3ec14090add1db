// The "List" page: the reachable stations, connect and disconnect, password and networks.
// It is the only page that opens and closes connections; the other pages follow through
// the connected and disconnected events that the open and the close broadcast.
#pragma once

#include <QString>
#include <cstdint>

#include "sheet_page.h"
#include "vexal_types.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vexal {

struct EthernetStations;

class CStationListPage : public CSheetPage {
    Q_OBJECT

public:
    // The most Ethernet stations one refresh lists.
    static constexpr int kMaxEthernetRows = 256;

    CStationListPage(const PageContext& context, int templateId);

    bool OnSetActive() override;

    // Rebuilds the list from an MPI scan and an Ethernet scan, keeping the selected
    // station selected when it is found again.
    void RefreshStations();

protected:
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void UpdateConnectButton();
    void SetNetworkButtonsEnabled(bool enabled);
    QListWidgetItem* AddStationRow(const QString& text, StationKey key);
    void AddEthernetRows(const EthernetStations& found, StationKey remembered,
                         QListWidgetItem** reselect);
    void OnConnect();
    void OnOptions();
    void OnNets();

    QListWidget* stationList_ = nullptr;
    QWidget* stationRows_ = nullptr;  // the list's viewport, which gets its mouse events
    QPushButton* refreshButton_ = nullptr;
    QPushButton* connectButton_ = nullptr;
    QPushButton* optionsButton_ = nullptr;
    QPushButton* netsButton_ = nullptr;
    QString password_;
    StationKey lastStationIp_ = 0;
    // The list is rebuilt on the tick after each activation.
    CTickPace refresh_;
};

}  // namespace vexal
