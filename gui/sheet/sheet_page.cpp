#include "sheet_page.h"

#include "page_templates.h"

namespace vexal {

CSheetPage::CSheetPage(const PageContext& context, int templateId)
    : context_(context), templateId_(templateId) {}

QString CSheetPage::Title() const {
    return TemplateCaption(templateId_);
}

bool CSheetPage::IsLargeLayout() const {
    return IsLargeTemplate(templateId_);
}

void CSheetPage::DeliverPageEvent(PageEvent code, uint32_t a, uint32_t b) {
    if (code == kPageConnected) connected = true;
    if (code == kPageDisconnected) connected = false;
    OnPageEvent(code, a, b);
}

void CSheetPage::InitialisePage() {
    DeliverPageEvent(kPageDisconnected, 0, 0);
    OnInitDialog();
}

void CSheetPage::Activate() {
    active_ = true;
    OnSetActive();
}

bool CSheetPage::Deactivate() {
    if (!OnKillActive()) return false;
    active_ = false;
    return true;
}

void CSheetPage::OnPageEvent(PageEvent, uint32_t, uint32_t) {}

bool CTickPace::Tick(bool ready) {
    if (remaining_ == 0 || --remaining_ > 0) return false;
    if (ready) {
        remaining_ = period_;
        return true;
    }
    switch (whenNotReady_) {
        case kNextPeriod:
            remaining_ = period_;
            break;
        case kStop:
            break;
        case kWait:
            remaining_ = 1;
            break;
    }
    return false;
}

}  // namespace vexal
