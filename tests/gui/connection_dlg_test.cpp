// The password, station IP and network dialogs on their own, in both layouts: what they
// show when opened, what keys do, and what OK and Cancel hand back.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "nets_dlg.h"
#include "password_dlg.h"
#include "station_ip_dlg.h"
#include "station_session.h"

namespace vexal {
namespace {

QString Ticked(const QAbstractButton* box) {
    return QString(box->isChecked() ? "x" : "-") + (box->isEnabled() ? "" : "(off)");
}

// What a user sees in an open dialog.
QString Looks(QDialog* dialog) {
    QStringList parts;
    for (auto* edit : dialog->findChildren<QLineEdit*>()) {
        parts << edit->text() + (edit->hasFocus() ? "[" + edit->selectedText() + "]" : "");
    }
    if (auto* password = dialog->findChild<QLineEdit*>("passwordEdit")) {
        parts << (password->echoMode() == QLineEdit::Password ? "masked" : "plain");
    }
    if (auto* combo = dialog->findChild<QComboBox*>("adapterCombo")) {
        parts << "MPI " + Ticked(dialog->findChild<QCheckBox*>("mpiCheck"))
              << "TCP " + Ticked(dialog->findChild<QCheckBox*>("tcpCheck"))
              << combo->currentText() + (combo->isEnabled() ? "" : "(off)");
        if (dialog->findChild<QLabel*>("rawFramesNote")->isVisible()) parts << "note";
    }
    return parts.join(' ');
}

struct DialogCase {
    const char* dialog;  // "ip", "password" or "nets"
    const char* start;   // address, password or the application's adapter
    int available;       // nets: 1 MPI adapter, 2 Ethernet
    const char* keys;
    const char* seen;    // after the keys, while the dialog is still open
    const char* result;  // after it closed
};

const DialogCase kCases[] = {
    {"ip", "0.0.0.0", 0, "", "0[0] 0 0 0", "cancel 0.0.0.0"},
    {"ip", "192.168.0.5", 0, "", "192[192] 168 0 5", "cancel 192.168.0.5"},
    {"ip", "0.0.0.0", 0, "192", "192 0[0] 0 0", "cancel 0.0.0.0"},
    {"ip", "0.0.0.0", 0, "19", "19[] 0 0 0", "cancel 0.0.0.0"},
    {"ip", "0.0.0.0", 0, "256", "256[] 0 0 0", "cancel 0.0.0.0"},
    {"ip", "0.0.0.0", 0, "10\t0\t\b\t1\n", "10 0 [] 1", "cancel 0.0.0.0"},
    {"ip", "0.0.0.0", 0, "10\t0\t0\t7a\n", "10 0 0 7a[7a]", "cancel 0.0.0.0"},
    {"ip", "0.0.0.0", 0, "10\t0\t 0\t1\n", "", "ok 10.0.0.1"},
    {"ip", "1.2.3.4", 0, "9\x1b", "", "cancel 1.2.3.4"},
    {"password", "abc", 0, "", "abc[abc] masked", "cancel abc"},
    {"password", "abc", 0, "\b\n", "", "ok "},
    {"password", "abc", 0, "xyz\n", "", "ok xyz"},
    {"nets", "scr1", 3, "", "MPI x TCP x scr1", "cancel"},
    {"nets", "gone", 3, "", "MPI x TCP x scr0", "cancel"},
    {"nets", "scr0", 3, "\t ", "MPI x TCP - scr0(off)", "cancel"},
    {"nets", "scr0", 3, "\t  ", "MPI x TCP x scr0", "cancel"},
    {"nets", "scr0", 3, " \t\t\u2193\u2190 \n", "", "ok mpi 0 tcp 0 scr1"},
    {"nets", "scr0", 2, "", "MPI x(off) TCP x scr0", "cancel"},
    {"nets", "scr0", 2, " \n", "", "ok mpi 1 tcp 0 scr0"},
    {"nets", "scr0", 1, "", "MPI x TCP x(off) (off)", "cancel"},
    {"nets", "scr0", 1, "\n", "", "ok mpi 1 tcp 1 "},
};

class ConnectionDlgTest : public testing::StationSession,
                          public ::testing::WithParamInterface<bool> {
protected:
    // Runs the dialog modally with `keys` typed into it; a dialog still open is
    // described, then cancelled.
    QString RunDialog(const std::function<int()>& doModal, const QString& keys,
                      QString* seen) {
        WhenDialogShows([&](QDialog* shown) {
            Type(shown, keys);
            if (!shown->isVisible()) return;
            *seen = Looks(shown);
            shown->reject();
        });
        return doModal() == QDialog::Accepted ? "ok" : "cancel";
    }

    QString Run(const DialogCase& test, QString* seen) {
        const bool large = GetParam();
        QWidget* parent = app->Sheet();
        const QString start = QString::fromUtf8(test.start);
        if (std::string(test.dialog) == "ip") {
            CStationIpDlg dialog(large, parent);
            const QStringList octets = start.split('.');
            dialog.ipAddress = StationKey_FromOctets(octets[0].toUInt(), octets[1].toUInt(),
                                                     octets[2].toUInt(), octets[3].toUInt());
            const QString result = RunDialog([&] { return dialog.DoModal(); },
                                             QString::fromUtf8(test.keys), seen);
            QStringList address;
            for (int i = 0; i < 4; ++i) address << QString::number(StationKey_Octet(dialog.ipAddress, i));
            return result + " " + address.join('.');
        }
        if (std::string(test.dialog) == "password") {
            CPasswordDlg dialog(large, parent);
            dialog.password = start;
            return RunDialog([&] { return dialog.DoModal(); },
                             QString::fromUtf8(test.keys), seen) + " " + dialog.password;
        }
        app->mpiAvailable = test.available & 1;
        app->ethernetAvailable = (test.available & 2) != 0;
        app->mpiEnabled = app->ethernetEnabled = 1;
        app->ethernetIface = start;
        CNetsDlg dialog(*app, large, parent);
        const QString result = RunDialog([&] { return dialog.DoModal(); },
                                         QString::fromUtf8(test.keys), seen);
        return result == "cancel" ? result
                                  : QString("ok mpi %1 tcp %2 %3")
                                        .arg(dialog.mpiOn).arg(dialog.tcpOn).arg(dialog.chosenAdapter);
    }
};

TEST_P(ConnectionDlgTest, EachDialogShowsChecksAndHandsBackItsValues) {
    StartApp(GetParam());
    for (const DialogCase& test : kCases) {
        QString seen;
        EXPECT_EQ(Run(test, &seen), test.result) << test.dialog << " " << test.keys;
        EXPECT_EQ(seen, test.seen) << test.dialog << " " << test.keys;
    }
}

// The three dialogs as a user first sees them.
TEST_P(ConnectionDlgTest, Screenshots) {
    StartApp(GetParam());
    const QString layout = GetParam() ? "800x480" : "240x320";
    CPasswordDlg password(GetParam(), app->Sheet());
    CStationIpDlg stationIp(GetParam(), app->Sheet());
    CNetsDlg nets(*app, GetParam(), app->Sheet());
    const std::pair<std::function<int()>, const char*> dialogs[] = {
        {[&] { return password.DoModal(); }, "Password"},
        {[&] { return stationIp.DoModal(); }, "StationIp"},
        {[&] { return nets.DoModal(); }, "Nets"}};
    for (const auto& [doModal, name] : dialogs) {
        WhenDialogShows([&, name = name](QDialog* shown) {
            EXPECT_TRUE(shown->grab().save(QString("VexalCE-%1-%2.png").arg(name, layout)));
            EXPECT_LE(shown->frameGeometry().width(), GetParam() ? 800 : 240) << name;
            shown->reject();
        });
        doModal();
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConnectionDlgTest, ::testing::Bool());

}  // namespace
}  // namespace vexal
