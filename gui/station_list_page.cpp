#include "station_list_page.h"

namespace vexal {

CStationListPage::CStationListPage(const PageContext& context, int templateId)
    : CSheetPage(context, templateId) {
    setObjectName(QStringLiteral("stationListPage"));
}

}  // namespace vexal
