#pragma once
// Colours the text of one edit panel by the rules of its document type: GLSL ES, GLSL, HLSL and
// OpenCL code with block comments carried across lines, and effect files, whose [GLSL_CODE]
// sections are coloured as GLSL ES code. Formats come from the colour scheme at the moment a
// line is coloured, so a scheme change shows at the next rehighlight.
#include "ShaderHighlightRules.h"

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextBlockUserData>
#include <QTextCharFormat>

#include <cstdint>
#include <functional>

// Attached to an effect-file line that a rule coloured: the format of the first rule match,
// whose background the panel paints across the whole line.
class CTextBlockVTLData : public QTextBlockUserData
{
public:
    explicit CTextBlockVTLData(const QTextCharFormat& format) : m_format(format) {}
    const QTextCharFormat& Format() const { return m_format; }

private:
    QTextCharFormat m_format;
};

class CShaderHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    // Block-state bits.
    enum : int { kStateEffectCode = 2, kStateOpenComment = 4 };
    // Document-type masks.
    static constexpr uint32_t kGlslEsMask = 0x3, kGlslMask = 0xC, kEffectMask = 0x30, kHlslMask = 0x3C0,
                              kOpenClMask = 0x400, kCodeMask = 0x7CF;

    CShaderHighlighter(QTextDocument* document, uint32_t docType);

    void SetDocType(uint32_t docType) { m_docType = docType; }
    uint32_t GetDocType() const { return m_docType; }
    void AddRule(int ruleType, const char* const* patterns, uint32_t count, uint32_t mask);

    // The scheme row of a base format for a document type ("None" when the type has none).
    enum EBaseFormat { eCode, eComment, ePreprocessor, eNumber };
    static uint32_t BaseFormatRule(EBaseFormat which, uint32_t docType);

Q_SIGNALS:
    // Asks the owner for the document type before each line; it answers through SetDocType.
    void RequestDocumentType(CShaderHighlighter* pSender);

protected:
    void highlightBlock(const QString& text) override;

private:
    using TFormatCallback = std::function<void(const QTextCharFormat&)>;
    void ApplyRules(const QString& text, uint32_t docType, const TFormatCallback& applied);
    void HighlightCode(const QString& text, uint32_t docType);
    void HighlightEffect(const QString& text);

    THighlightRuleTable m_rules;
    uint32_t m_docType;
};
