// The "Operation Mode" page: the controller's operation mode as text and icon, the mode
// selector position and the four module LEDs, flashing as on the controller, read every
// 600 ms while the page is visible and connected; stop (after a question) and warm restart.
#pragma once

#include <QPixmap>
#include <array>

#include "sheet_page.h"

class QLabel;
class QPushButton;

namespace vexal {

class CModeIconCtrl;

class COpModePage : public CSheetPage {
    Q_OBJECT

public:
    // LED states as ReadLeds delivers them.
    enum LedState { kLedOff = 0, kLedOn = 1, kLedFlashingFast = 2, kLedFlashingSlowly = 3 };
    static constexpr int kLedCount = 4;  // RUN, STOP, ERR, FRCE

    COpModePage(const PageContext& context, int templateId);

protected:
    bool OnSetActive() override;
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;

private:
    void BuildControls();
    void OnStop();
    void OnRestart();
    void TickStep();
    void LedStep();
    void DrawLed(int led, int state);
    void ShowLed(int led, bool lit);
    void ShowState();
    void ApplyOperationMode();
    void ApplyKeyswitch();

    CModeIconCtrl* modeIcon_ = nullptr;
    QLabel* modeText_ = nullptr;
    QLabel* keyswitchText_ = nullptr;
    std::array<QLabel*, kLedCount> ledControls_{};
    QPushButton* stopButton_ = nullptr;
    QPushButton* restartButton_ = nullptr;

    CTickPace poll_;
    int operationMode_ = -1;
    int keyswitch_ = -1;
    std::array<int, kLedCount> shownLeds_{};
    std::array<int, kLedCount> readLeds_{};
    int blinkPhase_ = 0;
    // Per LED: its colour picture, and whether it shows that picture now.
    std::array<QPixmap, kLedCount> ledColours_;
    QPixmap ledOff_;
    std::array<int, kLedCount> ledLit_{};
};

}  // namespace vexal
