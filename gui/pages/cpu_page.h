// The "CPU" page: which controller this is (module, order number, firmware and hardware
// versions, serial number, station, plant designation and location), its protection level
// and mode selector, and the cycle times of its main program. Read on activation while
// connected and on "Update".
#pragma once

#include <vector>

#include "sheet_page.h"

class QLabel;
class QPushButton;

namespace vexal {

struct CpuIdentity;

class CCpuPage : public CSheetPage {
    Q_OBJECT

public:
    CCpuPage(const PageContext& context, int templateId);

    bool OnSetActive() override;

protected:
    void OnPageEvent(PageEvent code, uint32_t a, uint32_t b) override;

private:
    void BuildControls();
    void Refresh();
    void Show(const CpuIdentity& identity);
    void Clear();

    std::vector<QLabel*> values_;
    QPushButton* updateButton_ = nullptr;
};

}  // namespace vexal
