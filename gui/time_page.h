// The "Time" page: the controller clock.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CTimePage : public CSheetPage {
    Q_OBJECT

public:
    CTimePage(const PageContext& context, int templateId);
};

}  // namespace vexal
