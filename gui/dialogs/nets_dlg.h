// The network dialog ("Nets"): MPI and Ethernet on or off, and the Ethernet adapter.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;

namespace vexal {

class CMainApp;

class CNetsDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 129;
    // The room the adapter names are listed into, terminators included.
    static constexpr int kAdapterListCapacity = 2571;

    CNetsDlg(const CMainApp& app, bool largeLayout, QWidget* parent);

    // Shows the application's network state and runs the dialog; on OK the three fields
    // hold the choices of the boxes that could be changed.
    int DoModal();

    void accept() override;

    QString chosenAdapter;
    int mpiOn = 0;
    int tcpOn = 0;

private:
    void OnInitDialog();
    bool ListAdapters();
    void OnTcpClicked();

    const CMainApp& app_;
    QCheckBox* mpiCheck_;
    QCheckBox* tcpCheck_;
    QComboBox* adapterCombo_;
    QLabel* rawFramesNote_;
};

}  // namespace vexal
