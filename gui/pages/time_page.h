// The "Time" page: the controller's real-time clock, read every 900 ms while the page is
// visible and connected and the user is not choosing a time; "Apply" writes the chosen
// date and time, "PC Time" this machine's current time.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "sheet_page.h"

class QCalendarWidget;
class QDateEdit;
class QPushButton;
class QTimeEdit;

namespace vexal {

class CTimePage : public CSheetPage {
    Q_OBJECT

public:
    CTimePage(const PageContext& context, int templateId);

protected:
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void RefreshStep();
    void ShowValues();
    bool ComposeAndCheck();
    void DropChoice();
    void OnTimeChanged();
    void OnDateTyped();
    void OnCalendarOpened();
    void OnCalendarClosed();
    void TapCalendarArrow();
    void OnApply();
    void OnPcTime();
    void WriteClock(const QDateTime& moment);

    QDateEdit* datePicker_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;  // the date picker's drop-down
    QTimeEdit* timePicker_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* pcTimeButton_ = nullptr;

    QDate dateValue_;
    QTime timeValue_;
    bool autoRefresh_ = false;
    CTickPace refresh_;
    QDateTime chosenMoment_;
};

}  // namespace vexal
