#pragma once
// One compile request of the shader editor: writes the text to a private temporary folder, runs
// the external compiler on it (and once more bare, for its name and version), parses what it
// printed and wrote, and reports one SCompileResult. Effect files compile shader by shader.
// Every run of a child is bounded in time and output; a cancel stops the child at its next poll.
#include "CompileResult.h"
#include "ShaderDocType.h"
#include "ShaderMetaTypes.h"
#include "XQFTArray.h"
#include "XQFTHash.h"
#include "XQFTString.h"

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

struct SXQFTVTLParserShader;

class CCompiler : public QObject
{
    Q_OBJECT

public:
    // Shader kinds, ORed into the option bits: a vertex shader gets -v, a fragment shader -f.
    enum : uint32_t { kKindOther = 0, kKindVertex = 1, kKindFragment = 2 };
    // Option bits of a request.
    enum : uint32_t { kOptionProfile = 8, kOptionPerfsim = 16, kOptionDisasm = 32 };

    // Bounds of one child run: past either, the child is killed and the run fails (status 3).
    struct SRunLimit
    {
        int milliseconds;
        qint64 outputBytes;
    };
    static constexpr SRunLimit kProbeLimit{2000, qint64(1) << 20};
    static constexpr SRunLimit kCompileLimit{60000, qint64(64) << 20};
    // Test hook: the limits in force (the constants above unless a test shortened them).
    static SRunLimit& ProbeLimit();
    static SRunLimit& CompileLimit();

    // A built-in compiler: executable base name beside the application and its display name.
    struct SCompilerTarget
    {
        const char* executable;
        const char* displayName;
    };
    static constexpr int kCompilerTargetCount = 4;
    static const SCompilerTarget kCompilerTargets[kCompilerTargetCount];

    // compilerPath: the executable of the current compiler selection; temporaryDirectory: the
    // folder in which each compile makes its own private folder.
    CCompiler(const CXQFTString& compilerPath, const CXQFTString& temporaryDirectory);
    ~CCompiler() override;

    // From the controller's thread: no compile when OnCompile has not run yet, else the child is
    // stopped and no result published.
    void Cancel();
    void SetCustomCommandLine(const CXQFTString& commandLine) { m_customCommandLine = commandLine; }
    // The owner lets go of the compiler. It deletes itself (deleteLater, on its own thread) once
    // it is both let go and done, so the owner may still cancel it until it lets go.
    void Release();

    static CXQFTString BuildCompilerCommandLine(const CXQFTString& executable, const CXQFTString& input,
                                                const CXQFTString& outputBase, uint32_t bits);
    // Runs the command line (split as a shell would, never through one) with standard output
    // and error merged and standard input the null device; appends what the child prints, "\r"
    // removed. 0 at the end of its output, 2 cancelled, 3 not started or past a limit.
    static uint32_t RunCommandLine(const std::atomic<bool>* cancel, const CXQFTString& commandLine,
                                   CXQFTString& output, const SRunLimit& limit);
    // Option bit -> option name ("v", "f", "nowarn", "profile", "perfsim", "disasm").
    static const std::map<uint32_t, CXQFTString>& GetCompilerOptionTable();
    // Runs the executable bare (probe limits) and reads its banner and option list.
    static bool ProbeCompiler(const CXQFTString& path, CXQFTString* name, CXQFTString* version,
                              CXQFTArray<QString>* options);

Q_SIGNALS:
    void PanelCompiled(const CXQFTHash& PanelID, unsigned int CompileKey, const SCompileResult& Results);
    void FinishedCompile(const CXQFTHash& PanelID, unsigned int CompileKey);
    void FinishedCompile();

public Q_SLOTS:
    void OnCompile(CXQFTHash PanelID, unsigned int CompileKey, QString Contents, EShaderDocType eType,
                   unsigned int uiFlags);

private:
    bool CompileSource(const CXQFTString& text, const CXQFTString& label, uint32_t kind,
                       uint32_t shaderIndex, uint32_t lineOffset);
    bool CompileEffect(const CXQFTString& text);
    void Compile(uint32_t kind, const CXQFTString& inputPath, const CXQFTString& outputBase,
                 const CXQFTString& label, uint32_t lineOffset, uint32_t shaderIndex, uint32_t textLines);
    bool GetEffectShaderSource(const SXQFTVTLParserShader& shader, CXQFTString* source);
    bool MakePrivateFolder();
    void MarkFinished();

    uint32_t m_type = 0;
    CXQFTString m_panelIdText;
    QMutex m_mutex;
    bool m_cancelled = false;
    bool m_running = false;
    bool m_finished = false;
    bool m_released = false;
    std::unique_ptr<std::atomic<bool>> m_processCancel;
    uint32_t m_flags = 0;
    SCompileResult m_result;
    TCompileProfileMap m_profiles;
    CXQFTString m_customCommandLine;
    CXQFTString m_compilerPath;
    CXQFTString m_temporaryDirectory;
    CXQFTString m_privateFolder;   // made for this request, removed when it ends
};
