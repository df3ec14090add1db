#include "time_page.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "main_app.h"
#include "page_controls.h"

namespace vexal {
namespace {

// The clock is read every 900 ms.
constexpr int kRefreshPeriodTicks = 9;

const QDateTime kEarliestMoment(QDate(2000, 1, 1), QTime(0, 0, 0));
const QDateTime kLatestMoment(QDate(2049, 12, 31), QTime(23, 59, 59));

// The short date format of the locale, always with a four-digit year: a two-digit one
// would be read as 19xx.
QString ShortDateFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

// The clock fields as they stand; no time zone or daylight saving shift comes between
// the picker and the controller.
BrokenDownTime ToBrokenDown(const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    return {time.second(),    time.minute(),      time.hour(),         date.day(),
            date.month() - 1, date.year() - 1900, date.dayOfWeek() % 7};
}

QDateTime FromBrokenDown(const BrokenDownTime& time) {
    return QDateTime(QDate(time.yearsSince1900 + 1900, time.month + 1, time.dayOfMonth),
                     QTime(time.hour, time.minute, time.second));
}

}  // namespace

CTimePage::CTimePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId), refresh_(kRefreshPeriodTicks, CTickPace::kNextPeriod) {
    setObjectName(QStringLiteral("timePage"));
    BuildControls();
}

void CTimePage::BuildControls() {
    datePicker = new QDateEdit;
    datePicker->setObjectName(QStringLiteral("datePicker"));
    datePicker->setAccessibleName(QStringLiteral("CPU date"));
    datePicker->setCalendarPopup(true);
    datePicker->setDisplayFormat(ShortDateFormat());
    calendar = datePicker->calendarWidget();
    calendar->installEventFilter(this);
    datePicker->installEventFilter(this);
    timePicker = new QTimeEdit;
    timePicker->setObjectName(QStringLiteral("timePicker"));
    timePicker->setAccessibleName(QStringLiteral("CPU time"));
    timePicker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    applyButton = MakeButton("Apply", "applyButton");
    pcTimeButton = MakeButton("PC Time", "pcTimeButton");
    connect(timePicker, &QTimeEdit::timeChanged, this, &CTimePage::OnTimeChanged);
    connect(datePicker, &QDateEdit::dateChanged, this, &CTimePage::OnDateTyped);
    connect(applyButton, &QPushButton::clicked, this, &CTimePage::OnApply);
    connect(pcTimeButton, &QPushButton::clicked, this, &CTimePage::OnPcTime);

    auto* group = new QGroupBox(QStringLiteral(" CPU Time"));
    group->setObjectName(QStringLiteral("cpuTimeGroup"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(datePicker, 0, 0, 1, 2);
    grid->addWidget(timePicker, 1, 0, 1, 2);
    grid->addWidget(applyButton, 2, 0);
    grid->addWidget(pcTimeButton, 2, 1);
    auto* layout = new QVBoxLayout(this);
    if (IsLargeLayout()) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(group, 2);
        row->addStretch(1);
        layout->addLayout(row);
    } else {
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(group);
    }
    layout->addStretch(1);
}

void CTimePage::OnInitDialog() {
    autoRefresh = 0;
    refresh_.RunOnNextTick();
    const QDateTime now = QDateTime::currentDateTime();
    dateValue = now.date();
    timeValue = now.time();
    ShowValues();
    OnPageEvent(kPageDisconnected, 0, 0);
}

bool CTimePage::OnSetActive() {
    autoRefresh = 1;
    refresh_.RunOnNextTick();
    return true;
}

bool CTimePage::OnKillActive() {
    autoRefresh = 0;
    return true;
}

void CTimePage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    switch (code) {
        case kPageTick:
            RefreshStep();
            break;
        case kPageConnected:
            datePicker->setEnabled(true);
            timePicker->setEnabled(true);
            pcTimeButton->setEnabled(true);
            break;
        case kPageDisconnected:
            datePicker->setEnabled(false);
            timePicker->setEnabled(false);
            applyButton->setEnabled(false);
            pcTimeButton->setEnabled(false);
            break;
        default:
            break;
    }
}

void CTimePage::RefreshStep() {
    if (!refresh_.Tick(connected == 1 && autoRefresh != 0)) return;
    BrokenDownTime clock{};
    if (App().GetClock(&clock) != 1) return;
    const QDateTime moment = FromBrokenDown(clock);
    dateValue = moment.date();
    timeValue = moment.time();
    ShowValues();
}

// Values put into the pickers by the page are no choice of the user.
void CTimePage::ShowValues() {
    const QSignalBlocker dateBlocker(datePicker);
    const QSignalBlocker timeBlocker(timePicker);
    datePicker->setDate(dateValue);
    timePicker->setTime(timeValue);
}

bool CTimePage::ComposeAndCheck() {
    dateValue = datePicker->date();
    timeValue = timePicker->time();
    chosenMoment = QDateTime(dateValue, timeValue);
    return chosenMoment >= kEarliestMoment && chosenMoment <= kLatestMoment;
}

void CTimePage::OnTimeChanged() {
    if (ComposeAndCheck()) {
        autoRefresh = 0;
        applyButton->setEnabled(true);
    } else {
        autoRefresh = 1;
    }
}

// A date typed into the picker counts as a choice like a changed time; a date picked in
// the open calendar waits until the calendar closes.
void CTimePage::OnDateTyped() {
    if (calendar->isVisible()) return;
    OnTimeChanged();
}

void CTimePage::OnCalendarOpened() {
    autoRefresh = 0;
}

void CTimePage::OnCalendarClosed() {
    if (ComposeAndCheck()) {
        applyButton->setEnabled(true);
    } else {
        autoRefresh = 1;
    }
}

// F4 or Alt+Down opens the calendar from the keyboard, as a tap on its arrow does.
bool CTimePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == datePicker && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier))) {
            TapCalendarArrow();
            return true;
        }
    }
    if (watched == calendar) {
        if (event->type() == QEvent::Show) OnCalendarOpened();
        if (event->type() == QEvent::Hide) OnCalendarClosed();
    }
    return CSheetPage::eventFilter(watched, event);
}

void CTimePage::TapCalendarArrow() {
    QStyleOptionComboBox option;
    option.initFrom(datePicker);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPointF arrow =
        datePicker->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, datePicker)
            .center();
    const QPointF global = datePicker->mapToGlobal(arrow);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent tap(type, arrow, global, Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(datePicker, &tap);
    }
}

void CTimePage::OnApply() {
    WriteClock(chosenMoment);
}

// The clock takes whole seconds: the nearest one is the closest this machine's time gets.
void CTimePage::OnPcTime() {
    WriteClock(QDateTime::currentDateTime().addMSecs(500));
}

void CTimePage::WriteClock(const QDateTime& moment) {
    applyButton->setEnabled(false);
    App().SetClock(ToBrokenDown(moment));
    autoRefresh = 1;
}

}  // namespace vexal
