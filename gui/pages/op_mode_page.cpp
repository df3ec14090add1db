#include "op_mode_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "main_app.h"
#include "mode_icon_ctrl.h"
#include "page_controls.h"

namespace vexal {
namespace {

// The controller is read every 600 ms.
constexpr int kPollPeriodTicks = 6;
// Flash phases 0 to 7 draw a flashing LED; phase 8 holds it, then the next read state shows.
constexpr int kLastBlinkPhase = 8;

struct ModeShown {
    const char* text;
    int iconIndex;
    bool stopEnabled;
    bool restartEnabled;
};

// Operation modes -1 (unknown) to 3.
constexpr ModeShown kModes[] = {
    {"", 0, false, false},    {"STOP", 1, false, true},  {"RUN", 2, true, false},
    {"HALT", 3, false, true}, {"FAULT", 1, false, true},
};

// Mode selector positions -1 (unknown) to 3.
constexpr const char* kKeyswitchTexts[] = {QT_TRANSLATE_NOOP("vexal::COpModePage", "<Unknown>"),
                                           "RUN-P", "RUN", "STOP", "MRES"};

struct LedLook {
    const char* label;
    const char* objectName;
    int bitmap;
};

constexpr LedLook kLeds[COpModePage::kLedCount] = {{"RUN", "runLed", 256},
                                                   {"STOP", "stopLed", 257},
                                                   {"ERR", "errLed", 255},
                                                   {"FRCE", "frceLed", 257}};

constexpr int kLedOffBitmap = 254;

QPixmap LedBitmap(int id) {
    return QPixmap(QStringLiteral(":/res/bitmap%1.png").arg(id));
}

// Whether a flashing LED shows its colour in this phase; phase 8 keeps the picture.
bool FlashLit(int state, int phase, bool litNow) {
    if (phase >= kLastBlinkPhase) return litNow;
    if (state == COpModePage::kLedFlashingFast) return phase % 4 < 2;
    return phase < 4;
}

QGroupBox* Group(const char* title, const char* name) {
    auto* group = new QGroupBox(COpModePage::tr(title));
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

QLabel* CentredText(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

COpModePage::COpModePage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId),
      poll_(kPollPeriodTicks, CTickPace::kNextPeriod),
      ledOff_(LedBitmap(kLedOffBitmap)) {
    setObjectName(QStringLiteral("opModePage"));
    for (int led = 0; led < kLedCount; ++led) ledColours_[led] = LedBitmap(kLeds[led].bitmap);
    BuildControls();
}

void COpModePage::BuildControls() {
    const bool large = IsLargeLayout();
    QGroupBox* modeGroup =
        Group(QT_TRANSLATE_NOOP("vexal::COpModePage", "Current Operation Mode "), "modeGroup");
    modeIcon_ = new CModeIconCtrl;
    modeIcon_->setObjectName(QStringLiteral("modeIcon"));
    modeText_ = CentredText("modeText");
    auto* modeLayout = new QHBoxLayout(modeGroup);
    modeLayout->addWidget(modeIcon_);
    modeLayout->addWidget(modeText_, 1);

    QGroupBox* switchGroup =
        Group(large ? QT_TRANSLATE_NOOP("vexal::COpModePage", "Current Keyswitch Setting ")
                    : QT_TRANSLATE_NOOP("vexal::COpModePage", "Current Switch Setting "),
              "keyswitchGroup");
    keyswitchText_ = CentredText("keyswitchText");
    (new QVBoxLayout(switchGroup))->addWidget(keyswitchText_);

    QGroupBox* ledGroup =
        Group(QT_TRANSLATE_NOOP("vexal::COpModePage", "Module LEDs "), "ledGroup");
    auto* ledLayout = new QGridLayout(ledGroup);
    ledLayout->setColumnStretch(2, 1);
    for (int led = 0; led < kLedCount; ++led) {
        auto* picture = new QLabel;
        picture->setObjectName(QString::fromLatin1(kLeds[led].objectName));
        picture->setFixedSize(10, 10);
        picture->setAccessibleName(QString::fromLatin1(kLeds[led].label));
        ledControls_[led] = picture;
        auto* caption = new QLabel(QString::fromLatin1(kLeds[led].label));
        caption->setObjectName(QString::fromLatin1(kLeds[led].objectName) + "Label");
        ledLayout->addWidget(picture, led, 0);
        ledLayout->addWidget(caption, led, 1);
        ShowLed(led, false);
    }

    stopButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "Stop"), "stopButton");
    restartButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "Restart"), "restartButton");
    connect(stopButton_, &QPushButton::clicked, this, &COpModePage::OnStop);
    connect(restartButton_, &QPushButton::clicked, this, &COpModePage::OnRestart);

    auto* grid = new QGridLayout(this);
    if (large) {
        grid->addWidget(modeGroup, 0, 0);
        grid->addWidget(switchGroup, 1, 0);
        grid->addWidget(ledGroup, 0, 1, 2, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(stopButton_);
        buttons->addWidget(restartButton_);
        grid->addLayout(buttons, 2, 0, 1, 2);
        grid->setColumnStretch(0, 2);
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(3, 1);
    } else {
        grid->setContentsMargins(4, 4, 4, 4);
        grid->addWidget(modeGroup, 0, 0, 1, 2);
        grid->addWidget(switchGroup, 1, 0, 1, 2);
        grid->addWidget(ledGroup, 2, 0, 3, 1);
        grid->addWidget(stopButton_, 2, 1);
        grid->addWidget(restartButton_, 3, 1);
        grid->setRowStretch(4, 1);
        grid->setRowStretch(5, 1);
    }
    setTabOrder(stopButton_, restartButton_);
}

void COpModePage::OnInitDialog() {
    poll_.RunOnNextTick();
    readLeds_.fill(kLedOff);
    OnPageEvent(kPageDisconnected, 0, 0);
}

bool COpModePage::OnSetActive() {
    poll_.RunOnNextTick();
    return true;
}

void COpModePage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    switch (code) {
        case kPageTick:
            TickStep();
            break;
        case kPageConnected:
            blinkPhase_ = kLastBlinkPhase;
            break;
        case kPageDisconnected:
            operationMode_ = -1;
            keyswitch_ = -1;
            ShowState();
            break;
        default:
            break;
    }
}

void COpModePage::OnStop() {
    if (!Prompts().AskYesNo(tr("Sure to stop the CPU?"))) return;
    if (App().StopCpu() == 1) poll_.RunOnNextTick();
}

void COpModePage::OnRestart() {
    if (App().WarmRestart() != 0) poll_.RunOnNextTick();
}

void COpModePage::TickStep() {
    LedStep();
    if (!poll_.Tick(IsActive() && connected)) return;
    // A read that lost the link has disconnected the page: the poll ends there.
    operationMode_ = App().ReadOperationMode();
    if (connected) keyswitch_ = App().ReadKeySwitch();
    LedStates leds{};
    if (connected) App().ReadLeds(&leds);
    if (!connected) return;
    readLeds_ = {leds.run, leds.stop, leds.err, leds.frce};
    ShowState();
}

void COpModePage::LedStep() {
    if (!connected) {
        for (int led = 0; led < kLedCount; ++led) ShowLed(led, false);
        return;
    }
    if (++blinkPhase_ > kLastBlinkPhase) {
        shownLeds_ = readLeds_;
        readLeds_.fill(kLedOff);
        blinkPhase_ = 0;
    }
    for (int led = 0; led < kLedCount; ++led) DrawLed(led, shownLeds_[led]);
}

void COpModePage::DrawLed(int led, int state) {
    switch (state) {
        case kLedOff:
        case kLedOn:
            ShowLed(led, state == kLedOn);
            break;
        case kLedFlashingFast:
        case kLedFlashingSlowly:
            ShowLed(led, FlashLit(state, blinkPhase_, ledLit_[led] != 0));
            break;
        default:
            break;
    }
}

void COpModePage::ShowLed(int led, bool lit) {
    QLabel* picture = ledControls_[led];
    if (ledLit_[led] == int{lit} && !picture->pixmap().isNull()) return;
    ledLit_[led] = lit ? 1 : 0;
    picture->setPixmap(lit ? ledColours_[led] : ledOff_);
    picture->setAccessibleDescription(lit ? tr("on") : tr("off"));
}

void COpModePage::ShowState() {
    ApplyOperationMode();
    ApplyKeyswitch();
}

void COpModePage::ApplyOperationMode() {
    if (operationMode_ < -1 || operationMode_ > 3) return;
    const ModeShown& mode = kModes[operationMode_ + 1];
    const QString text = QString::fromLatin1(mode.text);
    modeText_->setText(text);
    stopButton_->setEnabled(mode.stopEnabled);
    restartButton_->setEnabled(mode.restartEnabled);
    modeIcon_->ShowImage(mode.iconIndex, text);
}

void COpModePage::ApplyKeyswitch() {
    if (keyswitch_ < -1 || keyswitch_ > 3) return;
    keyswitchText_->setText(tr(kKeyswitchTexts[keyswitch_ + 1]));
}

}  // namespace vexal
