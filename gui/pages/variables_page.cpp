#include "variables_page.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QGestureEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "edit_variable_dlg.h"
#include "main_app.h"
#include "page_controls.h"
#include "variable_list_file.h"
#include "variable_trend.h"

namespace vexal {
namespace {

constexpr const char* kListFilter =
    QT_TRANSLATE_NOOP("vexal::CVariablesPage", "Text files (*.csv);;All files (*)");
const QString kListSuffix = QStringLiteral("csv");

struct ColumnSpec {
    const char* heading;
    Qt::Alignment alignment;
    int width;
    int largeWidth;  // the large screen has room for every value text at full length
};

constexpr ColumnSpec kColumns[] = {
    {QT_TRANSLATE_NOOP("vexal::CVariablesPage", "Variable"), Qt::AlignLeft, 120, 180},
    {QT_TRANSLATE_NOOP("vexal::CVariablesPage", "Format"), Qt::AlignHCenter, 70, 100},
    {QT_TRANSLATE_NOOP("vexal::CVariablesPage", "Status Val"), Qt::AlignRight, 90, 220},
    {QT_TRANSLATE_NOOP("vexal::CVariablesPage", "Modify Val"), Qt::AlignRight, 90, 220},
};

QString ValueText(const VariableDescriptor& variable, uint32_t* word, int format) {
    VariableDescriptor copy = variable;
    copy.value = word;
    wchar_t text[CPULINK_VALUE_TEXT_CAPACITY] = {};
    cpuLink_GetVariableValueAsString(text, CPULINK_VALUE_TEXT_CAPACITY, &copy, format);
    return QString::fromWCharArray(text);
}

QString FormatName(int format) {
    return QString::fromWCharArray(VariableFormatName(format));
}

// A value that changed since the previous read stands out for one read.
void MarkChanged(QTreeWidgetItem* item, int column, bool changed) {
    static const QBrush kChangedBrush(QColor(255, 221, 87));
    item->setBackground(column, changed ? kChangedBrush : QBrush());
    QFont font = item->font(column);
    font.setBold(changed);
    item->setFont(column, font);
    item->setData(column, Qt::AccessibleDescriptionRole,
                  changed ? CVariablesPage::tr("changed") : QString());
}

}  // namespace

CVariablesPage::CVariablesPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId), refresh_(kReadPeriodTicks, CTickPace::kStop) {
    setObjectName(QStringLiteral("variablesPage"));
    BuildControls();
}

void CVariablesPage::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("variableList"));
    list_->setAccessibleName(tr("Variables"));
    list_->setRootIsDecorated(false);
    list_->header()->setStretchLastSection(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    list_->viewport()->grabGesture(Qt::TapAndHoldGesture);
    layout->addWidget(list_, 1);

    addAction_ = new QAction(tr("Add"), list_);
    addAction_->setObjectName(QStringLiteral("addVariableAction"));
    list_->addAction(addAction_);
    connect(addAction_, &QAction::triggered, this, &CVariablesPage::OnAddVariable);

    const bool large = IsLargeLayout();
    if (large) layout->addLayout(BuildTrend());

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    if (large) {
        QPushButton* add = AddButton("addButton", QT_TR_NOOP("Add"));
        connect(add, &QPushButton::clicked, this, &CVariablesPage::OnAddVariable);
        buttons->addWidget(add);
    }
    setButton_ = AddButton("setButton", QT_TR_NOOP("Set"));
    deleteButton_ = AddButton("deleteButton", large ? QT_TR_NOOP("Delete") : QT_TR_NOOP("Del"));
    loadButton_ = AddButton("loadButton", large ? QT_TR_NOOP("Load List") : QT_TR_NOOP("Load"));
    saveButton_ = AddButton("saveButton", large ? QT_TR_NOOP("Save List") : QT_TR_NOOP("Save"));
    for (QPushButton* button : {setButton_, deleteButton_, loadButton_, saveButton_}) {
        buttons->addWidget(button);
    }
    connect(setButton_, &QPushButton::clicked, this, &CVariablesPage::OnSetClicked);
    connect(deleteButton_, &QPushButton::clicked, this, &CVariablesPage::OnDeleteClicked);
    connect(loadButton_, &QPushButton::clicked, this, &CVariablesPage::OnLoadClicked);
    connect(saveButton_, &QPushButton::clicked, this, &CVariablesPage::OnSaveClicked);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CVariablesPage::OnSelectionChanged);
    setButton_->setEnabled(false);
}

// The trend with its maximum above and its minimum below, beside the graph.
QLayout* CVariablesPage::BuildTrend() {
    trend_ = new CVariableTrend(this);
    trend_->setFixedHeight(80);
    trendMinimum_ = new QLabel(this);
    trendMinimum_->setObjectName(QStringLiteral("trendMinimumLabel"));
    trendMaximum_ = new QLabel(this);
    trendMaximum_->setObjectName(QStringLiteral("trendMaximumLabel"));
    auto* range = new QVBoxLayout;
    range->addWidget(trendMaximum_);
    range->addStretch(1);
    range->addWidget(trendMinimum_);
    auto* row = new QHBoxLayout;
    row->addWidget(trend_, 1);
    row->addLayout(range);
    return row;
}

QPushButton* CVariablesPage::AddButton(const char* name, const char* caption) {
    auto* button = new QPushButton(tr(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    // Four buttons share the 240 pixels of the small screen.
    if (!IsLargeLayout()) button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return button;
}

void CVariablesPage::OnInitDialog() {
    variableCount_ = 0;
    refresh_.RunOnNextTick();
    saveButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
    CreateColumns();
    ClearTrend();
    DeliverPageEvent(kPageDisconnected, 0, 0);
}

void CVariablesPage::CreateColumns() {
    list_->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList headings;
    for (const ColumnSpec& column : kColumns) headings << tr(column.heading);
    list_->setHeaderLabels(headings);
    for (int index = 0; index < list_->columnCount(); ++index) {
        const ColumnSpec& column = kColumns[index];
        list_->headerItem()->setTextAlignment(index, column.alignment | Qt::AlignVCenter);
        list_->setColumnWidth(index, IsLargeLayout() ? column.largeWidth : column.width);
    }
    if (IsLargeLayout()) return;
    // The small screen shows the live value right beside the address, both whole; the
    // format and the modify value follow when the list is scrolled.
    list_->header()->moveSection(kStatusColumn, kAddressColumn + 1);
    FitColumnsToContents(list_, kStatusColumn + 1);
}

bool CVariablesPage::OnSetActive() {
    refresh_.RunOnNextTick();
    return true;
}

void CVariablesPage::OnPageEvent(PageEvent code, uint32_t, uint32_t) {
    switch (code) {
        case kPageTick:
            RefreshStep();
            break;
        case kPageConnected:
            setButton_->setEnabled(true);
            UpdateButtons();
            ClearTrend();
            break;
        case kPageDisconnected:
            setButton_->setEnabled(false);
            ClearTrend();
            break;
        default:
            break;
    }
}

void CVariablesPage::RefreshStep() {
    if (!refresh_.Tick(IsActive() && connected)) return;
    std::array<VariableDescriptor*, kCapacity> read{};
    for (int index = 0; index < variableCount_; ++index)
        read[index] = &variables_[index].descriptor;
    if (App().ReadVariables(read.data(), variableCount_) != CPULINK_OK) {
        refresh_.Stop();
        return;
    }
    RefreshStatusCells();
    RecordTrendSample();
}

void CVariablesPage::RefreshStatusCells() {
    for (int row = 0; row < variableCount_; ++row) {
        VariableEntry& entry = variables_[row];
        const QString text = entry.descriptor.valuePresent != 0
                                 ? ValueText(entry.descriptor, &entry.value, entry.format)
                                 : QStringLiteral("??");
        QTreeWidgetItem* item = list_->topLevelItem(row);
        const QString shown = item->text(kStatusColumn);
        MarkChanged(item, kStatusColumn, !shown.isEmpty() && shown != text);
        item->setText(kStatusColumn, text);
    }
}

void CVariablesPage::RecordTrendSample() {
    const int row = SelectedRow();
    if (trend_ == nullptr || row < 0) return;
    const VariableEntry& entry = variables_[row];
    if (entry.descriptor.valuePresent == 0) return;
    const std::optional<double> sample = TrendValue(entry.descriptor, entry.value, entry.format);
    if (!sample) return;
    trend_->AddSample(*sample);
    trendMaximum_->setText(tr("Max %1").arg(trend_->Maximum(), 0, 'g', 7));
    trendMinimum_->setText(tr("Min %1").arg(trend_->Minimum(), 0, 'g', 7));
}

void CVariablesPage::ClearTrend() {
    if (trend_ == nullptr) return;
    trend_->Clear();
    const int row = SelectedRow();
    trend_->SetSteps(row >= 0 && variables_[row].descriptor.kind == VARIABLE_KIND_BIT);
    trendMinimum_->clear();
    trendMaximum_->clear();
}

void CVariablesPage::OnSetClicked() {
    std::array<VariableDescriptor*, kCapacity> written{};
    int count = 0;
    for (int index = 0; index < variableCount_; ++index) {
        VariableEntry& entry = variables_[index];
        if (!entry.hasModify) continue;
        entry.value = entry.modifyValue;
        written[count++] = &entry.descriptor;
    }
    App().WriteVariables(written.data(), count);
    refresh_.RunOnNextTick();
}

void CVariablesPage::OnDeleteClicked() {
    const int row = SelectedRow();
    if (row >= 0) RemoveRow(row);
}

void CVariablesPage::OnAddVariable() {
    EditVariableAt(-1);
}

void CVariablesPage::OnSelectionChanged() {
    UpdateButtons();
    ClearTrend();
}

// A double tap on a row edits it, one on empty space adds a variable; Return edits the
// current row, Insert adds one and Delete removes the selected one; a long press adds a
// variable.
bool CVariablesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const QPoint tap = static_cast<QMouseEvent*>(event)->position().toPoint();
        EditVariableAt(list_->indexAt(tap).row());
        return true;
    }
    if (watched == list_->viewport() && event->type() == QEvent::Gesture) {
        const QGesture* hold = static_cast<QGestureEvent*>(event)->gesture(Qt::TapAndHoldGesture);
        if (hold != nullptr && hold->state() == Qt::GestureFinished) OnAddVariable();
        return hold != nullptr;
    }
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list_->currentItem() != nullptr) {
            EditVariableAt(list_->indexOfTopLevelItem(list_->currentItem()));
            return true;
        }
        if (key == Qt::Key_Insert) {
            OnAddVariable();
            return true;
        }
        if (key == Qt::Key_Delete && deleteButton_->isEnabled()) {
            OnDeleteClicked();
            return true;
        }
    }
    return CSheetPage::eventFilter(watched, event);
}

void CVariablesPage::EditVariableAt(int row) {
    const bool isNew = row < 0 || row >= variableCount_;
    if (isNew && variableCount_ == kCapacity) return;
    CEditVariableDlg dialog(Context(), IsLargeLayout(), this);
    if (!isNew) {
        dialog.descriptor = variables_[row].descriptor;
        dialog.format = variables_[row].format;
        dialog.modifyText = list_->topLevelItem(row)->text(kModifyColumn);
    }
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.format == 0) {
        if (!isNew) RemoveRow(row);
        return;
    }
    unsaved_ = true;
    if (isNew) {
        row = variableCount_++;
        AppendRow();
    }
    VariableEntry& entry = variables_[row];
    entry.descriptor = dialog.descriptor;
    BindValueWord(row);
    entry.format = dialog.format;
    entry.hasModify = dialog.hasModify;
    if (entry.hasModify) entry.modifyValue = dialog.modifyValue;
    QTreeWidgetItem* item = list_->topLevelItem(row);
    item->setText(kAddressColumn, dialog.addressText);
    item->setText(kFormatColumn, FormatName(entry.format));
    SetModifyCell(row);
    if (row == SelectedRow()) ClearTrend();
    UpdateButtons();
}

QTreeWidgetItem* CVariablesPage::AppendRow() {
    auto* item = new QTreeWidgetItem(list_);
    for (int index = 0; index < list_->columnCount(); ++index) {
        item->setTextAlignment(index, kColumns[index].alignment | Qt::AlignVCenter);
    }
    return item;
}

void CVariablesPage::SetModifyCell(int row) {
    VariableEntry& entry = variables_[row];
    const QString text =
        entry.hasModify ? ValueText(entry.descriptor, &entry.modifyValue, entry.format) : QString();
    list_->topLevelItem(row)->setText(kModifyColumn, text);
}

void CVariablesPage::BindValueWord(int index) {
    variables_[index].descriptor.value = &variables_[index].value;
}

void CVariablesPage::RemoveRow(int row) {
    unsaved_ = true;
    delete list_->takeTopLevelItem(row);
    for (int index = row; index + 1 < variableCount_; ++index) {
        variables_[index] = variables_[index + 1];
        BindValueWord(index);
    }
    --variableCount_;
    variables_[variableCount_] = VariableEntry{};
    UpdateButtons();
}

void CVariablesPage::UpdateButtons() {
    deleteButton_->setEnabled(list_->selectedItems().size() == 1);
    saveButton_->setEnabled(list_->topLevelItemCount() > 0);
}

int CVariablesPage::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.size() == 1 ? list_->indexOfTopLevelItem(selected.front()) : -1;
}

void CVariablesPage::OnSaveClicked() {
    SaveWork();
}

bool CVariablesPage::SaveWork() {
    const QString file = Prompts().ChooseFileToSave(kListSuffix, tr(kListFilter));
    if (file.isEmpty()) return false;
    std::vector<VariableListFields> rows;
    for (int row = 0; row < variableCount_; ++row) {
        const QTreeWidgetItem* item = list_->topLevelItem(row);
        rows.push_back({item->text(kAddressColumn).toStdWString(),
                        item->text(kFormatColumn).toStdWString(),
                        item->text(kModifyColumn).toStdWString()});
    }
    if (!WriteVariableListFile(QFile::encodeName(file).constData(), rows)) {
        Prompts().ShowMessage(tr("error writing variable table"));
        return false;
    }
    unsaved_ = false;
    return true;
}

void CVariablesPage::OnLoadClicked() {
    const QString file = Prompts().ChooseFileToOpen(kListSuffix, tr(kListFilter));
    if (file.isEmpty()) return;
    std::vector<std::wstring> lines;
    if (!ReadVariableListFile(QFile::encodeName(file).constData(), &lines)) {
        Prompts().ShowMessage(tr("no file found"));
        return;
    }
    // A table that holds exactly one file's lines is as saved as that file.
    const int before = variableCount_;
    bool whole = true;
    for (const std::wstring& line : lines) {
        ListedVariable listed;
        if (ParseVariableListLine(line, &listed)) {
            whole = AddListedVariable(listed) && whole;
        } else {
            whole = false;
            Prompts().ShowMessage(tr("error in: ") + QString::fromStdWString(line));
        }
    }
    if (before == 0 && whole) {
        unsaved_ = false;
    } else if (variableCount_ > before) {
        unsaved_ = true;
    }
    UpdateButtons();
}

// A variable from a file line joins the end of the table; with the table full it is
// dropped silently.
bool CVariablesPage::AddListedVariable(const ListedVariable& listed) {
    if (variableCount_ == kCapacity) return false;
    const int row = variableCount_;
    VariableEntry& entry = variables_[row];
    entry =
        VariableEntry{listed.descriptor, listed.format, 0, listed.modifyValue, listed.hasModify};
    BindValueWord(row);
    QTreeWidgetItem* item = AppendRow();
    item->setText(kAddressColumn, QString::fromStdWString(listed.addressText));
    item->setText(kFormatColumn, QString::fromStdWString(listed.formatText));
    ++variableCount_;
    SetModifyCell(row);
    return true;
}

}  // namespace vexal
