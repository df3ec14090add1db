// The "Memory" page: used, free and total bytes of load and work memory, read on every
// activation while connected and after each compression; "Compress" compresses the
// controller's memory.
#pragma once

#include "sheet_page.h"

class QPushButton;
class QTreeWidget;

namespace vexal {

struct MemoryRow;

class CMemoryPage : public CSheetPage {
    Q_OBJECT

public:
    CMemoryPage(const PageContext& context, int templateId);

    bool OnSetActive() override;

protected:
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;
    void OnInitDialog() override;

private:
    void BuildControls();
    void RefreshFigures();
    void ShowRows(const MemoryRow* rows, int rowCount);
    void OnCompress();

    QTreeWidget* list_ = nullptr;
    QPushButton* compressButton_ = nullptr;
};

}  // namespace vexal
