#pragma once
// Widgets several views build the same way.
class QLayout;
class QTableWidget;
class QTreeWidget;
class QWidget;

// A one-column tree without header and with both scroll bars always shown.
QTreeWidget* NewListTree(QWidget* parent = nullptr);

// A two-column table without headers, selection or horizontal scroll bar: names in a stretched
// first column, numbers in the second (the caller sizes it).
QTableWidget* NewSummaryTable(QWidget* parent, const char* objectName);
