#include "calllist/CallRowText.h"

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"

namespace {
const QString kEllipsis = QStringLiteral(" ...");

QString Cut(const char* text, int limit)
{
    QString s = QString::fromUtf8(text);
    if (s.size() > limit) {
        s.truncate(limit);
        s += kEllipsis;
    }
    return s;
}

QString ShortText(const SApiTypeBase* value, int limit)
{
    CXQFTString text;
    value->ToString(text, nullptr);
    return Cut(text.CStr(), limit);
}

QString LongText(const SApiTypeBase* value)
{
    CXQFTString text;
    value->ToLongString(text);
    return Cut(text.CStr(), kTipChars);
}

bool IsNoError(const QString& text) { return text == "GL_NO_ERROR" || text == "EGL_SUCCESS"; }

// A description of the call made for this request only: the trace's own per-call description
// would stay allocated for every call a scroll ever passed.
struct SDescription
{
    CGenCallInfo info;
    explicit SDescription(CApiCall& call) { call.ListArguments(&info, 1); }
    int Visible() const
    {
        const auto* args = info.GetArguments();
        const size_t n = args ? args->size() : 0;
        return static_cast<int>(std::min<size_t>(n, info.GetVisibleArgumentCount()));
    }
};

const SApiTypeBase* ShownError(const CGenCallInfo& info)
{
    const SApiTypeBase* error = info.GetError();
    if (!error)
        return nullptr;
    CXQFTString text;
    error->ToString(text, nullptr);
    return IsNoError(QString::fromUtf8(text.CStr())) ? nullptr : error;
}
}  // namespace

SCallRowParts DescribeCallRow(CApiCall& call)
{
    SDescription d(call);
    SCallRowParts parts;
    parts.name = QString::fromUtf8(call.GetName());
    const int visible = d.Visible();
    parts.arguments.reserve(visible);
    for (int i = 0; i < visible; ++i)
        parts.arguments.push_back(ShortText((*d.info.GetArguments())[size_t(i)], kRowArgumentChars));
    if (const SApiTypeBase* result = d.info.GetReturnValue())
        parts.result = ShortText(result, kRowArgumentChars);
    if (const SApiTypeBase* error = ShownError(d.info))
        parts.error = ShortText(error, kRowArgumentChars);
    return parts;
}

QString CallRowRichText(const SCallRowParts& parts, const QColor* textColour)
{
    QString line;
    line.reserve(64 + parts.name.size() + parts.arguments.size() * 16);
    if (textColour)
        line += QStringLiteral("<font color=\"%1\">").arg(textColour->name());
    line += QStringLiteral("<b>") + parts.name.toHtmlEscaped() + QStringLiteral("</b> (");
    for (int i = 0; i < parts.arguments.size(); ++i) {
        if (i)
            line += QStringLiteral(" , ");
        line += parts.arguments[i].toHtmlEscaped();
    }
    line += QStringLiteral(" )");
    if (parts.result)
        line += QStringLiteral("<i> : ") + parts.result->toHtmlEscaped() + QStringLiteral("</i>");
    if (parts.error)
        line += QStringLiteral("<font color=\"#ff6600\"> ! ") + parts.error->toHtmlEscaped() + QStringLiteral("</font>");
    line += QStringLiteral("</font>");
    return line;
}

QString CallSignatureTip(CApiCall& call, uint32_t callNumber)
{
    SDescription d(call);
    QStringList names;
    for (int i = 0; i < d.Visible(); ++i)
        names << QString::fromUtf8(d.info.GetArgumentNames()[size_t(i)].CStr());
    return QStringLiteral("%1 %2(%3)").arg(callNumber).arg(QString::fromUtf8(call.GetName()), names.join(','));
}

QString CallArgumentTip(CApiCall& call, int visibleArgument)
{
    SDescription d(call);
    if (visibleArgument < 0 || visibleArgument >= d.Visible())
        return {};
    return QString::fromUtf8(d.info.GetArgumentNames()[size_t(visibleArgument)].CStr()) + QStringLiteral(": ") +
           LongText((*d.info.GetArguments())[size_t(visibleArgument)]);
}

QString CallResultTip(CApiCall& call)
{
    SDescription d(call);
    const SApiTypeBase* result = d.info.GetReturnValue();
    return result ? QStringLiteral("Return Value: ") + LongText(result) : QString();
}

QString CallErrorTip(CApiCall& call)
{
    SDescription d(call);
    const SApiTypeBase* error = ShownError(d.info);
    return error ? QStringLiteral("Error: ") + LongText(error) : QString();
}

QString QuickHelpPageName(const QString& functionName)
{
    QString page = functionName;
    for (const char* suffix : {"v", "f", "x", "i"})
        if (page.endsWith(QLatin1String(suffix)))
            page.chop(1);
    if (!page.isEmpty() && page.back() >= '1' && page.back() <= '4')
        page.chop(1);
    if (page.endsWith(QLatin1String("Matrix")))
        page.chop(6);
    return page;
}

QUrl QuickHelpUrl(const QString& functionName)
{
    static const QString kEglPages = QStringLiteral("https://registry.khronos.org/EGL/sdk/docs/man/html/");
    static const QString kGlPages = QStringLiteral("https://registry.khronos.org/OpenGL-Refpages/es2.0/xhtml/");
    const QString& base = functionName.startsWith('e') ? kEglPages : kGlPages;
    return QUrl(base + QuickHelpPageName(functionName) + QStringLiteral(".xml"));
}
