// The VexalCE program itself, on the offscreen platform and the real libraries.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <QProcess>
#include <QSettings>

#include "temp_dir.h"

namespace vexal {
namespace {

struct ProgramRun {
    int exitCode;
    QProcess::ExitStatus exitStatus;
};

// Starts the program and sends it `signal` at once. The program starts with the signal
// blocked, as it blocks it itself first thing, so the signal waits for the program's watch
// however early it arrives.
ProgramRun RunUntilSignal(const QProcessEnvironment& environment, int signal) {
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
    if (!program.waitForStarted(30000)) return {-1, QProcess::CrashExit};
    ::kill(static_cast<pid_t>(program.processId()), signal);
    if (!program.waitForFinished(60000)) program.kill();
    return {program.exitCode(), program.exitStatus()};
}

TEST(Program, ASignalEndsTheRunTheOrderlyWayAndTheSettingsAreWritten) {
    const struct {
        int signal;
        bool busFile;
        int mpi;
    } cases[] = {{SIGTERM, false, 0}, {SIGINT, true, 1}};
    for (const auto& c : cases) {
        testing::TempDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           QString::fromStdString(dir.File("config")));
        environment.remove(QStringLiteral("VEXAL_MPI_BUS"));
        if (c.busFile) {
            const std::string bus = dir.File("bus");
            const std::string text = "own 0\nhighest 31\n";
            testing::WriteBytes(bus, std::vector<uint8_t>(text.begin(), text.end()));
            environment.insert(QStringLiteral("VEXAL_MPI_BUS"), QString::fromStdString(bus));
        }

        const ProgramRun run = RunUntilSignal(environment, c.signal);

        EXPECT_EQ(run.exitStatus, QProcess::NormalExit) << c.signal;
        EXPECT_EQ(run.exitCode, 0) << c.signal;
        const QSettings written(QString::fromStdString(dir.File("config/Norrik/VexalCE.conf")),
                                QSettings::IniFormat);
        EXPECT_EQ(written.value(QStringLiteral("Mpi")).toString(), QString::number(c.mpi));
        EXPECT_EQ(written.value(QStringLiteral("Ethernet")).toString(), QStringLiteral("0"));
        EXPECT_EQ(written.value(QStringLiteral("EthernetIface")).toString(),
                  QStringLiteral("DM9CE1"));
    }
}

}  // namespace
}  // namespace vexal
