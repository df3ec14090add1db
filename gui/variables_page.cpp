#include "variables_page.h"

namespace vexal {

CVariablesPage::CVariablesPage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("variablesPage"));
}

}  // namespace vexal
