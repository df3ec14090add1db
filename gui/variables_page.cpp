#include "variables_page.h"

namespace vexal {

CVariablesPage::CVariablesPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("variablesPage"));
}

}  // namespace vexal
