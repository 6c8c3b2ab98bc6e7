// The Help menu's slots of the controller: the user manual, the feedback dialog, the About box
// and the forced update check.
#include "TraceController.h"

#include <QMainWindow>

#include "AboutBoxDialog.h"
#include "AutoUpdater.h"
#include "FeedbackDialog.h"
#include "ManualOpener.h"
#include "SplashImage.h"

void CTraceController::SLTHelp()
{
    if (!m_preferences)
        return;
    CManualOpener opener(m_mainWindow, m_preferences.get(), CXQFTString("XQFTrace.User Manual.pdf"),
                         CXQFTString("../../Documentation/"), CXQFTString("Document"));
    opener.Open();
}

void CTraceController::SLTFeedback()
{
    CFeedbackDialog dialog(QString::asprintf("XQFTraceGUI %d.%d", 3, 0), QString(), m_mainWindow);
    dialog.exec();
}

void CTraceController::SLTshowAbout(bool bForce)
{
    CAboutBoxDialog about("XQFTrace", AboutSplashImage(), m_preferences.get(), bForce, QString(), m_mainWindow);
    about.ShowIfEnabled();
}

void CTraceController::SLTForceCheckForUpdates()
{
    if (m_updater)
        m_updater->OnForceCheckForUpdates();
}
