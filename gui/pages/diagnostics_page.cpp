#include "diagnostics_page.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "library_text.h"
#include "main_app.h"
#include "page_controls.h"
#include "replacing_file.h"

namespace vexal {
namespace {

constexpr int kDescriptionCapacity = 128;

constexpr ReportColumn kColumns[] = {
    {QT_TRANSLATE_NOOP("Vexal", "Date"), Qt::AlignCenter, 60},
    {QT_TRANSLATE_NOOP("Vexal", "Time"), Qt::AlignCenter, 90},
    {QT_TRANSLATE_NOOP("Vexal", "Description"), Qt::AlignLeft | Qt::AlignVCenter, 200},
};

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString EventDescription(uint16_t eventId) {
    if (std::optional<QString> text = LibraryEventText(eventId, kDescriptionCapacity)) {
        return *text;
    }
    return CDiagnosticsPage::tr("Event %1").arg(eventId, 4, 16, QLatin1Char('0'));
}

}  // namespace

CDiagnosticsPage::CDiagnosticsPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("diagnosticsPage"));
    BuildControls();
}

void CDiagnosticsPage::BuildControls() {
    const bool large = IsLargeLayout();
    list_ = MakeReportList("diagList", tr("Diagnostic buffer"));
    list_->setHeaderHidden(!large);
    updateButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "Update"), "updateButton");
    saveButton_ = MakeButton(QT_TRANSLATE_NOOP("Vexal", "Save"), "saveButton");
    detailLine1_ = new QLabel;
    detailLine1_->setObjectName(QStringLiteral("detailLine1"));
    detailLine2_ = new QLabel;
    detailLine2_->setObjectName(QStringLiteral("detailLine2"));
    connect(list_, &QTreeWidget::currentItemChanged, this, &CDiagnosticsPage::ShowDetails);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CDiagnosticsPage::FollowSelection);
    connect(updateButton_, &QPushButton::clicked, this, &CDiagnosticsPage::ReadBuffer);
    connect(saveButton_, &QPushButton::clicked, this, &CDiagnosticsPage::SaveBuffer);

    auto* layout = new QVBoxLayout(this);
    if (!large) layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_, 1);
    layout->addWidget(detailLine1_);
    layout->addWidget(detailLine2_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(updateButton_);
    buttons->addWidget(saveButton_);
    layout->addLayout(buttons);
}

void CDiagnosticsPage::OnInitDialog() {
    SetReportColumns(list_, kColumns);
    FitColumnsToContents(list_, 2);  // date and time whole; the description has the rest
    OnPageEvent(kPageDisconnected, 0, 0);
}

bool CDiagnosticsPage::OnSetActive() {
    if (connected && !bufferLoaded_) ReadBuffer();
    return true;
}

void CDiagnosticsPage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    if (code == kPageConnected) {
        list_->setEnabled(true);
        updateButton_->setEnabled(true);
    } else if (code == kPageDisconnected) {
        bufferLoaded_ = false;
        list_->clear();
        list_->setEnabled(false);
        updateButton_->setEnabled(false);
        saveButton_->setEnabled(false);
        ShowDetailLines({}, {});
    }
}

// The answer goes to a buffer of its own first: a failed read leaves the rows on screen
// together with the entries they were made from.
void CDiagnosticsPage::ReadBuffer() {
    bufferLoaded_ = false;
    CWaitCursor wait(Prompts());
    std::array<uint8_t, kDiagBufferSize> answer{};
    int count = 0;
    const CpuStatus status = App().ReadDiagBuffer(answer.data(), &count, kDiagBufferSize);
    if (CpuStatus_IsFatal(status)) return;
    if (status != CPULINK_OK && status != CPULINK_MORE_ENTRIES) return;
    diagBuffer_ = answer;
    entryCount_ = count;
    bufferLoaded_ = true;
    FillList();
}

// The detail lines always belong to a row on screen: they are emptied with the rows and
// follow the current row, row 0 after a read.
void CDiagnosticsPage::FillList() {
    list_->clear();
    ShowDetailLines({}, {});
    const int count = std::clamp(entryCount_, 0, static_cast<int>(kDiagMaxEntries));
    QList<QTreeWidgetItem*> rows;
    for (int row = 0; row < count; ++row) {
        const DiagRecord entry = Entry(row);
        rows.append(MakeReportRow({Latin1(DiagDateText(entry)), Latin1(DiagTimeText(entry)),
                                   EventDescription(entry.eventId)},
                                  kColumns));
    }
    list_->addTopLevelItems(rows);
    saveButton_->setEnabled(count > 0);
    if (count > 0) {
        list_->selectionModel()->setCurrentIndex(list_->model()->index(0, 0),
                                                QItemSelectionModel::NoUpdate);
    }
}

DiagRecord CDiagnosticsPage::Entry(int row) const {
    return DecodeDiagRecord(diagBuffer_.data() + static_cast<size_t>(row) * kDiagRecordSize);
}

void CDiagnosticsPage::ShowDetails() {
    QTreeWidgetItem* current = list_->currentItem();
    if (current == nullptr) return;
    const DiagRecord entry = Entry(list_->indexOfTopLevelItem(current));
    ShowDetailLines(Latin1(DiagIdentLine(entry)), Latin1(DiagInfoLine(entry)));
}

// A row selected without moving the current item (by assistive technology) becomes the
// current one, whose details are shown.
void CDiagnosticsPage::FollowSelection() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.size() == 1 && selected.front() != list_->currentItem()) {
        list_->setCurrentItem(selected.front());
    }
}

void CDiagnosticsPage::ShowDetailLines(const QString& first, const QString& second) {
    detailLine1_->setText(first);
    detailLine2_->setText(second);
}

void CDiagnosticsPage::SaveBuffer() {
    const QString path =
        Prompts().ChooseFileToSave(QStringLiteral("csv"), tr("Text files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    CWaitCursor wait(Prompts());
    if (!WriteCsv(path)) Prompts().ShowMessage(tr("error writing diagnostic buffer"));
}

// The rows as shown, written to a new version of the file that replaces the old one only
// when every byte is on the device.
bool CDiagnosticsPage::WriteCsv(const QString& path) const {
    std::string text = DiagCsvHeading() + "\r\n";
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        const std::string description = list_->topLevelItem(row)->text(2).toStdString();
        text += DiagCsvLine(Entry(row), description) + "\r\n";
    }
    platform::ReplacingFile file;
    return file.Open(QFile::encodeName(path).constData()) && file.Write(text.data(), text.size()) &&
           file.Commit();
}

}  // namespace vexal
