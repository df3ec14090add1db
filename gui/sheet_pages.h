// The eight pages of the main sheet: built in one order, added as tabs in another,
// deleted in the order they were built.
#pragma once

namespace vexal {

class CMainSheet;
class CStationListPage;
class COfflinePage;
class COnlinePage;
class CTimePage;
class COpModePage;
class CDiagnosticsPage;
class CMemoryPage;
class CVariablesPage;

struct CSheetPages {
    CStationListPage* stationList = nullptr;
    COfflinePage* offline = nullptr;
    COnlinePage* online = nullptr;
    CTimePage* time = nullptr;
    COpModePage* opMode = nullptr;
    CDiagnosticsPage* diagnostics = nullptr;
    CMemoryPage* memory = nullptr;
    CVariablesPage* variables = nullptr;

    // Constructs the pages with the templates of the chosen layout.
    void Build(bool largeLayout);
    // Tab order: project blocks, station list, controller blocks, variables, operation
    // mode, memory, time, diagnostics.
    void AddInTabOrder(CMainSheet& sheet) const;
    void DeleteAll();
};

}  // namespace vexal
