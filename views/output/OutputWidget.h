#pragma once
// The "Output" dock: the search results and the diagnostics log in two tabs. A view it is not
// given leaves its tab out. Disabled while no trace is open.
#include <QDockWidget>

class COutputViewerWidget;
class QMainWindow;
class QTabWidget;

class COutputWidget : public QDockWidget
{
    Q_OBJECT
public:
    // searchView emits onRequestFocus() when it wants its tab in front.
    COutputWidget(QMainWindow* mainWindow, Qt::WindowFlags flags, QWidget* searchView, COutputViewerWidget* outputView);
    QTabWidget* Tabs() const { return viewerTabWidget; }

public Q_SLOTS:
    void SLTUpdatedTrace(bool clean) { setEnabled(!clean); }
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }

private Q_SLOTS:
    void RequestedFocus();

private:
    QWidget* searchView;
    COutputViewerWidget* outputView;
    QTabWidget* viewerTabWidget = nullptr;
};
