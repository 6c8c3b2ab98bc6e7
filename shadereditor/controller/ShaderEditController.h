#pragma once
// The shader editor's process-wide controller: its settings (its own preference store, written
// back on every change), the worker thread on which panel compiles run one at a time, the
// options the selected compiler supports, the pending compiles and the last result of every
// panel, and the document-type tables.
#include "CompileResult.h"
#include "Compiler.h"
#include "ShaderDocType.h"
#include "ShaderEditorSettings.h"
#include "ShaderMetaTypes.h"
#include "XQFTArray.h"
#include "XQFTHash.h"
#include "XQFTString.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>

class CXQFPreferences;
class QThread;

// How a compile was asked for: 1 is a background compile of an edited panel.
enum ECompileInvocationType : uint32_t
{
    eCompileExplicit = 0,
    eCompileBackground = 1,
};
Q_DECLARE_METATYPE(ECompileInvocationType)

class CShaderEditController : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kPreferenceStoreName = "XQFShaderEditor";

    static CShaderEditController* Instance();
    // At program exit, before statics are destroyed: cancels every pending compile, kills a
    // running child and stops the worker thread. Safe when Instance() was never called.
    static void Shutdown();

    const Settings::SCompiler& GetCompilerSettings() const { return m_compilerSettings; }
    const Settings::SEditor& GetEditorSettings() const { return m_editorSettings; }
    CXQFTString GetCompilerPath() const;
    static bool SupportsBackgroundCompile(uint32_t type);
    uint32_t GetSupportedCompilerFlags() const { return m_supportedFlags; }

    const CXQFTArray<SFileFormatSpecifier>& GetFileFormats() const { return m_fileFormats; }
    const QString& GetPerFormatFilter() const { return m_perFormatFilter; }
    const QString& GetFullFilter() const { return m_fullFilter; }
    const TShaderLanguageGroups& GetLanguageGroups() const { return m_languageGroups; }
    EShaderDocType DetectShaderDocType(const QString& text, const QString& extension) const
    {
        return ::DetectShaderDocType(text, extension);
    }

    // A panel's id: FNV-1 of its name, the time "hh:mm:ss.zzz" and a process-wide counter.
    static CXQFTHash MakePanelHash(const QString& name);

    // Requests of a panel that still wait or run.
    size_t PendingCompileCount(const CXQFTHash& panel) const;

Q_SIGNALS:
    void CompileOutputChanged(QString);
    void CompileProfileChanged(SCompileResult);
    void CompileCycleCountChanged(CXQFTHash, CXQFTArray<int>);
    void CompilerSettingsChanged(Settings::SCompiler, unsigned int);
    void EditorSettingsChanged(Settings::SEditor);
    void ClearCompileOutput();
    void CompilerFlagsChanged(unsigned int);
    void BeginCompiling();
    void EndCompiling();
    // A panel's compile finished: its whole result, for the panel's message marks and its views.
    void CompileResultChanged(CXQFTHash, SCompileResult);

public Q_SLOTS:
    void SetCompilerSettings(Settings::SCompiler settings, unsigned int mask);
    void SetEditorSettings(Settings::SEditor settings, unsigned int mask);

private Q_SLOTS:
    void OnCompileFile(CXQFTHash PanelID, CXQFTString Filename, CXQFTString CommandLine, EShaderDocType eType);
    void OnCompilePanel(CXQFTHash PanelID, QString Contents, EShaderDocType eType,
                        ECompileInvocationType eInvocation, unsigned int uiFlags = 0);
    void OnPanelCompiled(CXQFTHash PanelID, unsigned int CompileKey, SCompileResult Results);
    void OnPanelCompileFinished(CXQFTHash PanelID, unsigned int CompileKey);
    void OnCancelCompile(CXQFTHash PanelID);
    void OnPanelChanged(CXQFTHash PanelID);
    void OnEditorStateChanged(int state);

private:
    CShaderEditController();
    ~CShaderEditController() override;

    void LoadSettings();
    void RefreshCompilerFlags();
    void SaveStore();
    CCompiler* StartCompile(const CXQFTHash& panel, const QString& contents, EShaderDocType type,
                            unsigned int flags, bool onWorker, const CXQFTString& commandLine);
    void StopWorker();

    std::map<CXQFTHash, SCompileResult> m_lastResults;
    std::map<CXQFTHash, std::map<uint32_t, CCompiler*>> m_pending;
    CXQFTArray<SFileFormatSpecifier> m_fileFormats;
    QString m_perFormatFilter;
    QString m_fullFilter;
    QThread* m_worker = nullptr;
    uint32_t m_nextCompileKey = 0;
    std::unique_ptr<CXQFPreferences> m_store;
    Settings::SCompiler m_compilerSettings;
    Settings::SEditor m_editorSettings;
    TShaderLanguageGroups m_languageGroups;
    uint32_t m_supportedFlags = 0;

    friend class CShaderEditControllerHolder;
};

Q_DECLARE_METATYPE(CXQFTString)
