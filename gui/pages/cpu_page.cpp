#include "cpu_page.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "main_app.h"
#include "page_controls.h"

namespace vexal {
namespace {

// The rows of the page, in this order.
enum Row {
    kModuleType,
    kModule,
    kOrderNumber,
    kFirmware,
    kHardware,
    kSerialNumber,
    kStation,
    kPlant,
    kLocation,
    kProtection,
    kSelector,
    kLastCycle,
    kShortestCycle,
    kLongestCycle,
    kRowCount
};

QString Caption(int row) {
    static const char* const kCaptions[kRowCount] = {
        QT_TRANSLATE_NOOP("Vexal", "Module"),
        QT_TRANSLATE_NOOP("Vexal", "Module name"),
        QT_TRANSLATE_NOOP("Vexal", "Order number"),
        QT_TRANSLATE_NOOP("Vexal", "Firmware"),
        QT_TRANSLATE_NOOP("Vexal", "Hardware"),
        QT_TRANSLATE_NOOP("Vexal", "Serial number"),
        QT_TRANSLATE_NOOP("Vexal", "Station"),
        QT_TRANSLATE_NOOP("Vexal", "Plant designation"),
        QT_TRANSLATE_NOOP("Vexal", "Location"),
        QT_TRANSLATE_NOOP("Vexal", "Protection level"),
        QT_TRANSLATE_NOOP("Vexal", "Mode selector"),
        QT_TRANSLATE_NOOP("Vexal", "Last cycle"),
        QT_TRANSLATE_NOOP("Vexal", "Shortest cycle"),
        QT_TRANSLATE_NOOP("Vexal", "Longest cycle"),
    };
    return QCoreApplication::translate("Vexal", kCaptions[row]);
}

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString SelectorText(const std::optional<int>& selector) {
    static const char* const kPositions[] = {"RUN-P", "RUN", "STOP", "MRES"};
    return selector ? QString::fromLatin1(kPositions[*selector]) : QString();
}

QString Milliseconds(const std::optional<CycleTimes>& times, int CycleTimes::*field) {
    return times ? QCoreApplication::translate("Vexal", "%1 ms").arg((*times).*field) : QString();
}

}  // namespace

CCpuPage::CCpuPage(const PageContext& context, int templateId) : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("cpuPage"));
    BuildControls();
}

// Each value label is the buddy of its caption, so that a screen reader names the value by
// the caption; the value is the label's own text.
void CCpuPage::BuildControls() {
    auto* form = new QFormLayout;
    // The small screen puts each caption above its value.
    if (!IsLargeLayout()) form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    for (int row = 0; row < kRowCount; ++row) {
        auto* caption = new QLabel(Caption(row) + QLatin1Char(':'));
        auto* value = new QLabel;
        value->setObjectName(QStringLiteral("cpuValue%1").arg(row));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        caption->setBuddy(value);
        form->addRow(caption, value);
        values_.push_back(value);
    }
    auto* rows = new QWidget;
    rows->setLayout(form);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(rows);
    updateButton_ = MakeButton("Update", "updateButton");
    updateButton_->setText(tr("Update"));
    connect(updateButton_, &QPushButton::clicked, this, &CCpuPage::Refresh);

    auto* layout = new QVBoxLayout(this);
    if (!IsLargeLayout()) layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(scroll, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(updateButton_);
    layout->addLayout(buttons);
}

bool CCpuPage::OnSetActive() {
    if (connected) Refresh();
    return true;
}

void CCpuPage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    if (code == kPageConnected) {
        updateButton_->setEnabled(true);
    } else if (code == kPageDisconnected) {
        Clear();
        updateButton_->setEnabled(false);
    }
}

void CCpuPage::Refresh() {
    CWaitCursor wait(Prompts());
    CpuIdentity identity;
    const CpuStatus status = App().ReadCpuIdentity(&identity);
    if (CpuStatus_IsFatal(status)) return;
    Show(identity);
}

void CCpuPage::Show(const CpuIdentity& identity) {
    const QString texts[kRowCount] = {
        Latin1(identity.moduleType),
        Latin1(identity.moduleName),
        Latin1(identity.orderNumber),
        Latin1(identity.firmwareVersion),
        Latin1(identity.hardwareVersion),
        Latin1(identity.serialNumber),
        Latin1(identity.stationName),
        Latin1(identity.plantDesignation),
        Latin1(identity.location),
        identity.protectionLevel ? QString::number(*identity.protectionLevel) : QString(),
        SelectorText(identity.modeSelector),
        Milliseconds(identity.cycleTimes, &CycleTimes::lastMs),
        Milliseconds(identity.cycleTimes, &CycleTimes::shortestMs),
        Milliseconds(identity.cycleTimes, &CycleTimes::longestMs),
    };
    for (int row = 0; row < kRowCount; ++row) values_[row]->setText(texts[row]);
}

void CCpuPage::Clear() {
    for (QLabel* value : values_) value->clear();
}

}  // namespace vexal
