// Controls the pages build alike: push buttons, and report-style lists (rows of texts in
// fixed columns, no tree decoration, one row selected at a time).
#pragma once

#include <QString>
#include <QStringList>
#include <Qt>
#include <span>

#include "vexal_types.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vexal {

struct ReportColumn {
    const char* heading;
    Qt::Alignment alignment;
    int width;  // pixels
};

QPushButton* MakeButton(const char* caption, const char* objectName);

// A station as the station list names it, with its network: "MPI = 2", "IP = [10.0.0.5]".
QString StationText(StationKey key);

// An empty list with this object name and accessible name.
QTreeWidget* MakeReportList(const char* objectName, const QString& accessibleName);
// Creates the columns with their headings, alignments and widths.
void SetReportColumns(QTreeWidget* list, std::span<const ReportColumn> columns);
// The first `columnCount` columns take the width of their widest text, whatever their given
// width: for texts that must never be cut.
void FitColumnsToContents(QTreeWidget* list, int columnCount);
// A row of `texts`, aligned as the columns say.
QTreeWidgetItem* MakeReportRow(const QStringList& texts, std::span<const ReportColumn> columns);

}  // namespace vexal
