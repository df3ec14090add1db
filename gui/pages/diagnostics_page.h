// The "Diagnostics" page: the controller's diagnostic buffer, one row per event with its
// date, time and description and the raw fields of the current row, read on the first
// activation after connecting and on "Update"; "Save" exports the rows to a *.csv file.
#pragma once

#include <array>
#include <cstdint>

#include "diag_records.h"
#include "sheet_page.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vexal {

class CDiagnosticsPage : public CSheetPage {
    Q_OBJECT

public:
    static constexpr uint32_t kDiagBufferSize = kDiagMaxEntries * kDiagRecordSize;

    CDiagnosticsPage(const PageContext& context, int templateId);

    bool OnSetActive() override;

protected:
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;

private:
    void BuildControls();
    void ReadBuffer();
    void FillList();
    void ShowDetails();
    void FollowSelection();
    void ShowDetailLines(const QString& first, const QString& second);
    void SaveBuffer();
    bool WriteCsv(const QString& path) const;
    DiagRecord Entry(int row) const;

    QTreeWidget* list_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* detailLine1_ = nullptr;
    QLabel* detailLine2_ = nullptr;
    std::array<uint8_t, kDiagBufferSize> diagBuffer_{};
    int entryCount_ = 0;
    bool bufferLoaded_ = false;
};

}  // namespace vexal
