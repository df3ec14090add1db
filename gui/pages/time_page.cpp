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
    datePicker_ = new QDateEdit;
    datePicker_->setObjectName(QStringLiteral("datePicker"));
    datePicker_->setAccessibleName(tr("CPU date"));
    datePicker_->setCalendarPopup(true);
    datePicker_->setDisplayFormat(ShortDateFormat());
    calendar_ = datePicker_->calendarWidget();
    calendar_->installEventFilter(this);
    datePicker_->installEventFilter(this);
    timePicker_ = new QTimeEdit;
    timePicker_->setObjectName(QStringLiteral("timePicker"));
    timePicker_->setAccessibleName(tr("CPU time"));
    timePicker_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    applyButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "Apply"), "applyButton");
    pcTimeButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "PC Time"), "pcTimeButton");
    connect(timePicker_, &QTimeEdit::timeChanged, this, &CTimePage::OnTimeChanged);
    connect(datePicker_, &QDateEdit::dateChanged, this, &CTimePage::OnDateTyped);
    connect(applyButton_, &QPushButton::clicked, this, &CTimePage::OnApply);
    connect(pcTimeButton_, &QPushButton::clicked, this, &CTimePage::OnPcTime);

    auto* group = new QGroupBox(tr(" CPU Time"));
    group->setObjectName(QStringLiteral("cpuTimeGroup"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(datePicker_, 0, 0, 1, 2);
    grid->addWidget(timePicker_, 1, 0, 1, 2);
    grid->addWidget(applyButton_, 2, 0);
    grid->addWidget(pcTimeButton_, 2, 1);
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
    autoRefresh_ = false;
    refresh_.RunOnNextTick();
    const QDateTime now = QDateTime::currentDateTime();
    dateValue_ = now.date();
    timeValue_ = now.time();
    ShowValues();
    OnPageEvent(kPageDisconnected, 0, 0);
}

// Returning to the page drops a choice made before: the fields follow the controller again.
bool CTimePage::OnSetActive() {
    autoRefresh_ = true;
    applyButton_->setEnabled(false);
    refresh_.RunOnNextTick();
    return true;
}

bool CTimePage::OnKillActive() {
    autoRefresh_ = false;
    return true;
}

void CTimePage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    switch (code) {
        case kPageTick:
            RefreshStep();
            break;
        case kPageConnected:
            datePicker_->setEnabled(true);
            timePicker_->setEnabled(true);
            pcTimeButton_->setEnabled(true);
            break;
        case kPageDisconnected:
            datePicker_->setEnabled(false);
            timePicker_->setEnabled(false);
            applyButton_->setEnabled(false);
            pcTimeButton_->setEnabled(false);
            break;
        default:
            break;
    }
}

void CTimePage::RefreshStep() {
    if (!refresh_.Tick(connected && autoRefresh_)) return;
    BrokenDownTime clock{};
    if (App().GetClock(&clock) != 1) return;
    const QDateTime moment = FromBrokenDown(clock);
    dateValue_ = moment.date();
    timeValue_ = moment.time();
    ShowValues();
}

// Values put into the pickers by the page are no choice of the user.
void CTimePage::ShowValues() {
    const QSignalBlocker dateBlocker(datePicker_);
    const QSignalBlocker timeBlocker(timePicker_);
    datePicker_->setDate(dateValue_);
    timePicker_->setTime(timeValue_);
}

bool CTimePage::ComposeAndCheck() {
    dateValue_ = datePicker_->date();
    timeValue_ = timePicker_->time();
    chosenMoment_ = QDateTime(dateValue_, timeValue_);
    return chosenMoment_ >= kEarliestMoment && chosenMoment_ <= kLatestMoment;
}

// A choice outside the clock's range takes back "Apply" and lets the fields follow again.
void CTimePage::DropChoice() {
    applyButton_->setEnabled(false);
    autoRefresh_ = true;
}

void CTimePage::OnTimeChanged() {
    if (ComposeAndCheck()) {
        autoRefresh_ = false;
        applyButton_->setEnabled(true);
    } else {
        DropChoice();
    }
}

// A date typed into the picker counts as a choice like a changed time; a date picked in
// the open calendar waits until the calendar closes.
void CTimePage::OnDateTyped() {
    if (calendar_->isVisible()) return;
    OnTimeChanged();
}

void CTimePage::OnCalendarOpened() {
    autoRefresh_ = false;
}

void CTimePage::OnCalendarClosed() {
    if (ComposeAndCheck()) {
        applyButton_->setEnabled(true);
    } else {
        DropChoice();
    }
}

// F4 or Alt+Down opens the calendar from the keyboard, as a tap on its arrow does.
bool CTimePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == datePicker_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier))) {
            TapCalendarArrow();
            return true;
        }
    }
    if (watched == calendar_) {
        if (event->type() == QEvent::Show) OnCalendarOpened();
        if (event->type() == QEvent::Hide) OnCalendarClosed();
    }
    return CSheetPage::eventFilter(watched, event);
}

void CTimePage::TapCalendarArrow() {
    QStyleOptionComboBox option;
    option.initFrom(datePicker_);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPointF arrow =
        datePicker_->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, datePicker_)
            .center();
    const QPointF global = datePicker_->mapToGlobal(arrow);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent tap(type, arrow, global, Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(datePicker_, &tap);
    }
}

// What the pickers show at the tap is written, never an earlier choice.
void CTimePage::OnApply() {
    if (!ComposeAndCheck()) {
        DropChoice();
        return;
    }
    WriteClock(chosenMoment_);
}

// The clock takes whole seconds: the nearest one is the closest this machine's time gets.
void CTimePage::OnPcTime() {
    WriteClock(QDateTime::currentDateTime().addMSecs(500));
}

void CTimePage::WriteClock(const QDateTime& moment) {
    applyButton_->setEnabled(false);
    App().SetClock(ToBrokenDown(moment));
    autoRefresh_ = true;
}

}  // namespace vexal
