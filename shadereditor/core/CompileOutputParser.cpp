#include "CompileOutputParser.h"

#include "ShaderRegex.h"
#include "WholeFile.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <limits>

namespace {

// Subjects made by QString's own decoders are valid UTF-16: PCRE need not check the whole text
// again at every match of a global search.
constexpr QRegularExpression::MatchOptions kNoCheck = QRegularExpression::DontCheckSubjectStringMatchOption;

// Compiler logs and outputs are bytes. Seen as Latin-1 every byte is one character, so match
// positions are byte offsets and the bytes between matches are copied as they came.
QString Bytes(const char* data, size_t size)
{
    return QString::fromLatin1(data, qsizetype(size));
}

// A decimal capture that fits max, or false.
bool FitsUnsigned(QStringView digits, uint64_t max, uint64_t* value)
{
    bool ok = false;
    qulonglong v = digits.toULongLong(&ok, 10);
    if (!ok || v > max)
        return false;
    *value = v;
    return true;
}

SCompileResult::SProfile& ProfileOf(TCompileProfileMap& profiles, uint32_t shaderIndex)
{
    return profiles[shaderIndex];   // created with every figure at -1 when absent
}

const char* FindBytes(const char* hay, size_t hayLength, const char* needle)
{
    size_t n = strlen(needle);
    if (n == 0 || n > hayLength)
        return nullptr;
    return static_cast<const char*>(memmem(hay, hayLength, needle, n));
}

} // namespace

void ParseCompileMessages(SCompileResult& result, const char* marker, uint32_t lineOffset,
                          const CXQFTString& log)
{
    // The markers hold no digits, so moving line numbers never moves a marker: only the text
    // after the first one is kept, and only that part is edited.
    const char* at = FindBytes(log.CStr(), log.Length(), marker);
    if (!at)
        return;
    const char* tail = at + strlen(marker);
    size_t tailLength = log.Length() - size_t(tail - log.CStr());
    if (lineOffset == 0) {
        result.output.Append(tail, tailLength);
        return;
    }
    static const QRegularExpression message =
        MakeShaderRegex(QStringLiteral("(ERROR|WARNING): (\\d+):(\\d+)[^\\n]*"));
    const QString text = Bytes(tail, tailLength);
    // Built apart and appended once: the output string grows to the exact size at each append.
    QByteArray edited;
    edited.reserve(qsizetype(tailLength) + 64);
    size_t copied = 0;
    for (auto it = message.globalMatch(text, 0, QRegularExpression::NormalMatch, kNoCheck); it.hasNext();) {
        QRegularExpressionMatch m = it.next();
        uint64_t line = 0;
        if (!FitsUnsigned(m.capturedView(3), std::numeric_limits<uint32_t>::max() - lineOffset, &line))
            continue;   // a number that does not fit stays as it was
        size_t start = size_t(m.capturedStart(3)), end = size_t(m.capturedEnd(3));
        edited.append(tail + copied, qsizetype(start - copied));
        edited.append(QByteArray::number(qulonglong(line + lineOffset)));
        copied = end;
    }
    edited.append(tail + copied, qsizetype(tailLength - copied));
    result.output.Append(edited.constData(), size_t(edited.size()));
}

namespace {

// Hands a compiler output file to use(data, size); a file that cannot be read adds the reader's
// message to the result's output instead.
template <typename F>
void WithOutputFile(SCompileResult& result, const char* path, F&& use)
{
    char* buffer = nullptr;
    size_t size = 0;
    CXQFTString error;
    if (!ReadWholeFile(path, &buffer, &size, &error)) {
        result.output.Append(error).Append("\n");
        return;
    }
    use(buffer, size);
    free(buffer);
}

} // namespace

void ParseProfileOutput(SCompileResult& result, TCompileProfileMap& profiles, const char* path,
                        uint32_t lineOffset, uint32_t shaderIndex, uint32_t textLines)
{
    WithOutputFile(result, path, [&](const char* data, size_t size) {
        ParseProfileText(result, profiles, data, size, lineOffset, shaderIndex, textLines);
    });
}

void ParseProfileText(SCompileResult& result, TCompileProfileMap& profiles, const char* data,
                      size_t size, uint32_t lineOffset, uint32_t shaderIndex, uint32_t textLines)
{
    static const QRegularExpression entry = MakeShaderRegex(QStringLiteral("line: (\\d+), count: (\\d+)"));
    static const QRegularExpression instructions =
        MakeShaderRegex(QStringLiteral("USC generated instructions = (\\d+)"));
    const QString text = Bytes(data, size);
    const uint64_t lastLine = uint64_t(lineOffset) + textLines;
    CXQFTArray<int>& cycles = result.lineCycles;
    int64_t total = 0;
    for (auto it = entry.globalMatch(text, 0, QRegularExpression::NormalMatch, kNoCheck); it.hasNext();) {
        QRegularExpressionMatch m = it.next();
        uint64_t line = 0, count = 0;
        if (!FitsUnsigned(m.capturedView(1), std::numeric_limits<uint32_t>::max(), &line) ||
            !FitsUnsigned(m.capturedView(2), std::numeric_limits<int32_t>::max(), &count))
            continue;
        line += lineOffset;
        if (line < 1 || line > lastLine)
            continue;
        if (line <= cycles.size) {
            if (cycles[uint32_t(line - 1)] != -1)
                continue;   // a line that holds a count keeps its first one
            cycles[uint32_t(line - 1)] = int(count);
        } else {
            while (cycles.size < line - 1)
                cycles.Append(-1);
            cycles.Append(int(count));
        }
        total += int64_t(count);
    }
    SCompileResult::SProfile& profile = ProfileOf(profiles, shaderIndex);
    profile.lineCyclesTotal = int32_t(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
    QRegularExpressionMatch m = instructions.match(text, 0, QRegularExpression::NormalMatch, kNoCheck);
    uint64_t value = 0;
    if (m.hasMatch() && FitsUnsigned(m.capturedView(1), std::numeric_limits<int32_t>::max(), &value))
        profile.instructions = int32_t(value);
}

void ParseDisassemblyFile(SCompileResult& result, TCompileProfileMap& profiles, const char* path,
                          uint32_t shaderIndex)
{
    WithOutputFile(result, path, [&](const char* data, size_t size) {
        ProfileOf(profiles, shaderIndex).disassembly.Assign(data, size);
    });
}

void ParsePerformanceEstimate(TCompileProfileMap& profiles, const CXQFTString& log, uint32_t shaderIndex)
{
    static const QRegularExpression cycles = MakeShaderRegex(QStringLiteral("Cycle count:                (\\d+)"));
    static const QRegularExpression average = MakeShaderRegex(QStringLiteral("Average cycle count:        (\\d+)"));
    static const QRegularExpression worst = MakeShaderRegex(QStringLiteral("Worst   cycle count:        (\\d+)"));
    static const QRegularExpression temporaries = MakeShaderRegex(QStringLiteral("Temporary registers used:   (\\d+)"));
    static const QRegularExpression attributes = MakeShaderRegex(QStringLiteral("Primary attributes used:    (\\d+)"));
    static const QRegularExpression reads = MakeShaderRegex(QStringLiteral("Non-dependent texture reads:(\\d+)"));

    const QString text = Bytes(log.CStr(), log.Length());
    SCompileResult::SProfile& profile = ProfileOf(profiles, shaderIndex);
    auto setFloat = [&](const QRegularExpression& re, float* field) {
        QRegularExpressionMatch m = re.match(text, 0, QRegularExpression::NormalMatch, kNoCheck);
        if (!m.hasMatch())
            return false;
        bool ok = false;
        float v = m.capturedView(1).toFloat(&ok);   // false when it overflows a float
        if (ok && std::isfinite(v))
            *field = v;
        return true;
    };
    auto setInt = [&](const QRegularExpression& re, int32_t* field) {
        QRegularExpressionMatch m = re.match(text, 0, QRegularExpression::NormalMatch, kNoCheck);
        uint64_t v = 0;
        if (m.hasMatch() && FitsUnsigned(m.capturedView(1), std::numeric_limits<int32_t>::max(), &v))
            *field = int32_t(v);
    };
    if (!setFloat(cycles, &profile.cycles)) {
        setFloat(average, &profile.cycles);
        setFloat(worst, &profile.worstCycles);
    }
    setInt(temporaries, &profile.temporaryRegisters);
    setInt(attributes, &profile.primaryAttributes);
    setInt(reads, &profile.nonDependentTextureReads);
}

bool ParseCompilerHelp(const CXQFTString& help, CXQFTString* name, CXQFTString* version,
                       CXQFTArray<QString>* options)
{
    // Columns: pattern, name format and its captures, version format and its captures.
    struct SBanner
    {
        QRegularExpression re;
        const char* name;
        int nameCaps[2];
        const char* version;
        int versionCaps[2];
    };
    static const SBanner kBanners[] = {
        {MakeShaderRegex(QStringLiteral("XQF OpenCL ([0-9.]+) (.*) compiler. Version .* ([A-Za-z0-9._]+)@(\\d+)")),
         "OpenCL %1 %2", {1, 2}, "%1@%2", {3, 4}},
        {MakeShaderRegex(QStringLiteral(".* for (\\w+). Version ([A-Za-z0-9._]+)@(\\d+)")), "%1", {1, 0}, "%1@%2", {2, 3}},
        {MakeShaderRegex(QStringLiteral(".* for (\\w+) rev (\\d+).* hxtddk ([A-Za-z0-9._]+)@(\\d+)")),
         "%1 rev %2", {1, 2}, "%1@%2", {3, 4}},
        {MakeShaderRegex(QStringLiteral(".* for (\\w+) rev (\\d+).* hxtddk \\d+ ([A-Za-z0-9._]+)@(\\d+)")),
         "%1 rev %2", {1, 2}, "%1@%2", {3, 4}},
        {MakeShaderRegex(QStringLiteral(".* for (\\w+) rev (\\d+).* Version ([0-9.]*).*")), "%1 rev %2", {1, 2}, "%1", {3, 0}},
    };
    static const QRegularExpression clItem = MakeShaderRegex(QStringLiteral("-([A-Za-z-]+)\\s*:"));
    static const QRegularExpression item = MakeShaderRegex(QStringLiteral(" -(\\w+) "));

    const QString text = QString::fromUtf8(help.CStr(), qsizetype(help.Length()));
    *name = "Unknown";
    *version = "Unknown";
    bool openCL = false;
    for (size_t b = 0; b < std::size(kBanners); ++b) {
        QRegularExpressionMatch m = kBanners[b].re.match(text, 0, QRegularExpression::NormalMatch, kNoCheck);
        if (!m.hasMatch())
            continue;
        // One pass of arg(): a capture holding "%2" is not substituted again.
        auto fill = [&](const char* format, const int* caps) {
            QString f = QString::fromLatin1(format);
            QString s = caps[1] ? f.arg(m.captured(caps[0]), m.captured(caps[1])) : f.arg(m.captured(caps[0]));
            return CXQFTString(s.toUtf8().constData());
        };
        *name = fill(kBanners[b].name, kBanners[b].nameCaps);
        *version = fill(kBanners[b].version, kBanners[b].versionCaps);
        openCL = b == 0;
        break;
    }
    const QString header = openCL ? QStringLiteral("Control options are:") : QStringLiteral("OPTIONS are:");
    qsizetype at = text.indexOf(header);
    if (at < 0)
        return false;
    for (auto it = (openCL ? clItem : item).globalMatch(text, at + header.size(), QRegularExpression::NormalMatch, kNoCheck); it.hasNext();)
        options->Append(it.next().captured(1));
    return true;
}
