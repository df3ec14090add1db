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
    if (code == kPageConnected) connected = 1;
    if (code == kPageDisconnected) connected = 0;
    OnPageEvent(code, a, b);
}

void CSheetPage::InitialisePage() {
    DeliverPageEvent(kPageDisconnected, 0, 0);
    OnInitDialog();
}

void CSheetPage::OnPageEvent(PageEvent, uint32_t, uint32_t) {}

}  // namespace vexal
