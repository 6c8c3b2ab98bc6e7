#include "CompileMessages.h"

#include "CompileResult.h"

#include <cstring>
#include <limits>

namespace {

bool StartsWith(const char* at, size_t length, const char* prefix, size_t* used)
{
    const size_t n = strlen(prefix);
    if (length < n || memcmp(at, prefix, n) != 0)
        return false;
    *used = n;
    return true;
}

// Reads "digits" at *at, moving it; false without a digit or past 32 bits (digits are still skipped).
bool ReadNumber(const char*& at, const char* end, uint32_t* value, bool* fits)
{
    const char* start = at;
    uint64_t v = 0;
    *fits = true;
    for (; at < end && *at >= '0' && *at <= '9'; ++at) {
        v = v * 10 + uint64_t(*at - '0');
        if (v > std::numeric_limits<uint32_t>::max()) {
            *fits = false;
            v = 0;
        }
    }
    *value = uint32_t(v);
    return at > start;
}

// "s:l:" after the kind; false when the line has another form.
bool ReadLocation(const char* at, const char* end, uint32_t* line)
{
    uint32_t source = 0, number = 0;
    bool sourceFits = false, lineFits = false;
    if (!ReadNumber(at, end, &source, &sourceFits) || at == end || *at++ != ':')
        return false;
    if (!ReadNumber(at, end, &number, &lineFits) || at == end || *at != ':')
        return false;
    *line = lineFits ? number : 0;
    return true;
}

QString Plural(uint32_t n, const char* word)
{
    return QString::number(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

SCompileMessages ParseCompileMessageLines(const CXQFTString& output)
{
    SCompileMessages messages;
    const char* text = output.CStr();
    const char* const end = text + output.Length();
    for (const char* at = text; at < end;) {
        const char* lineEnd = static_cast<const char*>(memchr(at, '\n', size_t(end - at)));
        if (!lineEnd)
            lineEnd = end;
        size_t used = 0;
        const bool error = StartsWith(at, size_t(lineEnd - at), "ERROR: ", &used);
        const bool warning = !error && StartsWith(at, size_t(lineEnd - at), "WARNING: ", &used);
        uint32_t line = 0;
        if ((error || warning) && ReadLocation(at + used, lineEnd, &line)) {
            (warning ? messages.warnings : messages.errors)++;
            if (messages.list.size() < SCompileMessages::kMaxKept)
                messages.list.push_back({line, warning, CXQFTString(at, size_t(lineEnd - at))});
        }
        at = lineEnd + 1;
    }
    return messages;
}

QString CompileSummary(const SCompileResult& result)
{
    if (result.status == SCompileResult::kUnusable) {
        // The output says why, in its first line.
        const char* text = result.output.CStr();
        const char* lineEnd = static_cast<const char*>(memchr(text, '\n', result.output.Length()));
        QString why = QString::fromLocal8Bit(text, lineEnd ? qsizetype(lineEnd - text) : qsizetype(result.output.Length()));
        if (why.startsWith("ERROR: "))
            why.remove(0, 7);
        return why.isEmpty() ? QString("Not compiled") : "Not compiled: " + why;
    }
    const SCompileMessages messages = ParseCompileMessageLines(result.output);
    QString summary;
    if (messages.errors)
        summary = Plural(messages.errors, "error");
    else if (result.status == SCompileResult::kFailed)
        summary = "Compile failed";
    else
        summary = "Compiled";
    if (messages.warnings)
        summary += ", " + Plural(messages.warnings, "warning");
    return summary;
}
