// The VexalCE program itself, on the offscreen platform and the real libraries.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <QProcess>
#include <QSettings>

#include "temp_dir.h"

namespace vexal {
namespace {

// The program starts with the signals blocked, as it blocks them itself first thing, so a
// signal sent at once waits for the program's watch however early it arrives.
TEST(Program, ASignalEndsTheRunTheOrderlyWayAndTheSettingsAreWritten) {
    const struct {
        int signal;
        bool busFile;
        int mpi;
    } cases[] = {{SIGTERM, false, 0}, {SIGINT, true, 1}};
    for (const auto& c : cases) {
        testing::TempDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.File("config")));
        environment.remove("VEXAL_MPI_BUS");
        // An adapter chosen before and missing now is kept, not replaced by one found.
        QSettings(QString::fromStdString(dir.File("config/Norrik/VexalCE.conf")),
                  QSettings::IniFormat)
            .setValue("EthernetIface", "DM9CE1");
        if (c.busFile) {
            const std::string text = "own 0\nhighest 31\n";
            testing::WriteBytes(dir.File("bus"), std::vector<uint8_t>(text.begin(), text.end()));
            environment.insert("VEXAL_MPI_BUS", QString::fromStdString(dir.File("bus")));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setChildProcessModifier([] {
            sigset_t set;
            sigemptyset(&set);
            sigaddset(&set, SIGINT);
            sigaddset(&set, SIGTERM);
            pthread_sigmask(SIG_BLOCK, &set, nullptr);
        });
        program.start(QStringLiteral(VEXALCE_PATH), QStringList{});
        ASSERT_TRUE(program.waitForStarted(30000));
        ::kill(static_cast<pid_t>(program.processId()), c.signal);
        if (!program.waitForFinished(60000)) program.kill();

        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.signal;
        EXPECT_EQ(program.exitCode(), 0) << c.signal;
        const QSettings written(QString::fromStdString(dir.File("config/Norrik/VexalCE.conf")),
                                QSettings::IniFormat);
        EXPECT_EQ(written.value("Mpi").toString(), QString::number(c.mpi));
        EXPECT_EQ(written.value("Ethernet").toString(), "0");
        EXPECT_EQ(written.value("EthernetIface").toString(), "DM9CE1");
    }
}

}  // namespace
}  // namespace vexal
