#include "memory_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "library_text.h"
#include "main_app.h"
#include "page_controls.h"

namespace vexal {
namespace {

constexpr ReportColumn kColumns[] = {
    {"", Qt::AlignCenter, 120},
    {QT_TRANSLATE_NOOP("Vexal", "Used"), Qt::AlignRight | Qt::AlignVCenter, 80},
    {QT_TRANSLATE_NOOP("Vexal", "Free"), Qt::AlignRight | Qt::AlignVCenter, 80},
    {QT_TRANSLATE_NOOP("Vexal", "Total"), Qt::AlignRight | Qt::AlignVCenter, 80},
};

constexpr int kUsedColumn = 1;
constexpr int kTotalColumn = 3;

// Row names by position, for a controller with an undivided and with a split work memory.
constexpr const char* kTwoRowNames[] = {QT_TRANSLATE_NOOP("vexal::CMemoryPage", "Load Memory"),
                                        QT_TRANSLATE_NOOP("vexal::CMemoryPage", "Work Memory")};
constexpr const char* kThreeRowNames[] = {
    QT_TRANSLATE_NOOP("vexal::CMemoryPage", "Load Memory"),
    QT_TRANSLATE_NOOP("vexal::CMemoryPage", "Work Memory/Code"),
    QT_TRANSLATE_NOOP("vexal::CMemoryPage", "Work Memory/Data")};

}  // namespace

CMemoryPage::CMemoryPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("memoryPage"));
    BuildControls();
}

void CMemoryPage::BuildControls() {
    list_ = MakeReportList("memoryList", tr("Memory"));
    list_->header()->setStretchLastSection(false);
    compressButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "Compress"), "compressButton");
    connect(compressButton_, &QPushButton::clicked, this, &CMemoryPage::OnCompress);

    auto* layout = new QVBoxLayout(this);
    if (!IsLargeLayout()) layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(compressButton_);
    layout->addLayout(buttons);
}

void CMemoryPage::OnInitDialog() {
    SetReportColumns(list_, kColumns);
    // The small screen cannot hold the given widths: there the columns take what they need,
    // and the totals come right after the names, so that they are seen without scrolling.
    if (!IsLargeLayout()) {
        FitColumnsToContents(list_, list_->columnCount());
        list_->header()->moveSection(kTotalColumn, kUsedColumn);
    }
    OnPageEvent(kPageDisconnected, 0, 0);
}

bool CMemoryPage::OnSetActive() {
    if (connected) RefreshFigures();
    return true;
}

void CMemoryPage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    if (code == kPageConnected) {
        list_->setEnabled(true);
    } else if (code == kPageDisconnected) {
        list_->clear();
        list_->setEnabled(false);
        compressButton_->setEnabled(false);
    }
}

// The detailed list first; the standard memory-area list when the controller cannot give
// it. A lost connection ends the refresh at once.
void CMemoryPage::RefreshFigures() {
    list_->clear();
    std::array<MemoryRow, 3> rows{};
    int rowCount = 0;
    CpuStatus status = App().ReadMemoryUsage(&rowCount, rows.data());
    if (CpuStatus_IsFatal(status)) return;
    if (status != CPULINK_OK) {
        status = App().ReadMemoryAreas(&rowCount, rows.data());
        if (CpuStatus_IsFatal(status)) return;
        if (status != CPULINK_OK) {
            compressButton_->setEnabled(false);
            return;
        }
    }
    compressButton_->setEnabled(true);
    ShowRows(rows.data(), rowCount);
}

void CMemoryPage::ShowRows(const MemoryRow* rows, int rowCount) {
    const char* const* names = rowCount == 3 ? kThreeRowNames : kTwoRowNames;
    for (int row = 0; row < rowCount && row < 3; ++row) {
        const MemoryRow& figures = rows[row];
        const int64_t total = int64_t{figures.usedBytes} + figures.freeBytes;
        list_->addTopLevelItem(
            MakeReportRow({tr(names[row]), QString::number(figures.usedBytes),
                           QString::number(figures.freeBytes), QString::number(total)},
                          kColumns));
    }
}

// The figures are read again whatever the result, then the user hears that the memory was
// compressed or, in the library's words, why not; a lost link was told already.
void CMemoryPage::OnCompress() {
    CpuStatus status = CPULINK_OK;
    {
        CWaitCursor wait(Prompts());
        status = App().CompressMemory();
        RefreshFigures();
    }
    if (status == CPULINK_OK) {
        Prompts().ShowMessage(tr("The memory was compressed."));
    } else if (!CpuStatus_IsFatal(status)) {
        Prompts().ShowMessage(LibraryErrorText(status, CPULINK_ERROR_TEXT_CAPACITY)
                                  .value_or(tr("The memory was not compressed.")));
    }
}

}  // namespace vexal
