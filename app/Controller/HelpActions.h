#pragma once
// The Help menu's work: the user manual, the feedback dialog, the About box and the update check
// with the updater that runs it. The controller's Help slots forward here. The main window
// parents every dialog; the viewer's preference store keeps the manual's folder, the About box's
// start-up choice and the updater's settings. Both are null until the controller is initialised.
#include <memory>

class CAutoUpdater;
class CXQFPreferences;
class QMainWindow;

class CHelpActions
{
public:
    CHelpActions();
    ~CHelpActions();

    // Drops the updater (it reads the store it was made with) and takes the new window and store.
    void SetContext(QMainWindow* window, CXQFPreferences* store);
    // Makes the updater over the store and starts its quiet check (the store decides whether it
    // runs); needs a store.
    void StartUpdater();
    // Null until StartUpdater, and again after SetContext.
    CAutoUpdater* Updater() const { return m_updater.get(); }

    // Without a store: nothing.
    void OpenManual();
    void ShowFeedback();
    // Forced: always; otherwise as the About box's own start-up setting says.
    void ShowAbout(bool force);
    // Without an updater: nothing.
    void ForceCheckForUpdates();

private:
    QMainWindow* m_window = nullptr;
    CXQFPreferences* m_store = nullptr;
    std::unique_ptr<CAutoUpdater> m_updater;
};
