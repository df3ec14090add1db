// The time page against the simulator: the clock shown follows the controller until the
// user chooses a time, and "Apply" and "PC Time" set the controller's clock.
#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "page_session.h"

namespace vexal {
namespace {

class TimePageTest : public testing::PageSession {
protected:
    QDateEdit* DatePicker() const { return Find<QDateEdit>("datePicker"); }
    QTimeEdit* TimePicker() const { return Find<QTimeEdit>("timePicker"); }
    QDateTime Shown() const { return QDateTime(DatePicker()->date(), TimePicker()->time()); }
    bool ApplyEnabled() const { return Find<QPushButton>("applyButton")->isEnabled(); }
    // The simulator's clock fields, read as they stand.
    QDateTime SimClock() {
        const std::lock_guard lock(simulator->Controller().Lock());
        return QDateTime::fromMSecsSinceEpoch(simulator->Controller().ClockMs(), Qt::UTC);
    }
    void SetSimClock(const QDateTime& moment) {
        const std::lock_guard lock(simulator->Controller().Lock());
        const QDateTime fields(moment.date(), moment.time(), Qt::UTC);
        simulator->Controller().SetClockMs(fields.toMSecsSinceEpoch());
    }
    static qint64 Apart(const QDateTime& one, const QDateTime& other) {
        return std::abs(QDateTime(one.date(), one.time(), Qt::UTC)
                            .msecsTo(QDateTime(other.date(), other.time(), Qt::UTC)));
    }
    // Opens the calendar with the keyboard, picks `date` in it and closes it with Return.
    void PickInCalendar(const QDate& date) {
        DatePicker()->setFocus();
        QTest::keyClick(DatePicker(), Qt::Key_F4);
        QCalendarWidget* calendar = DatePicker()->calendarWidget();
        ASSERT_TRUE(calendar->isVisible());
        calendar->setSelectedDate(date);
        QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Return);
        ASSERT_FALSE(calendar->isVisible());
    }

    void StepHourUp() {
        TimePicker()->setFocus();
        TimePicker()->setCurrentSection(QDateTimeEdit::HourSection);
        QTest::keyClick(TimePicker(), Qt::Key_Up);
    }

    const QDateTime kSimMoment{QDate(2031, 3, 4), QTime(5, 6, 7)};
};

TEST_F(TimePageTest, ShowsThisMachinesTimeUntilConnectedThenFollowsTheController) {
    StartSimulator();
    SetSimClock(kSimMoment);
    StartApp();
    ShowPage("timePage");
    EXPECT_LT(Apart(Shown(), QDateTime::currentDateTime()), 2000);
    Snap("not connected");
    Connect();
    ShowPageNow("memoryPage");
    ShowPageNow("timePage");
    TickNow();  // the first tick after activation reads
    EXPECT_LT(Apart(Shown(), kSimMoment), 2000);
    SetSimClock(kSimMoment.addDays(1));
    TickNow(8);
    EXPECT_EQ(DatePicker()->date(), kSimMoment.date());
    TickNow(1);
    EXPECT_EQ(DatePicker()->date(), kSimMoment.date().addDays(1));
    Screenshot("VexalCE-Time-800x480.png");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

TEST_F(TimePageTest, AChosenTimeInRangeIsWrittenAndOneOutOfRangeNeverEnablesApply) {
    StartConnected({}, false);
    SetSimClock(kSimMoment);
    ShowPage("timePage");
    Tick();
    Screenshot("VexalCE-Time-240x320.png");
    StepHourUp();  // one hour later: the refresh stops
    EXPECT_TRUE(ApplyEnabled());
    const QDateTime chosen = Shown();
    TickNow(20);
    EXPECT_EQ(Shown(), chosen);
    Click("applyButton");
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_LT(Apart(SimClock(), chosen), 2000);

    StepHourUp();  // a choice in range, then one out of it: "Apply" goes again
    PickInCalendar(QDate(1999, 12, 31));
    EXPECT_FALSE(ApplyEnabled());
    TickNow(9);  // the refresh runs again
    EXPECT_LT(Apart(Shown(), chosen), 3000);
    StepHourUp();  // a choice left behind with the page is gone when it shows again
    ShowPage("memoryPage");
    ShowPage("timePage");
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_LT(Apart(SimClock(), chosen), 3000);

    PickInCalendar(QDate(2049, 12, 31));
    EXPECT_TRUE(ApplyEnabled());
    Click("pcTimeButton");  // this machine's time, to the nearest second
    EXPECT_LT(Apart(SimClock(), QDateTime::currentDateTime()), 1000);
    PickInCalendar(QDate(2049, 12, 31));
    app->CloseConnection();
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

}  // namespace
}  // namespace vexal
