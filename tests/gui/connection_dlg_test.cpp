// The password, station IP and network dialogs on their own, in both layouts: what they
// show when opened, what keys do, and what OK and Cancel hand back.
#include "nets_dlg.h"
#include "page_session.h"
#include "password_dlg.h"
#include "station_ip_dlg.h"

namespace vexal {
namespace {

struct DialogCase {
    const char* dialog;  // "StationIp", "Password" or "Nets"
    const char* start;   // address, password or the application's adapter
    int available;       // Nets: 1 MPI adapter, 2 Ethernet
    const char* keys;    // a dialog still open after them is described, then cancelled
    const char* result;  // after it closed
};

// The last case of a dialog without keys is its screenshot.
const DialogCase kCases[] = {
    {"StationIp", "0.0.0.0", 0, "", "cancel 0.0.0.0"},
    {"StationIp", "0.0.0.0", 0, "192", "cancel 0.0.0.0"},
    {"StationIp", "0.0.0.0", 0, "19", "cancel 0.0.0.0"},
    {"StationIp", "0.0.0.0", 0, "256", "cancel 0.0.0.0"},
    {"StationIp", "0.0.0.0", 0, "10\t0\t\b\t1\n", "cancel 0.0.0.0"},
    {"StationIp", "0.0.0.0", 0, "10\t0\t0\t7a\n", "cancel 0.0.0.0"},
    {"StationIp", "0.0.0.0", 0, "10\t0\t 0\t1\n", "ok 10.0.0.1"},
    {"StationIp", "1.2.3.4", 0, "9\x1b", "cancel 1.2.3.4"},
    {"StationIp", "192.168.0.5", 0, "", "cancel 192.168.0.5"},
    {"Password", "abc", 0, "", "cancel abc"},
    {"Password", "abc", 0, "\b\n", "ok "},
    {"Password", "abc", 0, "xyz\n", "ok xyz"},
    {"Nets", "scr0", 1, "", "cancel mpi 1 tcp 1 "},
    {"Nets", "scr0", 1, "\n", "ok mpi 1 tcp 1 "},
    {"Nets", "scr0", 2, "", "cancel mpi 1 tcp 1 "},
    {"Nets", "scr0", 2, " \n", "ok mpi 1 tcp 0 scr0"},
    {"Nets", "scr0", 3, "\t ", "cancel mpi 1 tcp 1 "},
    {"Nets", "scr0", 3, "\t  ", "cancel mpi 1 tcp 1 "},
    {"Nets", "scr0", 3, " \t\t\u2193\u2190 \n", "ok mpi 0 tcp 0 scr1"},
    {"Nets", "gone", 3, "", "cancel mpi 1 tcp 1 "},
    {"Nets", "scr1", 3, "", "cancel mpi 1 tcp 1 "},
};

QString Dotted(uint32_t address) {
    QStringList octets;
    for (int i = 0; i < 4; ++i) octets << QString::number(StationKey_Octet(address, i));
    return octets.join('.');
}

class ConnectionDlgTest : public testing::StationSession,
                          public ::testing::WithParamInterface<bool> {
protected:
    // Opens the case's dialog, types its keys, describes and cancels a dialog still open,
    // and tells how it closed and what it handed back.
    QString Run(const DialogCase& test, const std::string& heading) {
        const bool large = GetParam();
        const QString start = QString::fromUtf8(test.start);
        std::unique_ptr<QDialog> dialog;
        std::function<int()> doModal;
        std::function<QString()> values;
        if (std::string(test.dialog) == "StationIp") {
            auto* stationIp = new CStationIpDlg(large, app->Sheet());
            const QStringList octets = start.split('.');
            stationIp->ipAddress = StationKey_FromOctets(octets[0].toUInt(), octets[1].toUInt(),
                                                         octets[2].toUInt(), octets[3].toUInt());
            doModal = [stationIp] { return stationIp->DoModal(); };
            values = [stationIp] { return Dotted(stationIp->ipAddress); };
            dialog.reset(stationIp);
        } else if (std::string(test.dialog) == "Password") {
            auto* password = new CPasswordDlg(large, app->Sheet());
            password->password = start;
            doModal = [password] { return password->DoModal(); };
            values = [password] { return password->password; };
            dialog.reset(password);
        } else {
            NetworkState networks = app->Networks().State();
            networks.mpiAvailable = (test.available & 1) != 0;
            networks.ethernetAvailable = (test.available & 2) != 0;
            networks.mpiEnabled = networks.ethernetEnabled = true;
            networks.ethernetIface = start;
            auto* nets = new CNetsDlg(networks, large, app->Sheet());
            doModal = [nets] { return nets->DoModal(); };
            values = [nets] {
                const NetworkChoice& choice = nets->choice;
                return QString("mpi %1 tcp %2 %3")
                    .arg(int{choice.mpiOn})
                    .arg(int{choice.tcpOn})
                    .arg(choice.chosenAdapter);
            };
            dialog.reset(nets);
        }
        WhenDialogShows([&](QDialog* shown) {
            Type(shown, QString::fromUtf8(test.keys));
            if (!shown->isVisible()) return;
            Snap(heading, shown);
            EXPECT_LE(shown->frameGeometry().width(), large ? 800 : 240) << test.dialog;
            if (*test.keys == 0) {
                shown->grab().save(
                    QString("VexalCE-%1-%2.png").arg(test.dialog, large ? "800x480" : "240x320"));
            }
            shown->reject();
        });
        const QString closed = doModal() == QDialog::Accepted ? "ok " : "cancel ";
        return closed + values();
    }
};

// The network dialog is opened after a scan that was not permitted to send raw frames.
TEST_P(ConnectionDlgTest, EachDialogShowsChecksAndHandsBackItsValues) {
    StartApp(GetParam());
    net->openDenied = true;
    EthernetStations stations{};
    EXPECT_FALSE(app->Networks().ScanEthernetStations(&stations));
    for (size_t index = 0; index < std::size(kCases); ++index) {
        const DialogCase& test = kCases[index];
        EXPECT_EQ(Run(test, "case " + std::to_string(index)), test.result)
            << test.dialog << " " << test.keys;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConnectionDlgTest, ::testing::Bool());

}  // namespace
}  // namespace vexal
