#pragma once
// The form the viewer's tabbed docks share (states, data viewer, statistics, output): floating at first,
// dockable left or right, a contents widget "dockWidgetContents" holding one tab widget whose tabs
// are neither closable nor movable, under the docks' common style sheet.
#include <QSize>

class QDockWidget;
class QTabWidget;

struct STabDockForm
{
    const char* objectName;
    const char* tabWidgetName;
    QSize size;
    bool vertical = false;  // layout "verticalLayout" with spacing and margins 1, else "horizontalLayout", 0
    bool dropsInside = true;  // the contents and the tab widget accept drops too
    bool floating = true;     // the Output dock starts docked
};

// Builds the form into dock and returns its tab widget (owned by the dock).
QTabWidget* SetupTabDock(QDockWidget& dock, const STabDockForm& form);
