#include "memory_page.h"

namespace vexal {

CMemoryPage::CMemoryPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("memoryPage"));
}

}  // namespace vexal
