#include "station_list_page.h"

namespace vexal {

CStationListPage::CStationListPage(int templateId) : CSheetPage(templateId) {
    setObjectName(QStringLiteral("stationListPage"));
}

}  // namespace vexal
