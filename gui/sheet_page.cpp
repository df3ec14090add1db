#include "sheet_page.h"

#include "main_sheet.h"
#include "page_events.h"
#include "page_templates.h"

namespace vexal {

CSheetPage::CSheetPage(int templateId) : templateId_(templateId) {}

CSheetPage::~CSheetPage() {
    if (sheet != nullptr) sheet->ForgetPage(this);
}

QString CSheetPage::Title() const {
    return TemplateCaption(templateId_);
}

bool CSheetPage::IsLargeLayout() const {
    return IsLargeTemplate(templateId_);
}

bool CSheetPage::OnInitDialog() {
    OnPageEvent(kPageDisconnected, 0, 0);
    return true;
}

void CSheetPage::OnPageEvent(int32_t code, int32_t, int32_t) {
    if (code == kPageConnected) connected = 1;
    if (code == kPageDisconnected) connected = 0;
}

}  // namespace vexal
