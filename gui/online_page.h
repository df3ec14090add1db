// The "Online" page: the blocks in the controller, refresh, upload and delete.
#pragma once

#include "sheet_page.h"

namespace vexal {

class COnlinePage : public CSheetPage {
    Q_OBJECT

public:
    COnlinePage(const PageContext& context, int templateId);
};

}  // namespace vexal
