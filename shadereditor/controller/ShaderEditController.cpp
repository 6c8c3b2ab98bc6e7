#include "ShaderEditController.h"

#include "Common/XQFPreferences/XQFPreferences.h"
#include "DebugOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <QTime>

#include <atomic>

namespace {

// Columns: key, default. The order is the order in which the settings are read.
constexpr const char kAutoCompile[] = "Compiler/AutoCompile";
constexpr const char kCustomPath[] = "Compiler/GLSLES";
constexpr const char kTempDirectory[] = "Compiler/TempDirectory";
constexpr const char kSelection[] = "Compiler/CompilerSelection";
constexpr const char kShouldFormat[] = "Output/ShouldFormat";
constexpr const char kWarning[] = "Output/Warning";
constexpr const char kError[] = "Output/Error";
constexpr const char kCursorMatch[] = "Editor/PerformCursorMatch";
constexpr const char kHighlightFind[] = "Editor/HighlightFindResults";
constexpr const char kFindColour[] = "Editor/FindResultColour";
constexpr const char kCursorColour[] = "Editor/CursorMatchColour";
constexpr const char kTabAsSpace[] = "Editor/TreatTabAsSpace";
constexpr const char kTabSize[] = "Editor/TabSpaceSize";
constexpr const char kMiddleMouse[] = "Editor/CloseTabsMiddleMouse";

constexpr uint32_t kDefaultWarning = 0xFFE25A00u;
constexpr uint32_t kDefaultError = 0xFFFF0000u;
constexpr uint32_t kDefaultFindColour = 0xFFFFFF80u;
constexpr uint32_t kDefaultCursorColour = 0xFFC4FFFFu;

// Colours are stored as ARGB; the editor shows them opaque.
QColor Opaque(uint32_t argb)
{
    return QColor::fromRgb(QRgb(argb | 0xFF000000u));
}

QTextCharFormat Foreground(uint32_t argb)
{
    QTextCharFormat format;
    format.setForeground(QBrush(Opaque(argb)));
    return format;
}

CXQFTString SystemTempDirectory()
{
    QString dir = QDir::tempPath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return CXQFTString(dir.toLocal8Bit().constData());
}

struct SInstance
{
    CShaderEditController* controller = nullptr;
};

SInstance& TheInstance()
{
    static SInstance instance;
    return instance;
}

} // namespace

class CShaderEditControllerHolder
{
public:
    ~CShaderEditControllerHolder() { delete controller; }
    CShaderEditController* controller = nullptr;
};

CShaderEditController* CShaderEditController::Instance()
{
    static CShaderEditControllerHolder holder;
    if (!holder.controller) {
        holder.controller = new CShaderEditController;
        TheInstance().controller = holder.controller;
    }
    return holder.controller;
}

void CShaderEditController::Shutdown()
{
    if (CShaderEditController* c = TheInstance().controller)
        c->StopWorker();
}

CShaderEditController::CShaderEditController()
{
    RegisterShaderMetaTypes();
    qRegisterMetaType<Settings::SCompiler>("Settings::SCompiler");
    qRegisterMetaType<Settings::SEditor>("Settings::SEditor");
    qRegisterMetaType<ECompileInvocationType>("ECompileInvocationType");
    qRegisterMetaType<CXQFTString>("CXQFTString");

    m_fileFormats = BuildFileFormatSpecifiers();
    m_perFormatFilter = BuildPerFormatFilter(m_fileFormats);
    m_fullFilter = BuildFullFilter(m_fileFormats);
    m_languageGroups = BuildShaderLanguageGroups();

    m_worker = new QThread;
    m_worker->setObjectName(QStringLiteral("ShaderCompileWorker"));
    m_worker->start(QThread::InheritPriority);

    LoadSettings();
    RefreshCompilerFlags();
}

CShaderEditController::~CShaderEditController()
{
    StopWorker();
}

void CShaderEditController::StopWorker()
{
    for (auto& [panel, compiles] : m_pending)
        for (auto& [key, compiler] : compiles) {
            compiler->Cancel();
            compiler->disconnect(this);
            compiler->Release();
        }
    m_pending.clear();
    if (!m_worker)
        return;
    // A running child is killed at the compiler's next poll (50 ms); the slot then returns.
    // The quit is queued behind the compile calls still waiting: cancelled, they return at once
    // and free themselves, where a plain quit would drop them with their compilers.
    auto* last = new QObject;
    last->moveToThread(m_worker);
    QMetaObject::invokeMethod(
        last,
        [last, worker = m_worker] {
            last->deleteLater();
            worker->quit();
        },
        Qt::QueuedConnection);
    if (!m_worker->wait(2500)) {
        m_worker->terminate();
        m_worker->wait();
    }
    delete m_worker;
    m_worker = nullptr;
}

void CShaderEditController::LoadSettings()
{
    m_store = std::make_unique<CXQFPreferences>(CXQFTString(kPreferenceStoreName), 0);
    CXQFTString errors;
    if (!m_store->Load(errors, false))
        DebugOutputPrintf("Failed to load Preference file: %s", errors.CStr());
    CXQFPreferences& s = *m_store;
    Settings::SCompiler& c = m_compilerSettings;
    Settings::SEditor& e = m_editorSettings;
    uint32_t value = 0;
    s.GetBool(kAutoCompile, &c.AutoCompile, true);
    s.GetString(kCustomPath, &c.CustomCompilerPath, CXQFTString());
    s.GetString(kTempDirectory, &c.TempDirectory, SystemTempDirectory());
    s.GetInteger(kSelection, &c.CompilerSelection, 0);
    s.GetBool(kShouldFormat, &c.ShouldFormat, true);
    s.GetInteger(kWarning, &value, kDefaultWarning);
    c.WarningFormat = Foreground(value);
    s.GetInteger(kError, &value, kDefaultError);
    c.ErrorFormat = Foreground(value);
    s.GetBool(kCursorMatch, &e.PerformCursorMatch, true);
    s.GetBool(kHighlightFind, &e.HighlightFindResults, true);
    s.GetInteger(kFindColour, &value, kDefaultFindColour);
    e.FindResultColour = Opaque(value);
    s.GetInteger(kCursorColour, &value, kDefaultCursorColour);
    e.CursorMatchColour = Opaque(value);
    s.GetBool(kTabAsSpace, &e.TreatTabAsSpace, false);
    s.GetInteger(kTabSize, &e.TabSpaceSize, 4);
    s.GetBool(kMiddleMouse, &e.CloseTabsMiddleMouse, false);
}

void CShaderEditController::SaveStore()
{
    if (m_store)
        m_store->Save(false);   // a failed save reports nothing
}

CXQFTString CShaderEditController::GetCompilerPath() const
{
    const uint32_t selection = m_compilerSettings.CompilerSelection;
    if (selection < uint32_t(CCompiler::kCompilerTargetCount)) {
        const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
        return CXQFTString((dir + QLatin1Char('/') + QLatin1String(CCompiler::kCompilerTargets[selection].executable))
                               .toLocal8Bit()
                               .constData());
    }
    if (selection == 4)
        return m_compilerSettings.CustomCompilerPath;
    return CXQFTString();
}

bool CShaderEditController::SupportsBackgroundCompile(uint32_t type)
{
    return (type & 3) != 0 || type == eShaderDocEffectGLSLES || type == eShaderDocOpenCLKernel;
}

CXQFTHash CShaderEditController::MakePanelHash(const QString& name)
{
    // Name and time alone repeat for two panels made in one millisecond (embedded panels have no
    // name): a process-wide counter keeps every id apart.
    static std::atomic<uint32_t> counter{0};
    QByteArray bytes = name.toUtf8() + QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")).toUtf8();
    bytes += QByteArray::number(counter.fetch_add(1));
    return CXQFTHash::Of(bytes.constData(), size_t(bytes.size()));
}

size_t CShaderEditController::PendingCompileCount(const CXQFTHash& panel) const
{
    auto it = m_pending.find(panel);
    return it == m_pending.end() ? 0 : it->second.size();
}

void CShaderEditController::RefreshCompilerFlags()
{
    CXQFTString name, version;
    CXQFTArray<QString> options;
    if (!CCompiler::ProbeCompiler(GetCompilerPath(), &name, &version, &options))
        return;
    std::map<QString, uint32_t> optional;
    for (uint32_t bit : {uint32_t(CCompiler::kOptionProfile), uint32_t(CCompiler::kOptionPerfsim),
                         uint32_t(CCompiler::kOptionDisasm)})
        optional[QString::fromLatin1(CCompiler::GetCompilerOptionTable().at(bit).CStr())] = bit;
    uint32_t flags = 0;
    for (uint32_t i = 0; i < options.size; ++i)
        if (auto it = optional.find(options[i]); it != optional.end())
            flags |= it->second;
    if (flags != m_supportedFlags)
        Q_EMIT CompilerFlagsChanged(flags);
    m_supportedFlags = flags;
}

void CShaderEditController::SetCompilerSettings(Settings::SCompiler settings, unsigned int mask)
{
    CXQFPreferences& s = *m_store;
    Settings::SCompiler& c = m_compilerSettings;
    if (mask & Settings::eCompilerShouldFormat) {
        c.ShouldFormat = settings.ShouldFormat;
        s.SetBool(kShouldFormat, c.ShouldFormat);
    }
    if (mask & Settings::eCompilerErrorFormat) {
        c.ErrorFormat = settings.ErrorFormat;
        s.SetInteger(kError, c.ErrorFormat.foreground().color().rgb());
    }
    if (mask & Settings::eCompilerWarningFormat) {
        c.WarningFormat = settings.WarningFormat;
        s.SetInteger(kWarning, c.WarningFormat.foreground().color().rgb());
    }
    if (mask & Settings::eCompilerCustomPath) {
        c.CustomCompilerPath = settings.CustomCompilerPath;
        s.SetString(kCustomPath, c.CustomCompilerPath);
        RefreshCompilerFlags();
    }
    if (mask & Settings::eCompilerTempDirectory) {
        c.TempDirectory = settings.TempDirectory;
        s.SetString(kTempDirectory, c.TempDirectory);
    }
    if (mask & Settings::eCompilerAutoCompile) {
        c.AutoCompile = settings.AutoCompile;
        s.SetBool(kAutoCompile, c.AutoCompile);
    }
    if (mask & Settings::eCompilerSelection) {
        c.CompilerSelection = settings.CompilerSelection;
        s.SetInteger(kSelection, c.CompilerSelection);
        RefreshCompilerFlags();
    }
    SaveStore();
    Q_EMIT CompilerSettingsChanged(m_compilerSettings, mask);
}

void CShaderEditController::SetEditorSettings(Settings::SEditor settings, unsigned int mask)
{
    CXQFPreferences& s = *m_store;
    Settings::SEditor& e = m_editorSettings;
    if (mask & Settings::eEditorTreatTabAsSpace)
        s.SetBool(kTabAsSpace, e.TreatTabAsSpace = settings.TreatTabAsSpace);
    if (mask & Settings::eEditorTabSpaceSize)
        s.SetInteger(kTabSize, e.TabSpaceSize = settings.TabSpaceSize);
    if (mask & Settings::eEditorCursorMatch)
        s.SetBool(kCursorMatch, e.PerformCursorMatch = settings.PerformCursorMatch);
    if (mask & Settings::eEditorHighlightFind)
        s.SetBool(kHighlightFind, e.HighlightFindResults = settings.HighlightFindResults);
    if (mask & Settings::eEditorCursorMatchColour)
        s.SetInteger(kCursorColour, (e.CursorMatchColour = settings.CursorMatchColour).rgb());
    if (mask & Settings::eEditorFindResultColour)
        s.SetInteger(kFindColour, (e.FindResultColour = settings.FindResultColour).rgb());
    if (mask & Settings::eEditorCloseTabsMiddleMouse)
        s.SetBool(kMiddleMouse, e.CloseTabsMiddleMouse = settings.CloseTabsMiddleMouse);
    SaveStore();
    Q_EMIT EditorSettingsChanged(m_editorSettings);
}

CCompiler* CShaderEditController::StartCompile(const CXQFTHash& panel, const QString& contents, EShaderDocType type,
                                               unsigned int flags, bool onWorker, const CXQFTString& commandLine)
{
    auto* compiler = new CCompiler(GetCompilerPath(), m_compilerSettings.TempDirectory);
    compiler->SetCustomCommandLine(commandLine);
    if (onWorker && m_worker)
        compiler->moveToThread(m_worker);
    const uint32_t key = m_nextCompileKey++;
    m_pending[panel][key] = compiler;
    connect(compiler, &CCompiler::PanelCompiled, this, &CShaderEditController::OnPanelCompiled);
    connect(compiler, qOverload<const CXQFTHash&, unsigned int>(&CCompiler::FinishedCompile), this,
            &CShaderEditController::OnPanelCompileFinished);
    QMetaObject::invokeMethod(compiler, "OnCompile", Qt::QueuedConnection, Q_ARG(CXQFTHash, panel),
                              Q_ARG(unsigned int, key), Q_ARG(QString, contents), Q_ARG(EShaderDocType, type),
                              Q_ARG(unsigned int, flags));
    return compiler;
}

void CShaderEditController::OnCompilePanel(CXQFTHash PanelID, QString Contents, EShaderDocType eType,
                                           ECompileInvocationType eInvocation, unsigned int uiFlags)
{
    if (Contents.isEmpty())
        return;
    Q_EMIT BeginCompiling();
    if (eInvocation == eCompileBackground)
        uiFlags |= m_supportedFlags;
    StartCompile(PanelID, Contents, eType, uiFlags, true, CXQFTString());
}

void CShaderEditController::OnCompileFile(CXQFTHash PanelID, CXQFTString Filename, CXQFTString CommandLine,
                                          EShaderDocType eType)
{
    QFile file(QString::fromLocal8Bit(Filename.CStr()));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QString text;
    QTextStream in(&file);
    while (!in.atEnd())
        text += in.readLine() + QLatin1Char('\n');
    StartCompile(PanelID, text, eType, 0, false, CommandLine);
}

void CShaderEditController::OnCancelCompile(CXQFTHash PanelID)
{
    auto it = m_pending.find(PanelID);
    if (it != m_pending.end()) {
        for (auto& [key, compiler] : it->second) {
            compiler->Cancel();
            disconnect(compiler, qOverload<const CXQFTHash&, unsigned int>(&CCompiler::FinishedCompile), this,
                       &CShaderEditController::OnPanelCompileFinished);
            compiler->Release();   // it deletes itself once its slot has returned
        }
        it->second.clear();
    }
    Q_EMIT EndCompiling();
}

void CShaderEditController::OnPanelCompileFinished(CXQFTHash PanelID, unsigned int CompileKey)
{
    auto it = m_pending.find(PanelID);
    if (it == m_pending.end())
        return;
    auto entry = it->second.find(CompileKey);
    if (entry == it->second.end())
        return;
    // The compiler frees itself on its own thread after this, its last signal.
    entry->second->Release();
    it->second.erase(entry);
}

void CShaderEditController::OnPanelCompiled(CXQFTHash PanelID, unsigned int CompileKey, SCompileResult Results)
{
    Q_UNUSED(CompileKey);
    SCompileResult& stored = m_lastResults[PanelID];
    stored = Results;
    Q_EMIT CompileOutputChanged(QString::fromLocal8Bit(stored.output.CStr(), qsizetype(stored.output.Length())));
    Q_EMIT CompileProfileChanged(stored);
    Q_EMIT CompileCycleCountChanged(PanelID, stored.lineCycles);
    Q_EMIT CompileResultChanged(PanelID, stored);
    Q_EMIT EndCompiling();
}

void CShaderEditController::OnPanelChanged(CXQFTHash PanelID)
{
    auto it = m_lastResults.find(PanelID);
    if (it == m_lastResults.end()) {
        Q_EMIT ClearCompileOutput();
        return;
    }
    Q_EMIT CompileOutputChanged(QString::fromLocal8Bit(it->second.output.CStr(), qsizetype(it->second.output.Length())));
    Q_EMIT CompileProfileChanged(it->second);
}

void CShaderEditController::OnEditorStateChanged(int state)
{
    if (state == 1)
        Q_EMIT ClearCompileOutput();
}
