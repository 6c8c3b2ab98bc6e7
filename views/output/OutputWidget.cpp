#include "output/OutputWidget.h"

#include <QMainWindow>
#include <QTabWidget>

#include "common/TabDockForm.h"
#include "output/OutputViewerWidget.h"

COutputWidget::COutputWidget(QMainWindow* mainWindow, Qt::WindowFlags flags, QWidget* search,
                             COutputViewerWidget* output)
    : QDockWidget(mainWindow, flags), searchView(search), outputView(output)
{
    STabDockForm form{"OutPutViewerDock", "viewerTabWidget", QSize(413, 600)};
    form.floating = false;
    viewerTabWidget = SetupTabDock(*this, form);
    setWindowTitle("Output");
    setEnabled(false);  // until a trace is open
    if (searchView)
        viewerTabWidget->addTab(searchView, "Search");
    if (outputView)
        viewerTabWidget->addTab(outputView, "Output");
    if (searchView)
        connect(searchView, SIGNAL(onRequestFocus()), this, SLOT(RequestedFocus()));
}

void COutputWidget::RequestedFocus()
{
    if (searchView && sender() == searchView)
        viewerTabWidget->setCurrentWidget(searchView);
}
