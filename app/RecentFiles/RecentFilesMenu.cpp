#include "RecentFilesMenu.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

CRecentFilesMenu::CRecentFilesMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {}

bool CRecentFilesMenu::event(QEvent* e)
{
    if (e->type() != QEvent::ToolTip)
        return QMenu::event(e);
    QAction* active = activeAction();
    if (active && !active->toolTip().isEmpty() && active->property("ARecentFile").isValid())
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), active->toolTip());
    else {
        QToolTip::hideText();
        e->ignore();
    }
    return true;
}

void CRecentFilesMenu::mouseMoveEvent(QMouseEvent* e)
{
    QMenu::mouseMoveEvent(e);
    QAction* active = activeAction();
    if (active && actionAt(e->pos()) != active) {
        setActiveAction(nullptr);
        QToolTip::hideText();
    }
}
