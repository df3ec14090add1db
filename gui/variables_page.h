// The "Variables" page: watching and modifying process variables, variable list files.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CVariablesPage : public CSheetPage {
    Q_OBJECT

public:
    explicit CVariablesPage(int templateId);
};

}  // namespace vexal
