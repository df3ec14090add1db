// The "Variables" page: watching and modifying process variables, variable list files.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CVariablesPage : public CSheetPage {
    Q_OBJECT

public:
    CVariablesPage(const PageContext& context, int templateId);
};

}  // namespace vexal
