#include "Compiler.h"

#include "CompileOutputParser.h"
#include "ShaderEditorStrings.h"
#include "ShaderRegex.h"
#include "WholeFile.h"
#include "XQFTVTLParser.h"
#include "host/ShaderSourceCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr const char kRunFailed[] = "ERROR: Failed to execute command line\n";

CXQFTString Local8Bit(const QString& s)
{
    const QByteArray bytes = s.toLocal8Bit();
    return CXQFTString(bytes.constData(), size_t(bytes.size()));
}

QString FromLocal8Bit(const CXQFTString& s)
{
    return QString::fromLocal8Bit(s.CStr(), qsizetype(s.Length()));
}

bool Contains(const CXQFTString& text, const char* what)
{
    size_t n = strlen(what);
    return n <= text.Length() && memmem(text.CStr(), text.Length(), what, n) != nullptr;
}

uint32_t CountLines(const CXQFTString& text)
{
    uint32_t lines = 1;
    for (size_t i = 0; i < text.Length(); ++i)
        lines += text.CStr()[i] == '\n';
    return lines;
}

} // namespace

const CCompiler::SCompilerTarget CCompiler::kCompilerTargets[kCompilerTargetCount] = {
    {"xqf-glsl-check", "GLSL ES reference check"},
    {"xqf-offline-compiler-2", "Offline compiler 2"},
    {"xqf-offline-compiler-3", "Offline compiler 3"},
    {"xqf-offline-compiler-4", "Offline compiler 4"},
};

CCompiler::SRunLimit& CCompiler::ProbeLimit()
{
    static SRunLimit limit = kProbeLimit;
    return limit;
}

CCompiler::SRunLimit& CCompiler::CompileLimit()
{
    static SRunLimit limit = kCompileLimit;
    return limit;
}

CCompiler::CCompiler(const CXQFTString& compilerPath, const CXQFTString& temporaryDirectory)
    : m_compilerPath(compilerPath), m_temporaryDirectory(temporaryDirectory)
{
}

CCompiler::~CCompiler() = default;

const std::map<uint32_t, CXQFTString>& CCompiler::GetCompilerOptionTable()
{
    static const std::map<uint32_t, CXQFTString> table = {
        {1, "v"}, {2, "f"}, {4, "nowarn"}, {8, "profile"}, {16, "perfsim"}, {32, "disasm"}};
    return table;
}

CXQFTString CCompiler::BuildCompilerCommandLine(const CXQFTString& executable, const CXQFTString& input,
                                                const CXQFTString& outputBase, uint32_t bits)
{
    CXQFTString line;
    if (!executable.IsEmpty())
        line.Append("\"").Append(executable).Append("\" ");
    if (!input.IsEmpty())
        line.Append("\"").Append(input).Append("\" ");
    if (!outputBase.IsEmpty())
        line.Append("\"").Append(outputBase).Append("\"");
    for (const auto& [bit, name] : GetCompilerOptionTable())
        if (bits & bit)
            line.Append(" -").Append(name);
    return line;
}

uint32_t CCompiler::RunCommandLine(const std::atomic<bool>* cancel, const CXQFTString& commandLine,
                                   CXQFTString& output, const SRunLimit& limit)
{
    QStringList arguments = QProcess::splitCommand(FromLocal8Bit(commandLine));
    if (arguments.isEmpty() || arguments.first().isEmpty()) {
        output.Append(kRunFailed);
        return SCompileResult::kUnusable;
    }
    const QString program = arguments.takeFirst();
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setStandardInputFile(QProcess::nullDevice());
    child.start(program, arguments, QIODevice::ReadOnly);
    if (!child.waitForStarted(limit.milliseconds)) {
        child.kill();
        child.waitForFinished(1000);
        output.Append(kRunFailed);
        return SCompileResult::kUnusable;
    }
    auto stop = [&child] {
        child.kill();
        child.waitForFinished(1000);
    };
    if (cancel && cancel->load()) {
        stop();
        return SCompileResult::kCancelled;
    }

    QElapsedTimer clock;
    clock.start();
    qint64 received = 0;
    char chunk[256];
    for (;;) {
        if (child.bytesAvailable() == 0) {
            if (child.state() == QProcess::NotRunning)
                break;   // the child is gone and its output read: the normal end
            child.waitForReadyRead(50);
        }
        qint64 n = child.read(chunk, sizeof chunk);
        if (n > 0) {
            received += n;
            qint64 kept = 0;
            for (qint64 i = 0; i < n; ++i)
                if (chunk[i] != '\r')
                    chunk[kept++] = chunk[i];
            // The string grows to the exact size it is asked for: grow it by doubling here.
            if (output.Capacity() < output.Length() + size_t(kept) + 1)
                output.Reserve(std::max(output.Capacity() * 2, output.Length() + size_t(kept)));
            output.Append(chunk, size_t(kept));
        }
        if (cancel && cancel->load()) {
            stop();
            return SCompileResult::kCancelled;
        }
        const bool late = clock.elapsed() > limit.milliseconds;
        if (late || received > limit.outputBytes) {
            stop();
            output.Append(kRunFailed);
            output.Append(late ? StringFromFormat("ERROR: The compiler did not finish within %d seconds.\n",
                                                  (limit.milliseconds + 999) / 1000)
                               : StringFromFormat("ERROR: The compiler wrote more than %lld MiB of output.\n",
                                                  (long long)(limit.outputBytes >> 20)));
            return SCompileResult::kUnusable;
        }
    }
    return SCompileResult::kSuccess;
}

bool CCompiler::ProbeCompiler(const CXQFTString& path, CXQFTString* name, CXQFTString* version,
                              CXQFTArray<QString>* options)
{
    QFileInfo file(FromLocal8Bit(path));
    if (path.IsEmpty() || !file.exists() || file.isDir())
        return false;
    std::atomic<bool> neverCancelled{false};
    CXQFTString banner;
    // The path is run as it stands: quoted, so blanks in it do not split it.
    CXQFTString quoted = CXQFTString("\"") + path + "\"";
    if (RunCommandLine(&neverCancelled, quoted, banner, ProbeLimit()) != SCompileResult::kSuccess)
        return false;
    return ParseCompilerHelp(banner, name, version, options);
}

// Whichever of the two comes second asks for the deletion, after the mutex is unlocked: the
// object may be gone as soon as deleteLater is posted to a running thread.
void CCompiler::Release()
{
    bool finished;
    {
        QMutexLocker lock(&m_mutex);
        m_released = true;
        finished = m_finished;
    }
    if (finished)
        deleteLater();
}

void CCompiler::MarkFinished()
{
    bool released;
    {
        QMutexLocker lock(&m_mutex);
        m_finished = true;
        released = m_released;
    }
    if (released)
        deleteLater();
}

void CCompiler::Cancel()
{
    QMutexLocker lock(&m_mutex);
    if (m_running && m_processCancel)
        m_processCancel->store(true);
    m_cancelled = true;
}

void CCompiler::OnCompile(CXQFTHash PanelID, unsigned int CompileKey, QString Contents, EShaderDocType eType,
                          unsigned int uiFlags)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_cancelled) {
            m_processCancel = std::make_unique<std::atomic<bool>>(false);
            m_running = true;
        }
    }
    if (!m_running) {   // cancelled before it ran: nothing compiled, no signal
        MarkFinished();
        return;
    }
    m_result = SCompileResult();
    m_profiles.clear();
    m_panelIdText = StringFromFormat("%u", PanelID.Value());
    m_flags = uiFlags;
    m_type = eType;
    const CXQFTString text = Local8Bit(Contents);
    if (!text.IsEmpty()) {
        if (IsEffectDocType(eType)) {
            CompileEffect(text);
        } else {
            uint32_t kind = kKindOther, labelEntry = 0;
            if (eType == eShaderDocGLSLESFragment || eType == eShaderDocGLSLFragment)
                kind = kKindFragment, labelEntry = 59;
            else if (eType == eShaderDocGLSLESVertex || eType == eShaderDocGLSLVertex)
                kind = kKindVertex, labelEntry = 77;
            else if (eType == eShaderDocOpenCLKernel)
                labelEntry = 66;
            // A GLSL source that would take the compiler's stack, memory or minutes (shaders from
            // traces are anyone's) is not compiled: the reason is the result.
            const std::string refused =
                kind == kKindOther ? std::string() : ShaderSourceRefusal({text.CStr(), text.Length()});
            if (!refused.empty()) {
                m_result.status = SCompileResult::kUnusable;
                m_result.output = CXQFTString("ERROR: ") + refused.c_str() + "\n";
            } else {
                CompileSource(text, labelEntry ? GetShaderEditorString<CXQFTString>(labelEntry) : CXQFTString(),
                              kind, 0, 0);
            }
        }
        for (const auto& [index, profile] : m_profiles)
            m_result.profiles.Append(profile);
    }
    if (!m_privateFolder.IsEmpty()) {
        QDir(FromLocal8Bit(m_privateFolder)).removeRecursively();
        m_privateFolder.Clear();
    }

    bool cancelled;
    {
        QMutexLocker lock(&m_mutex);
        m_running = false;
        cancelled = m_cancelled;
        // An empty text is reported finished too, so that its pending entry is released.
        if (!cancelled && !text.IsEmpty())
            Q_EMIT PanelCompiled(PanelID, CompileKey, m_result);
        m_processCancel.reset();
    }
    if (cancelled)
        Q_EMIT FinishedCompile();
    else
        Q_EMIT FinishedCompile(PanelID, CompileKey);
    MarkFinished();
}

bool CCompiler::MakePrivateFolder()
{
    if (!m_privateFolder.IsEmpty())
        return true;
    CXQFTString pattern = m_temporaryDirectory + "/xqft-compile-XXXXXX";
    if (!mkdtemp(&pattern.At(0)))
        return false;
    m_privateFolder = pattern;
    return true;
}

bool CCompiler::CompileSource(const CXQFTString& text, const CXQFTString& label, uint32_t kind,
                              uint32_t shaderIndex, uint32_t lineOffset)
{
    // A private folder per request: names in a shared folder could be raced, overwritten by
    // another compile of the same panel, or redirected by a planted link.
    CXQFTString error;
    if (!MakePrivateFolder() ||
        !WriteWholeFile((m_privateFolder + "/" + m_panelIdText + ".tmp").CStr(), text.CStr(), text.Length(), &error)) {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(74)).Append("\n");
        m_result.status = SCompileResult::kUnusable;
        return false;
    }
    const CXQFTString input = m_privateFolder + "/" + m_panelIdText + ".tmp";
    const CXQFTString outputBase = m_privateFolder + "/" + m_panelIdText;
    Compile(kind, input, outputBase, label, lineOffset, shaderIndex, CountLines(text));
    unlink(input.CStr());
    return true;
}

bool CCompiler::GetEffectShaderSource(const SXQFTVTLParserShader& shader, CXQFTString* source)
{
    if (!shader.UseFileName) {
        if (!shader.GLSLCode)
            return false;
        *source = shader.GLSLCode;
        return true;
    }
    char* buffer = nullptr;
    size_t size = 0;
    CXQFTString error;
    const char* file = shader.GLSLFile ? shader.GLSLFile : shader.GLSLBinaryFile;
    if (!file || !ReadWholeFile(file, &buffer, &size, &error)) {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(23)).Append(error).Append("\n");
        m_result.status = SCompileResult::kFailed;
        return false;
    }
    source->Assign(buffer, size);
    free(buffer);
    return true;
}

bool CCompiler::CompileEffect(const CXQFTString& text)
{
    CXQFTVTLParser parser;
    CXQFTString error;
    if (parser.ParseFromMemory(text.CStr(), &error) != 0) {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(29)).Append(" ").Append(error).Append("\n");
        m_result.status = SCompileResult::kFailed;
        return false;
    }
    uint32_t index = 0;
    auto compileAll = [&](uint32_t count, auto get, uint32_t kind) {
        for (uint32_t i = 0; i < count; ++i) {
            const SXQFTVTLParserShader& shader = (parser.*get)(i);
            CXQFTString source;
            if (!GetEffectShaderSource(shader, &source))
                continue;
            CompileSource(source, shader.Name.String, kind, index++, shader.FirstLineNumber);
        }
    };
    compileAll(parser.GetNumberVertexShaders(), &CXQFTVTLParser::GetVertexShader, kKindVertex);
    compileAll(parser.GetNumberFragmentShaders(), &CXQFTVTLParser::GetFragmentShader, kKindFragment);
    return true;
}

void CCompiler::Compile(uint32_t kind, const CXQFTString& inputPath, const CXQFTString& outputBase,
                        const CXQFTString& label, uint32_t lineOffset, uint32_t shaderIndex, uint32_t textLines)
{
    CXQFTString executable = m_compilerPath;
    CXQFTString commandLine;
    if (m_customCommandLine.IsEmpty()) {
        commandLine = BuildCompilerCommandLine(executable, inputPath, outputBase, m_flags | kind);
    } else {
        commandLine = m_customCommandLine;
        if (IsEffectDocType(m_type)) {
            static const QRegularExpression shaders = MakeShaderRegex(
                QStringLiteral("(?:(?:\"([^\"]+)\" <VTLShaders>)|(?:([^\\s]+) <VTLShaders>))(.*)"));
            QRegularExpressionMatch m = shaders.match(FromLocal8Bit(m_customCommandLine));
            if (m.hasMatch()) {
                executable = Local8Bit(m.captured(1).isEmpty() ? m.captured(2) : m.captured(1));
                commandLine = BuildCompilerCommandLine(executable, inputPath, outputBase, kind) + Local8Bit(m.captured(3));
            }
        }
    }

    CXQFTString log, banner;
    // Without an executable the input file would become the program: nothing is started then.
    const QString program = QProcess::splitCommand(FromLocal8Bit(commandLine)).value(0);
    const bool runnable = !program.isEmpty() && program != FromLocal8Bit(inputPath);
    m_result.status = runnable ? RunCommandLine(m_processCancel.get(), commandLine, log, CompileLimit())
                               : uint32_t(SCompileResult::kUnusable);
    if (m_result.status == SCompileResult::kSuccess && !executable.IsEmpty())
        RunCommandLine(m_processCancel.get(), CXQFTString("\"") + executable + "\"", banner, ProbeLimit());
    if (m_result.status == SCompileResult::kUnusable) {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(27)).Append("\n");
        return;
    }
    if (m_result.status == SCompileResult::kCancelled)
        return;
    if (!Contains(log, "Success.\n"))
        m_result.status = SCompileResult::kFailed;
    if (m_result.status == SCompileResult::kSuccess) {
        SCompileResult::SProfile& profile = m_profiles[shaderIndex];
        profile.name = label;
        profile.fragment = kind == kKindFragment;
    }

    CXQFTString fileBase;
    if (m_customCommandLine.IsEmpty()) {
        fileBase = outputBase;
    } else {
        static const QRegularExpression third = MakeShaderRegex(QStringLiteral("\"[^\"]*\" \"[^\"]*\" \"([^\"]*)\".*"));
        QRegularExpressionMatch m = third.match(FromLocal8Bit(m_customCommandLine));
        if (m.hasMatch())
            fileBase = Local8Bit(m.captured(1));
        else if (Contains(m_customCommandLine, "<VTLShaders>"))
            fileBase = outputBase;
    }
    const CXQFTString profilePath = fileBase + ".prof", disassemblyPath = fileBase + ".disasm";
    const auto& options = GetCompilerOptionTable();
    auto customAsks = [&](uint32_t bit) {
        return Contains(m_customCommandLine, (CXQFTString("-") + options.at(bit)).CStr());
    };
    if (m_result.status == SCompileResult::kSuccess) {
        if ((m_flags & kOptionProfile) || customAsks(kOptionProfile))
            ParseProfileOutput(m_result, m_profiles, profilePath.CStr(), lineOffset, shaderIndex, textLines);
        if ((m_flags & kOptionDisasm) || customAsks(kOptionDisasm))
            ParseDisassemblyFile(m_result, m_profiles, disassemblyPath.CStr(), shaderIndex);
        if (Contains(log, "Performance estimate"))
            ParsePerformanceEstimate(m_profiles, log, shaderIndex);
    }
    CXQFTArray<QString> ignored;
    ParseCompilerHelp(banner, &m_result.compilerName, &m_result.compilerVersion, &ignored);

    m_result.output.Append(label).Append(": ");
    if (m_result.status == SCompileResult::kSuccess) {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(17)).Append("\n");
        ParseCompileMessages(m_result, "Success.\n", lineOffset, log);
    } else if (Contains(log, "Compile failed.")) {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(16)).Append("\n");
        ParseCompileMessages(m_result, "Compile failed.\n", lineOffset, log);
    } else {
        m_result.output.Append(GetShaderEditorString<CXQFTString>(11)).Append("\n");
    }
    unlink(profilePath.CStr());
    unlink(disassemblyPath.CStr());
}
