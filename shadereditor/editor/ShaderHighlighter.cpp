#include "ShaderHighlighter.h"

#include "ShaderHighlightController.h"
#include "ShaderRegex.h"

namespace {

// The fixed patterns every highlighter uses.
enum EFixedPattern { eLineComment, ePreprocessorLine, eNumberRun, eCommentStart, eCommentEnd, eCodeStart, eCodeEnd };
const QRegularExpression& Fixed(EFixedPattern which)
{
    static const QRegularExpression kPatterns[] = {
        MakeShaderRegex(QStringLiteral("//[^\\n]*")),      MakeShaderRegex(QStringLiteral("#.*$")),
        MakeShaderRegex(QStringLiteral("\\b[0-9\\.]+\\b")), MakeShaderRegex(QStringLiteral("/\\*")),
        MakeShaderRegex(QStringLiteral("\\*/")),           MakeShaderRegex(QStringLiteral("\\[GLSL_CODE\\]")),
        MakeShaderRegex(QStringLiteral("\\[/GLSL_CODE\\]")),
    };
    return kPatterns[which];
}

const QTextCharFormat& SchemeFormat(uint32_t rule)
{
    return CShaderHighlightController::Instance()->GetFormat(rule);
}

} // namespace

CShaderHighlighter::CShaderHighlighter(QTextDocument* document, uint32_t docType)
    : QSyntaxHighlighter(document), m_rules(DefaultHighlightRuleTable()), m_docType(docType)
{
}

void CShaderHighlighter::AddRule(int ruleType, const char* const* patterns, uint32_t count, uint32_t mask)
{
    AddHighlightRule(m_rules, ruleType, patterns, count, mask);
}

uint32_t CShaderHighlighter::BaseFormatRule(EBaseFormat which, uint32_t docType)
{
    static constexpr uint32_t kBlockRow[] = {eBlockCode, eBlockComment, eBlockPreprocessor, eBlockNumber};
    if ((docType & kEffectMask) && (which == eCode || which == eComment))
        return which == eCode ? eRuleVTLCode : eRuleVTLComment;
    if (docType & kGlslEsMask)
        return eRuleGLSLES + kBlockRow[which];
    if (docType & kGlslMask)
        return eRuleGLSL + kBlockRow[which];
    if (docType & kHlslMask)
        return eRuleHLSL + kBlockRow[which];
    if (docType & kOpenClMask)
        return eRuleOpenCL + kBlockRow[which];
    return eRuleNone;
}

void CShaderHighlighter::ApplyRules(const QString& text, uint32_t docType, const TFormatCallback& applied)
{
    if (text.isEmpty())
        return;
    setFormat(0, int(text.size()), SchemeFormat(BaseFormatRule(eCode, docType)));
    for (const auto& [ruleType, rule] : m_rules) {
        if (!(rule.mask & docType))
            continue;
        const QTextCharFormat format = SchemeFormat(uint32_t(ruleType));
        for (const QRegularExpression& pattern : rule.patterns)
            ForEachMatch(pattern, text, [&](int start, int length) {
                setFormat(start, length, format);
                if (applied)
                    applied(format);
            });
    }
    auto colour = [&](const QRegularExpression& pattern, EBaseFormat which) {
        const QTextCharFormat format = SchemeFormat(BaseFormatRule(which, docType));
        ForEachMatch(pattern, text, [&](int start, int length) { setFormat(start, length, format); });
    };
    if (docType & kCodeMask) {
        colour(Fixed(eNumberRun), eNumber);
        colour(Fixed(ePreprocessorLine), ePreprocessor);
    }
    // Last, so a comment wins over everything it names.
    colour(Fixed(eLineComment), eComment);
}

void CShaderHighlighter::HighlightCode(const QString& text, uint32_t docType)
{
    ApplyRules(text, docType, {});
    const int own = currentBlockState();
    setCurrentBlockState((own == -1 ? 0 : own) & ~kStateOpenComment);

    const int previous = previousBlockState();
    const bool continues = previous != -1 && (previous & kStateOpenComment);
    qsizetype start = continues ? 0 : Fixed(eCommentStart).match(text).capturedStart();
    const QTextCharFormat comment = SchemeFormat(BaseFormatRule(eComment, docType));
    while (start >= 0) {
        // The end is searched from the comment's own start, so "/*/" opens and closes at once.
        const QRegularExpressionMatch end = Fixed(eCommentEnd).match(text, start);
        qsizetype length;
        if (end.hasMatch()) {
            length = end.capturedEnd() - start;
        } else {
            setCurrentBlockState(currentBlockState() | kStateOpenComment);
            length = text.size() - start;
        }
        setFormat(int(start), int(length), comment);
        if (start + length >= text.size())
            break;
        start = Fixed(eCommentStart).match(text, start + length).capturedStart();
    }
}

void CShaderHighlighter::HighlightEffect(const QString& text)
{
    setCurrentBlockUserData(nullptr);
    ApplyRules(text, kEffectMask, [this](const QTextCharFormat& format) {
        if (!currentBlockUserData())
            setCurrentBlockUserData(new CTextBlockVTLData(format));
    });
}

void CShaderHighlighter::highlightBlock(const QString& text)
{
    Q_EMIT RequestDocumentType(this);
    // Only lines coloured by the effect rules carry line data: a line that became code or plain
    // text must not keep the background of what it was.
    if (currentBlockUserData())
        setCurrentBlockUserData(nullptr);
    const uint32_t type = m_docType;
    if (type & kCodeMask) {
        HighlightCode(text, type);
        return;
    }
    if (!(type & kEffectMask))
        return;

    setCurrentBlockState(0);
    const int previous = previousBlockState();
    const bool continues = previous != -1 && (previous & kStateEffectCode);
    qsizetype start = 0;
    if (!continues) {
        start = Fixed(eCodeStart).match(text).capturedStart();
        if (start < 0) {
            HighlightEffect(text);
            return;
        }
    }
    if (Fixed(eCodeEnd).match(text, start).hasMatch()) {
        // The section ends on this line (or opens and ends on it): effect text, nothing carried.
        HighlightEffect(text);
        return;
    }
    if (continues)
        HighlightCode(text, kGlslEsMask);
    else
        HighlightEffect(text);
    setCurrentBlockState(currentBlockState() | kStateEffectCode);
}
