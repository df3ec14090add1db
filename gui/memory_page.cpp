#include "memory_page.h"

namespace vexal {

CMemoryPage::CMemoryPage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("memoryPage"));
}

}  // namespace vexal
