#include "page_controls.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

namespace vexal {

QPushButton* MakeButton(const char* caption, const char* objectName) {
    auto* button = new QPushButton(QCoreApplication::translate("Vexal", caption));
    button->setObjectName(QString::fromLatin1(objectName));
    return button;
}

QString StationText(StationKey key) {
    if (!StationKey_IsIp(key)) return QStringLiteral("MPI = %1").arg(key);
    return QStringLiteral("IP = [%1.%2.%3.%4]")
        .arg(StationKey_Octet(key, 0))
        .arg(StationKey_Octet(key, 1))
        .arg(StationKey_Octet(key, 2))
        .arg(StationKey_Octet(key, 3));
}

QTreeWidget* MakeReportList(const char* objectName, const QString& accessibleName) {
    auto* list = new QTreeWidget;
    list->setObjectName(QString::fromLatin1(objectName));
    list->setAccessibleName(accessibleName);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    return list;
}

void SetReportColumns(QTreeWidget* list, std::span<const ReportColumn> columns) {
    list->setColumnCount(static_cast<int>(columns.size()));
    auto* heading = new QTreeWidgetItem;
    for (size_t index = 0; index < columns.size(); ++index) {
        const int column = static_cast<int>(index);
        heading->setText(column, QCoreApplication::translate("Vexal", columns[index].heading));
        heading->setTextAlignment(column, columns[index].alignment);
        list->setColumnWidth(column, columns[index].width);
    }
    list->setHeaderItem(heading);
}

void FitColumnsToContents(QTreeWidget* list, int columnCount) {
    for (int column = 0; column < columnCount; ++column) {
        list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

QTreeWidgetItem* MakeReportRow(const QStringList& texts, std::span<const ReportColumn> columns) {
    auto* row = new QTreeWidgetItem(texts);
    for (size_t index = 0; index < columns.size(); ++index) {
        row->setTextAlignment(static_cast<int>(index), columns[index].alignment);
    }
    return row;
}

}  // namespace vexal
