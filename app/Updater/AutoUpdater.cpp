#include "AutoUpdater.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "Common/XQFPreferences/XQFPreferences.h"
#include "TraceController.h"
#include "UserPrompts.h"

const char* const CAutoUpdater::kToolNames[kToolCount] = {
    "xqftrace",        "xqft-shadereditor", "xqft-texturetool", "xqft-geometrytool", "xqft-profiler",
    "xqft-capturelayer", "xqft-fonttool",   "xqft-sceneexport", "xqft-compressor",
};

const char* const CAutoUpdater::kComponentNames[kComponentCount] = {
    "emulation", "framework", "examples", "documentation", "shadercompilers",
    "hostlibraries", "headers", "plugins", "sampledata",
};

namespace {

const char kEmulationFlag[] = "installemulation";
const char kRegisterPluginsFlag[] = "registerplugins";

// The installer asks for administrator rights through the desktop's own agent; without one it
// cannot be started elevated here.
bool StartElevated(const QString& installer, const QString& arguments)
{
    const QString pkexec = QStandardPaths::findExecutable("pkexec");
    if (pkexec.isEmpty())
        return false;
    return QProcess::startDetached(pkexec, QStringList{installer} + QProcess::splitCommand(arguments));
}

CAutoUpdater::FStartInstaller& InstallerStarter()
{
    static CAutoUpdater::FStartInstaller start = StartElevated;
    return start;
}

CUserPrompts& Prompts()
{
    return CTraceController::Instance()->Prompts();
}

// The exit code of the process that sent a finished signal; a crash counts as none of the codes
// the tool gives (Qt reports the signal's number as the exit code of a crashed process).
int ExitCodeOf(QObject* sender, int exitCode)
{
    const auto* process = qobject_cast<QProcess*>(sender);
    return process && process->exitStatus() == QProcess::CrashExit ? -1 : exitCode;
}

} // namespace

CAutoUpdater::CAutoUpdater(const QString& productName, const QList<int>& tools, CXQFPreferences* preferences,
                           QWidget* parent)
    : m_preferences(preferences), m_productName(productName), m_tools(tools), m_parent(parent)
{
    // The SDK store belongs to the installer: read it when it is there, never create it.
    CXQFPreferences sdk(CXQFTString(kSdkStore), CXQFPreferences::kScopeAllUsers);
    CXQFTString path;
    if (sdk.GetFilePath(&path) && QFileInfo(QString::fromLocal8Bit(path.CStr())).isFile()) {
        CXQFTString error;
        if (sdk.Load(error, false) && sdk.ParseError().IsEmpty()) {
            sdk.GetString(CXQFTString(kSdkInstallDirKey), &m_installDir);
            bool flag = false;
            if (sdk.GetBool(CXQFTString(kSdkEmulationKey), &flag) == CXQFPreferences::kDone)
                m_installerFlags[0] = flag;
            if (sdk.GetBool(CXQFTString(kSdkRegisterPluginsKey), &flag) == CXQFPreferences::kDone)
                m_installerFlags[1] = flag;
        }
    }
}

// A tool still running is stopped by its QProcess child.
CAutoUpdater::~CAutoUpdater() = default;

void CAutoUpdater::SetInstallerStarter(FStartInstaller start)
{
    InstallerStarter() = start ? std::move(start) : FStartInstaller(StartElevated);
}

QString CAutoUpdater::ToolPath() const
{
    CXQFTString custom;
    if (m_preferences)
        m_preferences->GetString(CXQFTString(kPathKey), &custom);
    if (!custom.IsEmpty())
        return QString::fromLocal8Bit(custom.CStr());
    return QCoreApplication::applicationDirPath() + "/" + kToolFileName;
}

QString CAutoUpdater::SettingsPath() const
{
    return QCoreApplication::applicationDirPath() + "/" + kSettingsFileName;
}

void CAutoUpdater::CheckForUpdates(bool force)
{
    if (m_running)
        return;
    if (!force) {
        bool check = true;
        if (m_preferences)
            m_preferences->GetBool(CXQFTString(kCheckKey), &check, true);
        if (!check)
            return;
    }
    m_verbose = force;

    const QString tool = ToolPath();
    // A folder in the tool's place is no tool either.
    if (!QFileInfo(tool).isFile()) {
        if (force) {
            // The default tool by its name, a tool set in the store by the path given there.
            const bool standard = tool == QCoreApplication::applicationDirPath() + "/" + kToolFileName;
            Prompts().Critical(m_parent, "Failed to check for updates",
                               QString("%1 could not be found").arg(standard ? QString(kToolFileName) : tool));
        }
        return;
    }
    m_running = true;
    m_check = StartTool({}, &CAutoUpdater::OnChecked);
    if (!m_checkTimer) {
        m_checkTimer = new QTimer(this);
        m_checkTimer->setSingleShot(true);
        connect(m_checkTimer, &QTimer::timeout, this, &CAutoUpdater::CheckTimedOut);
    }
    if (m_running)
        m_checkTimer->start(m_checkTimeout);
}

QProcess* CAutoUpdater::StartTool(const QStringList& extraArguments, void (CAutoUpdater::*onFinished)(int))
{
    auto* process = new QProcess(this);
    connect(process, &QProcess::finished, this, onFinished);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    connect(process, &QProcess::errorOccurred, this, &CAutoUpdater::OnCheckError);
    // A tool that cannot start gets no finished signal.
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    process->start(ToolPath(), QStringList{"--mode", "unattended", "--settings_file", SettingsPath()} + extraArguments);
    return process;
}

void CAutoUpdater::CheckTimedOut()
{
    if (!m_running || !m_check)
        return;
    QProcess* process = m_check;
    m_check = nullptr;
    process->disconnect(this);
    process->kill();
    process->waitForFinished(1000);   // a killed process ends at once
    process->deleteLater();
    OnCheckError(QProcess::Timedout);
}

void CAutoUpdater::OnChecked(int exitCode)
{
    const bool crashed = ExitCodeOf(sender(), exitCode) == -1;
    m_running = false;
    m_check = nullptr;
    if (m_checkTimer)
        m_checkTimer->stop();
    if (crashed) {
        // The error handler has reported the crash already; a forced check shows it as a failure.
        if (m_verbose)
            Prompts().Detailed(m_parent, QMessageBox::Critical, GetUpdaterString(24), GetUpdaterString(0),
                               GetUpdaterString(7));
        return;
    }
    if (exitCode == 0) {
        RunUpdateDialog(true);
    } else if (exitCode == 1) {
        if (m_verbose)
            RunUpdateDialog(false);
        else
            Q_EMIT Done();
    } else if (m_verbose) {
        Prompts().Detailed(m_parent, QMessageBox::Critical, GetUpdaterString(24), GetUpdaterString(0),
                           GetUpdaterString(7));
    } else {
        Q_EMIT Done();
    }
}

void CAutoUpdater::OnCheckError(QProcess::ProcessError error)
{
    m_running = false;
    if (sender() == m_check || error == QProcess::Timedout) {
        m_check = nullptr;
        if (m_checkTimer)
            m_checkTimer->stop();
    }
    int entry = -1;
    switch (error) {
    case QProcess::FailedToStart: entry = 1; break;
    case QProcess::Crashed: entry = 0; break;
    case QProcess::Timedout: entry = 3; break;
    case QProcess::ReadError:
    case QProcess::WriteError:
    case QProcess::UnknownError: entry = 4; break;
    }
    Q_EMIT ErrorOccured(GetUpdaterString(entry));
    Q_EMIT Done();
}

void CAutoUpdater::OnLaunchLink(const QString& link)
{
    QDesktopServices::openUrl(QUrl(link));
}

void CAutoUpdater::RunUpdateDialog(bool available)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(GetUpdaterString(available ? 13 : 15));
    auto* layout = new QVBoxLayout(&dialog);
    layout->setSpacing(2);
    layout->setContentsMargins(3, 3, 3, 3);
    auto* buttons = new QDialogButtonBox(Qt::Horizontal, &dialog);
    buttons->setCenterButtons(true);
    auto* heading = new QLabel(&dialog);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    if (available) {
        QPushButton* update = buttons->addButton(GetUpdaterString(23), QDialogButtonBox::AcceptRole);
        connect(update, &QPushButton::clicked, this, &CAutoUpdater::OnClickedUpdate);
        connect(buttons->addButton(QDialogButtonBox::Cancel), &QPushButton::clicked, this,
                &CAutoUpdater::OnClickedCancel);
        heading->setText(GetUpdaterString(14) + " " + m_productName + ".");
        auto* more = new QLabel(GetUpdaterString(25), &dialog);
        connect(more, &QLabel::linkActivated, this, &CAutoUpdater::OnLaunchLink);
        layout->addWidget(more);
    } else {
        connect(buttons->addButton(QDialogButtonBox::Ok), &QPushButton::clicked, this, &CAutoUpdater::OnClickedCancel);
        heading->setText(m_productName + " " + GetUpdaterString(26));
    }
    layout->addItem(new QSpacerItem(400, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    if (available)
        layout->addWidget(new QLabel(GetUpdaterString(27), &dialog));
    auto* row = new QHBoxLayout;
    auto* check = new QCheckBox(GetUpdaterString(9), &dialog);
    check->setObjectName("CheckForUpdatesCheckBox");
    check->setChecked(true);
    row->addWidget(check);
    layout->addLayout(row);
    layout->addWidget(buttons);

    m_dialog = &dialog;
    dialog.exec();
    m_dialog = nullptr;
}

void CAutoUpdater::SaveCheckBox()
{
    if (!m_dialog || !m_preferences)
        return;
    if (auto* check = m_dialog->findChild<QCheckBox*>("CheckForUpdatesCheckBox")) {
        m_preferences->SetBool(CXQFTString(kCheckKey), check->isChecked());
        m_preferences->Save(false);
    }
}

void CAutoUpdater::OnClickedCancel()
{
    SaveCheckBox();
    if (m_dialog)
        m_dialog->reject();
}

void CAutoUpdater::OnClickedUpdate()
{
    SaveCheckBox();
    if (m_dialog)
        m_dialog->accept();
    StartTool({"--unattendedmodebehavior", "download", "--unattendedmodeui", "minimalWithDialogs"},
              &CAutoUpdater::OnDownloaded);
}

QString CAutoUpdater::InstallerPath() const
{
    return QDir::tempPath() + "/" + kInstallerName + kInstallerSuffix;
}

QStringList CAutoUpdater::InstallerArguments() const
{
    QStringList arguments = {"--mode", "unattended", "--unattendedmodeui", "minimal", "--autoupdate", "1"};
    if (!m_installDir.IsEmpty())
        arguments << "--prefix" << QString::fromLocal8Bit(m_installDir.CStr());
    QString enable = "utils,", disable;
    for (int i = 0; i < kToolCount; ++i)
        (m_tools.contains(i) ? enable : disable) += QString(kToolNames[i]) + ",";
    for (const char* component : kComponentNames)
        disable += QString(component) + ",";
    while (enable.endsWith(','))
        enable.chop(1);
    while (disable.endsWith(','))
        disable.chop(1);
    arguments << "--enable-components" << enable << "--disable-components" << disable;
    if (m_tools.contains(kPluginsTool))
        arguments << "--installplugins" << "1";
    arguments << QString("--") + kEmulationFlag << (m_installerFlags[0] ? "1" : "0");
    arguments << QString("--") + kRegisterPluginsFlag << (m_installerFlags[1] ? "1" : "0");
    return arguments;
}

QString CAutoUpdater::JoinArguments(const QStringList& arguments)
{
    // The line is split back by QProcess::splitCommand, so an argument with any white space or a
    // quote (an install folder read from the SDK store, such as "/opt/My SDK") is quoted and its
    // quotes tripled; otherwise such a folder would reach the elevated installer as several arguments.
    QStringList parts;
    for (const QString& a : arguments) {
        const bool quote = a.contains('"') || std::any_of(a.begin(), a.end(), [](QChar ch) { return ch.isSpace(); });
        parts << (quote ? "\"" + QString(a).replace("\"", "\"\"\"") + "\"" : a);
    }
    return parts.join(' ');
}

void CAutoUpdater::OnDownloaded(int exitCode)
{
    exitCode = ExitCodeOf(sender(), exitCode);
    if (exitCode == 0 || exitCode == 4) {
        const QString installer = InstallerPath();
        if (!QFileInfo(installer).isFile()) {
            Prompts().Detailed(m_parent, QMessageBox::Information, GetUpdaterString(19),
                               m_productName + " " + GetUpdaterString(5), GetUpdaterString(17));
            return;
        }
        // The windows close only for an installer that started: closing them otherwise would end
        // the user's work for nothing.
        if (InstallerStarter()(installer, JoinArguments(InstallerArguments()))) {
            QApplication::closeAllWindows();
            return;
        }
        Prompts().Critical(m_parent, GetUpdaterString(24), GetUpdaterString(12));
        Q_EMIT Done();
        return;
    }
    if (exitCode == 3)
        Prompts().Critical(nullptr, GetUpdaterString(24), GetUpdaterString(8));
    Q_EMIT Done();
}
