// The network dialog ("Nets"): MPI and Ethernet on or off, and the Ethernet adapter.
#pragma once

#include <QDialog>

#include "networks.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace vexal {

class CNetsDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 129;
    // The room the adapter names are listed into, terminators included.
    static constexpr int kAdapterListCapacity = 2571;

    CNetsDlg(const NetworkState& networks, bool largeLayout, QWidget* parent);

    // Shows the network state and runs the dialog; on OK the choice holds what the boxes
    // that could be changed say, the rest as the networks were.
    int DoModal();

    void accept() override;

    NetworkChoice choice;

private:
    void OnInitDialog();
    bool ListAdapters();
    void OnTcpClicked();

    const NetworkState networks_;
    QCheckBox* mpiCheck_;
    QCheckBox* tcpCheck_;
    QComboBox* adapterCombo_;
    QLabel* rawFramesNote_;
};

}  // namespace vexal
