// The "Online" page: the blocks in the controller, refresh, upload and delete.
#pragma once

#include "sheet_page.h"

namespace vexal {

class COnlinePage : public CSheetPage {
    Q_OBJECT

public:
    explicit COnlinePage(int templateId);
};

}  // namespace vexal
