// The "Time" page: the controller clock.
#pragma once

#include "sheet_page.h"

namespace vexal {

class CTimePage : public CSheetPage {
    Q_OBJECT

public:
    explicit CTimePage(int templateId);
};

}  // namespace vexal
