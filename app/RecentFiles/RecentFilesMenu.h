#pragma once
// The "Open Recent File" menu: shows each entry's full path as its tool tip.
#include <QMenu>

class CRecentFilesMenu : public QMenu
{
    Q_OBJECT
public:
    CRecentFilesMenu(const QString& title, QWidget* parent);
    ~CRecentFilesMenu() override = default;

protected:
    bool event(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
};
