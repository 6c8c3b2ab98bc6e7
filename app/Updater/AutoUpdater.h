#pragma once
// Looks for a newer release by running the external update tool, reports the result in small
// dialogs, lets the tool download the new installer and starts that installer with administrator
// rights. The tool and the installer are outside this program: only how they are called and how
// their exit codes read is fixed here. The tool runs as a separate process; nothing here waits
// for it, so a check never blocks the window.
//
// Tool exit codes: a check gives 0 (an update exists), 1 (none) or anything else (failure); a
// download gives 0 or 4 (the installer is there), 3 (the download failed) or anything else.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "XQFTString.h"

class CXQFPreferences;
class QDialog;
class QTimer;
class QWidget;

class CAutoUpdater : public QObject
{
    Q_OBJECT
public:
    // The products an installer knows. The tool list given at construction holds indices into
    // the tool names: those are installed, every other tool and component is left out.
    static constexpr int kToolCount = 9;
    static constexpr int kComponentCount = 9;
    static const char* const kToolNames[kToolCount];
    static const char* const kComponentNames[kComponentCount];
    static constexpr int kViewerTool = 0;   // this program's own entry
    static constexpr int kPluginsTool = 10; // no tool of its own: asks the installer for the plug-ins

    // The store written by the SDK's installer (all users), and its keys.
    static constexpr char kSdkStore[] = "XQFTraceSDK";
    static constexpr char kSdkInstallDirKey[] = "InstallDir";
    static constexpr char kSdkEmulationKey[] = "InstallEmulation";
    static constexpr char kSdkRegisterPluginsKey[] = "RegisterPlugins";
    // Beside the program: the update tool and its settings file.
    static constexpr char kToolFileName[] = "xqft-autoupdate";
    static constexpr char kSettingsFileName[] = "update.ini";
    // The downloaded installer, in the system's temporary folder.
    static constexpr char kInstallerName[] = "XQFTraceSDK-setup";
    static constexpr char kInstallerSuffix[] = ".run";
    // Keys in the viewer's store.
    static constexpr char kCheckKey[] = "Updater/CheckForUpdates";
    static constexpr char kPathKey[] = "Updater/Path";

    // Starts the installer with administrator rights; true when it started.
    using FStartInstaller = std::function<bool(const QString& installer, const QString& arguments)>;

    CAutoUpdater(const QString& productName, const QList<int>& tools, CXQFPreferences* preferences,
                 QWidget* parent);
    ~CAutoUpdater() override;

    // Runs the update tool unless a check is under way. Without force, only when the store
    // allows checks at start; with force, the absence of an update and failures are reported.
    void CheckForUpdates(bool force);
    bool IsChecking() const { return m_running; }

    // The string table shared with the feedback dialog; empty outside 0-27.
    static QString GetUpdaterString(int index);

    // What a finished download starts: the installer and its arguments, and their joined line.
    QString InstallerPath() const;
    QStringList InstallerArguments() const;
    static QString JoinArguments(const QStringList& arguments);

    // Tests replace the elevated start; null restores it.
    static void SetInstallerStarter(FStartInstaller start);
    // A check whose tool has not ended after this long is stopped and reported as timed out.
    void SetCheckTimeout(int milliseconds) { m_checkTimeout = milliseconds; }

Q_SIGNALS:
    void ErrorOccured(QString message);
    void Done();

public Q_SLOTS:
    void OnForceCheckForUpdates() { CheckForUpdates(true); }

private Q_SLOTS:
    void OnLaunchLink(const QString& link);
    void OnChecked(int exitCode);
    void OnCheckError(QProcess::ProcessError error);
    void OnClickedUpdate();
    void OnClickedCancel();
    void OnDownloaded(int exitCode);

private:
    QString ToolPath() const;
    QString SettingsPath() const;
    QProcess* StartTool(const QStringList& extraArguments, void (CAutoUpdater::*onFinished)(int));
    void CheckTimedOut();
    void RunUpdateDialog(bool available);
    void SaveCheckBox();

    CXQFPreferences* m_preferences;
    QString m_productName;
    QList<int> m_tools;
    bool m_verbose = false;
    bool m_running = false;
    CXQFTString m_installDir;
    QWidget* m_parent;
    QVector<bool> m_installerFlags = QVector<bool>(2, false); // emulation component, plug-in registration
    QDialog* m_dialog = nullptr;      // the update dialog while it runs
    QPointer<QProcess> m_check;       // the tool of the running check
    QTimer* m_checkTimer = nullptr;
    int m_checkTimeout = 120000;
};
