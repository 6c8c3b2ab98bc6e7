// The highlighter: which rule colours each character of a line, read back from the block
// layouts, for each language and for effect files, with block comments and code sections carried
// across lines by the block states.
#include "ShaderHighlighter.h"
#include "WidgetsTestSupport.h"

#include <QTextDocument>

#include <gtest/gtest.h>

#include <set>

namespace {

struct SHighlightCase
{
    const char* what;
    uint32_t type;
    std::vector<std::string> lines;
    std::vector<std::string> expected;   // DescribeBlock of each line
    std::vector<int> states = {};        // block states, when the case checks them
};

const SHighlightCase kCases[] = {
    {"a line comment is applied last and wins over the names it holds", 1,
     {"vec4 p; // gl_Position"},
     {"es.type'vec4' es.code' p; ' es.cmt'// gl_Position'"}},
    {"a block comment runs over lines; after its end the line is code and may open another", 1,
     {"a /* b", "c", "d */ e /* f", "g"},
     {"es.code'a ' es.cmt'/* b'", "es.cmt'c'", "es.cmt'd */' es.code' e ' es.cmt'/* f'", "es.cmt'g'"},
     {4, 4, 4, 4}},
    {"slash star slash opens and closes a comment", 1,
     {"/*/ x", "y"},
     {"es.cmt'/*/' es.code' x'", "es.code'y'"},
     {0, 0}},
    {"digits inside a name are no number; the exponent letter is not either", 2,
     {"vec2 v = 1.0e5;"},
     // The number pattern needs a word boundary after the run: "1." ends at one, "1.0" does not.
     {"es.type'vec2' es.code' v = ' es.num'1.' es.code'0e5;'"}},
    {"effect text outside code: no preprocessor or number, comments in the effect colour", 16,
     {"#define X 1 // note"},
     {"vtl.code'#define X 1 ' vtl.cmt'// note'"}},
    {"code start and end on one line leave no section open", 16,
     {"[GLSL_CODE] vec4 [/GLSL_CODE]", "vec4 c;"},
     {"vtl.code'[GLSL_CODE] vec4 [/GLSL_CODE]'", "vtl.code'vec4 c;'"},
     {0, 0}},
    {"plain text is not coloured", 0, {"vec4 x; // c"}, {"-'vec4 x; // c'"}},
    {"the undetermined type is not coloured", 0x800, {"vec4 x; // c"}, {"-'vec4 x; // c'"}},
    {"a value that is no type is not coloured", 0x40000, {"vec4 x; // c"}, {"-'vec4 x; // c'"}},
    {"GLSL keyword, type and function", 4,
     {"uniform sampler2D t = ftransform();"},
     {"gl.kw'uniform' gl.code' ' gl.type'sampler2D' gl.code' t = ' gl.fn'ftransform' gl.code'();'"}},
    {"GLSL ES keyword, type and function", 2,
     {"precision highp float; texture2D"},
     {"es.kw'precision' es.code' ' es.kw'highp' es.code' ' es.type'float' es.code'; ' es.fn'texture2D'"}},
    {"HLSL keyword, type and function", 128,
     {"cbuffer float4 lerp"},
     {"hl.kw'cbuffer' hl.code' ' hl.type'float4' hl.code' ' hl.fn'lerp'"}},
    {"OpenCL keyword, type and function", 1024,
     {"__kernel float4 get_global_id"},
     {"cl.kw'__kernel' cl.code' ' cl.type'float4' cl.code' ' cl.fn'get_global_id'"}},
    {"effect keywords, values and whole-line tags", 32,
     {"NAME COLOR0 LINEAR TEXTURE x", "  [/EFFECT]  ", "x [EFFECT]"},
     {"vtl.kw'NAME' vtl.code' ' vtl.value'COLOR0' vtl.code' ' vtl.value'LINEAR' vtl.code' ' vtl.kw'TEXTURE ' "
      "vtl.code'x'",
      "vtl.tag'  [/EFFECT]  '", "vtl.code'x [EFFECT]'"}},
    {"an effect code section is GLSL ES code carrying state 2, comments adding 4", 16,
     {"[HEADER]", "[GLSL_CODE]", "uniform vec4 c; /* x", "y */ float", "[/GLSL_CODE]", "NAME x"},
     {"vtl.tag'[HEADER]'", "vtl.tag'[GLSL_CODE]'", "es.kw'uniform' es.code' ' es.type'vec4' es.code' c; ' es.cmt'/* x'",
      "es.cmt'y */' es.code' ' es.type'float'", "vtl.tag'[/GLSL_CODE]'", "vtl.kw'NAME' vtl.code' x'"},
     {0, 2, 6, 2, 0, 0}},
    {"a code section never closed stays open to the end, empty lines included", 16,
     {"[GLSL_CODE]", "vec4 a;", "", "# x"},
     {"vtl.tag'[GLSL_CODE]'", "es.type'vec4' es.code' a;'", "", "es.pp'# x'"},
     {2, 2, 2, 2}},
};

class CHighlighterTest : public ::testing::TestWithParam<SHighlightCase>
{
protected:
    void SetUp() override
    {
        WidgetsApp();
        UseDistinctScheme();
    }
};

TEST_P(CHighlighterTest, ColoursEachLineByItsRules)
{
    const SHighlightCase& c = GetParam();
    QTextDocument document;
    CShaderHighlighter highlighter(&document, c.type);
    QStringList lines;
    for (const std::string& line : c.lines)
        lines << QString::fromStdString(line);
    document.setPlainText(lines.join('\n'));
    highlighter.rehighlight();
    ASSERT_EQ(document.blockCount(), int(c.lines.size()));
    for (int i = 0; i < document.blockCount(); ++i) {
        const QTextBlock block = document.findBlockByNumber(i);
        EXPECT_EQ(DescribeBlock(block), c.expected[size_t(i)]) << c.what << ", line " << i;
        if (!c.states.empty()) {
            EXPECT_EQ(block.userState(), c.states[size_t(i)]) << c.what << ", line " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, CHighlighterTest, ::testing::ValuesIn(kCases));

TEST(Highlighter, EditsCarryCommentsAndSectionsToFollowingLines)
{
    WidgetsApp();
    UseDistinctScheme();
    QTextDocument document;
    CShaderHighlighter highlighter(&document, 1);
    document.documentLayout();   // a document reports its changes once it has a layout
    document.setPlainText("a\nb\nc");
    QCoreApplication::processEvents();   // the first full pass is deferred to the event loop
    QTextCursor cursor(&document);
    cursor.insertText("/* ");   // opens a comment on line 0: the others follow without a rehighlight
    EXPECT_EQ(DescribeBlock(document.findBlockByNumber(2)), "es.cmt'c'");
    cursor.setPosition(document.findBlockByNumber(1).position());
    cursor.insertText("*/");
    EXPECT_EQ(DescribeBlock(document.findBlockByNumber(2)), "es.code'c'");
}

TEST(Highlighter, EffectLinesColouredByARuleCarryTheirFirstFormat)
{
    WidgetsApp();
    UseDistinctScheme();
    QTextDocument document;
    CShaderHighlighter highlighter(&document, 16);
    document.documentLayout();
    document.setPlainText("[GLSL_CODE]\nNAME\n[/GLSL_CODE]\nx LINEAR NAME\nplain");
    QCoreApplication::processEvents();
    auto rowOf = [&](int line) {
        const auto* data = dynamic_cast<const CTextBlockVTLData*>(document.findBlockByNumber(line).userData());
        return data ? data->Format().foreground().color().red() - 100 : -1;
    };
    EXPECT_EQ(rowOf(0), int(eRuleVTLTag));
    EXPECT_EQ(rowOf(1), -1) << "code lines carry nothing";
    EXPECT_EQ(rowOf(2), int(eRuleVTLTag));
    EXPECT_EQ(rowOf(3), int(eRuleVTLKeyword)) << "the first rule in rule order, not in line order";
    EXPECT_EQ(rowOf(4), -1);
    // A line that becomes code loses the data of what it was.
    QTextCursor cursor(document.findBlockByNumber(2));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText("vec4");   // the section no longer ends: the lines below become code
    EXPECT_EQ(rowOf(2), -1);
    EXPECT_EQ(rowOf(3), -1);
}

// Joining a list's words into one alternation must colour exactly what one pattern per word does.
TEST(Highlighter, JoinedWordListsColourTheSameRangesAsOnePatternAWord)
{
    WidgetsApp();
    QString text;
    for (const SHighlightRuleList& list : HighlightRuleLists())
        for (const char* w : list.words) {
            const QString word = QString::fromLatin1(w);
            text += word + " x" + word + " " + word + "x " + word + "_1 #" + word + "(" + word + ")." + word + "2 ";
        }
    const THighlightRuleTable joined = BuildHighlightRuleTable(true);
    const THighlightRuleTable single = BuildHighlightRuleTable(false);
    ASSERT_EQ(joined.size(), single.size());
    auto covered = [&](const SHighlightRule& rule) {
        std::set<int> chars;
        for (const QRegularExpression& pattern : rule.patterns) {
            EXPECT_TRUE(pattern.isValid()) << pattern.pattern().toStdString();
            ForEachMatch(pattern, text, [&](int start, int length) {
                for (int i = start; i < start + length; ++i)
                    chars.insert(i);
            });
        }
        return chars;
    };
    for (const auto& [type, rule] : single) {
        ASSERT_TRUE(joined.count(type));
        EXPECT_EQ(joined.at(type).mask, rule.mask);
        const std::set<int> expected = covered(rule);
        if (type != int(eRuleVTLTag)) {   // whole-line patterns: nothing on this line
            EXPECT_FALSE(expected.empty()) << "rule " << type;
        }
        EXPECT_EQ(covered(joined.at(type)), expected) << "rule " << type;
    }
}

} // namespace
