#include "common/TabDockForm.h"

#include <QBoxLayout>
#include <QDockWidget>
#include <QTabWidget>

QTabWidget* SetupTabDock(QDockWidget& dock, const STabDockForm& form)
{
    dock.setObjectName(form.objectName);
    dock.resize(form.size);
    dock.setAcceptDrops(true);
    dock.setStyleSheet(" QTabWidget::pane { /* The tab widget frame */\n     border-top: 2px solid #C2C7CB;\n }");
    dock.setFloating(form.floating);
    dock.setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* contents = new QWidget();
    contents->setObjectName("dockWidgetContents");
    contents->setAcceptDrops(form.dropsInside);
    QBoxLayout* layout;
    if (form.vertical) {
        layout = new QVBoxLayout(contents);
        layout->setObjectName("verticalLayout");
        layout->setSpacing(1);
        layout->setContentsMargins(1, 1, 1, 1);
    } else {
        layout = new QHBoxLayout(contents);
        layout->setObjectName("horizontalLayout");
        layout->setSpacing(0);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    auto* tabs = new QTabWidget(contents);
    tabs->setObjectName(form.tabWidgetName);
    tabs->setAcceptDrops(form.dropsInside);
    tabs->setTabsClosable(false);
    tabs->setMovable(false);
    layout->addWidget(tabs);
    dock.setWidget(contents);
    return tabs;
}
