// The CPU page against the simulator: the identity read on activation and on "Update", each
// value named by its caption for screen readers, cleared when the connection closes.
#include <QAccessible>
#include <QLabel>

#include "page_session.h"

namespace vexal {
namespace {

class CpuPageTest : public testing::PageSession {
protected:
    QLabel* Value(int row) const {
        return Find<QLabel>(QStringLiteral("cpuValue%1").arg(row).toLatin1().constData());
    }
    // Module type, order number, protection level, mode selector, shortest and longest cycle.
    QString Shown() const {
        return QStringList{Value(0)->text().left(7), Value(2)->text().left(8), Value(9)->text(),
                           Value(10)->text(), Value(12)->text(), Value(13)->text()}
            .join(" | ");
    }
};

TEST_F(CpuPageTest, ShowsTheIdentityOnActivationAndUpdateAndClearsItOnClose) {
    const struct {
        bool large;
        bool mpi;
        const char* password;
        sim::Keyswitch selector;
        const char* shown;
    } cases[] = {
        {true, false, "", sim::Keyswitch::kRunP, "CPU 315 | 6ES7 315 | 1 | RUN-P | 1 ms | 3 ms"},
        {false, false, "SECRET", sim::Keyswitch::kStop,
         "CPU 315 | 6ES7 315 | 3 | STOP | 1 ms | 3 ms"},
        {true, true, "SECRET", sim::Keyswitch::kStop, "CPU 315 | 6ES7 315 | 3 | STOP | 1 ms | 3 ms"},
        {false, true, "", sim::Keyswitch::kRunP, "CPU 315 | 6ES7 315 | 1 | RUN-P | 1 ms | 3 ms"},
    };
    for (const auto& c : cases) {
        if (app) app->ShutDown();
        sim::SimOptions options;
        options.password = c.password;
        options.keyswitch = c.selector;
        StartConnected(options, c.large, c.mpi);
        ShowPage("cpuPage");
        EXPECT_EQ(Shown().toStdString(), c.shown);
        Screenshot(QString("VexalCE-CPU-%1%2.png")
                       .arg(c.mpi ? "MPI-" : "", c.large ? "800x480" : "240x320"));
        if (*c.password != 0) {
            ASSERT_EQ(app->LogIn(QString::fromLatin1(c.password)), 1);
        }
        Click("updateButton");
        EXPECT_EQ(Value(9)->text(), "1") << "the level in force after the password";
        QAccessibleInterface* value = QAccessible::queryAccessibleInterface(Value(2));
        const auto labels = value->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Order number:");
        EXPECT_EQ(value->text(QAccessible::Name), Value(2)->text());
        app->CloseConnection();
        EXPECT_EQ(Shown(), " |  |  |  |  | ");
        EXPECT_EQ(prompts->waitCursorDepth, 0);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
