// The "Variables" page: a watch-and-force table of up to 16 controller variables, read in
// one request every half second while the page is visible and connected, written with
// "Set", and kept in variable list files (*.csv). In the large layout a trend below the
// table follows the selected variable.
#pragma once

#include <array>
#include <cstdint>

#include "cpulink.h"
#include "sheet_page.h"

class QAction;
class QLabel;
class QLayout;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vexal {

class CVariableTrend;
struct ListedVariable;

// One row of the table. The descriptor's value address always designates this entry's own
// `value` word, also after entries move.
struct VariableEntry {
    VariableDescriptor descriptor{};
    int format = 0;
    uint32_t value = 0;
    uint32_t modifyValue = 0;
    bool hasModify = false;
};

class CVariablesPage : public CSheetPage {
    Q_OBJECT

public:
    static constexpr int kCapacity = 16;
    static constexpr int kReadPeriodTicks = 5;

    CVariablesPage(const PageContext& context, int templateId);

    int VariableCount() const { return variableCount_; }
    // Rows that no list file holds as they stand: added, edited or removed since the last
    // load into an empty table or the last save.
    bool HasUnsavedWork() const { return unsaved_ && variableCount_ > 0; }
    // Saves the table to a file the user chooses; false when cancelled or failed.
    bool SaveWork();

protected:
    bool OnSetActive() override;
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Column { kAddressColumn, kFormatColumn, kStatusColumn, kModifyColumn };

    void BuildControls();
    QLayout* BuildTrend();
    QPushButton* AddButton(const char* name, const char* caption);
    void CreateColumns();
    void RefreshStep();
    void RefreshStatusCells();
    void RecordTrendSample();
    void OnSetClicked();
    void OnDeleteClicked();
    void OnSaveClicked();
    void OnLoadClicked();
    void OnAddVariable();
    void OnSelectionChanged();
    void EditVariableAt(int row);
    void RemoveRow(int row);
    // False when the table was full.
    bool AddListedVariable(const ListedVariable& listed);
    QTreeWidgetItem* AppendRow();
    void SetModifyCell(int row);
    void BindValueWord(int index);
    void UpdateButtons();
    void ClearTrend();
    int SelectedRow() const;

    QTreeWidget* list_;
    int variableCount_ = 0;
    std::array<VariableEntry, kCapacity> variables_{};
    // Stopped by a failed read until the page is shown again or "Set" is pressed.
    CTickPace refresh_;

    QPushButton* setButton_;
    QPushButton* deleteButton_;
    QPushButton* loadButton_;
    QPushButton* saveButton_;
    QAction* addAction_;
    CVariableTrend* trend_ = nullptr;
    QLabel* trendMinimum_ = nullptr;
    QLabel* trendMaximum_ = nullptr;
    bool unsaved_ = false;
};

}  // namespace vexal
