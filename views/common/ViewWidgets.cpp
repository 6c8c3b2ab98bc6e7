#include "common/ViewWidgets.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTreeWidget>

QTreeWidget* NewListTree(QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tree->setColumnCount(1);
    tree->header()->hide();
    return tree;
}

QTableWidget* NewSummaryTable(QWidget* parent, const char* objectName)
{
    auto* table = new QTableWidget(parent);
    table->setObjectName(objectName);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setColumnCount(2);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    auto* header = new QHeaderView(Qt::Horizontal, table);
    table->setHorizontalHeader(header);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->hide();
    table->verticalHeader()->hide();
    return table;
}
