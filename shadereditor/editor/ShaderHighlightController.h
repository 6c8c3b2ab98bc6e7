#pragma once
// The look of shader text, shared by every edit panel of the program: the syntax colour scheme
// (one text format per rule type) and the editor font, read once from the shader editor's
// preference store. Highlighters take their formats from here at the moment they colour a line;
// panels follow the font through FontChanged.
#include "XQFTString.h"

#include <QFont>
#include <QObject>
#include <QTextCharFormat>

#include <cstdint>
#include <vector>

// Rule types: the rows of the colour scheme. The four shader languages share one block layout.
enum ESyntaxRule : uint32_t
{
    eRuleNone = 0,
    eRuleError = 1,
    eRuleVTLCode = 2,
    eRuleVTLKeyword = 3,
    eRuleVTLValue = 4,
    eRuleVTLSemantic = 5,
    eRuleVTLTag = 6,
    eRuleVTLComment = 7,
    eRuleGLSL = 8,      // first row of the GLSL block
    eRuleGLSLES = 15,   // GLSL ES
    eRuleHLSL = 22,
    eRuleOpenCL = 29,
    eRuleTypeCount = 36,
};
// Offsets inside a language block.
inline constexpr uint32_t eBlockCode = 0, eBlockKeyword = 1, eBlockFunction = 2, eBlockType = 3,
                          eBlockPreprocessor = 4, eBlockComment = 5, eBlockNumber = 6;

// One row of the built-in scheme: colours as ARGB (the alpha byte is ignored).
struct SSyntaxColourDefault
{
    CXQFTString key;   // "GLSL/Keyword"; the store keeps the row under "Colours/" + key
    uint32_t foreground = 0xFF000000u;
    uint32_t background = 0xFFFFFFFFu;
    bool bold = false;
    bool underline = false;
};

struct SSyntaxFormatEntry
{
    CXQFTString key;
    QTextCharFormat format;
    bool set = false;   // the entry holds a value of its own and wins over the default
};

class CShaderHighlightController : public QObject
{
    Q_OBJECT

public:
    // Point sizes the editor accepts; a stored size outside is bounded when it is used.
    static constexpr int kMinFontPointSize = 1;
    static constexpr int kMaxFontPointSize = 400;

    static CShaderHighlightController* Instance();
    // The built-in scheme, 36 rows in rule-type order.
    static const std::vector<SSyntaxColourDefault>& DefaultScheme();

    // The user's format of the rule type when it has one, else the built-in one. Rule types
    // outside 0-35 get the format of "None".
    const QTextCharFormat& GetFormat(uint32_t ruleType) const;
    const QFont& GetFont() const { return m_font; }
    const std::vector<SSyntaxFormatEntry>& GetUserScheme() const { return m_userScheme; }
    // "Courier" 12 pt, with a type-writer hint so that fontconfig picks a monospace face.
    static QFont GetDefaultFont();
    // Reads the scheme and the font from the editor's preference store (the constructor does);
    // values the store does not hold come from the built-in scheme. Signals nothing.
    void LoadScheme();

Q_SIGNALS:
    void SyntaxColoursChanged();
    void FontChanged(QFont font);

public Q_SLOTS:
    // Stores the format as the user's format of the rule type; saves nothing, signals nothing.
    void OnSyntaxColourChanged(unsigned int eRuleType, QTextCharFormat Format);
    // Replaces the editor font (point size bounded) and always emits FontChanged.
    void OnSetFont(QFont font);

private:
    CShaderHighlightController();

    std::vector<SSyntaxFormatEntry> m_userScheme;
    std::vector<SSyntaxFormatEntry> m_defaultScheme;
    QFont m_font;
};
