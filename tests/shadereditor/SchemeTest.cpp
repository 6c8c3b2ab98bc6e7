// The colour scheme and the editor font as the editor's preference store gives them: built-in
// rows where the store holds nothing, stored values one by one, opaque colours, bounded fonts.
#include "Common/XQFPreferences/XQFPreferences.h"
#include "WidgetsTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

// Replaces the store's file with one holding what fill sets, then has the scheme read it.
void LoadStore(const std::function<void(CXQFPreferences&)>& fill)
{
    WidgetsApp();
    CXQFPreferences store(CXQFTString(CShaderEditController::kPreferenceStoreName), CXQFPreferences::kScopeUser);
    CXQFTString path, errors;
    ASSERT_TRUE(store.GetFilePath(&path));
    std::remove(path.CStr());
    ASSERT_TRUE(store.Load(errors, false)) << errors.CStr();
    fill(store);
    ASSERT_TRUE(store.Save(true));
    CShaderHighlightController::Instance()->LoadScheme();
}

struct SRowLook
{
    uint32_t row;
    QRgb foreground, background;
    bool bold, underline, set;
};

void ExpectRow(const SRowLook& want, const char* what)
{
    CShaderHighlightController* scheme = CShaderHighlightController::Instance();
    const QTextCharFormat& f = scheme->GetFormat(want.row);
    EXPECT_EQ(f.foreground().color().rgba(), want.foreground) << what << ", row " << want.row;
    EXPECT_EQ(f.background().color().rgba(), want.background) << what << ", row " << want.row;
    EXPECT_EQ(f.fontWeight() == QFont::Bold, want.bold) << what << ", row " << want.row;
    EXPECT_EQ(f.underlineStyle() == QTextCharFormat::SingleUnderline, want.underline) << what << ", row " << want.row;
    EXPECT_EQ(scheme->GetUserScheme()[want.row].set, want.set) << what << ", row " << want.row;
}

struct SSchemeCase
{
    const char* what;
    std::function<void(CXQFPreferences&)> fill;
    std::vector<SRowLook> rows;
    const char* family;
    int pointSize;
};

const SSchemeCase kSchemeCases[] = {
    {"no stored values: the built-in table and Courier 12", [](CXQFPreferences&) {},
     {{0, 0xFF000000u, 0xFFFFFFFFu, false, false, false},
      {1, 0xFFFF0000u, 0xFFFFFFFFu, false, true, false},
      {4, 0xFFFF00A0u, 0xFFFBFBFBu, false, false, false},
      {6, 0xFF0064B4u, 0xFFF4F4F4u, false, false, false},
      {7, 0xFF006C00u, 0xFFFBFFFBu, false, false, false},
      {9, 0xFF0000FFu, 0xFFFFFFFFu, false, false, false},
      {18, 0xFFA80020u, 0xFFFFFFFFu, false, false, false},
      {26, 0xFF606060u, 0xFFFFFFFFu, false, false, false},
      {35, 0xFF0050A0u, 0xFFFFFFFFu, false, false, false}},
     "Courier", 12},
    {"only row 9's foreground: red on the row's white, its own entry",
     [](CXQFPreferences& s) { s.SetInteger("Colours/GLSL/Keyword/Foreground", 0xFFFF0000u); },
     {{9, 0xFFFF0000u, 0xFFFFFFFFu, false, false, true}, {16, 0xFF0000FFu, 0xFFFFFFFFu, false, false, false}},
     "Courier", 12},
    {"alpha 0 paints opaque; the GLSL:ES key is one dictionary",
     [](CXQFPreferences& s) {
         s.SetInteger("Colours/GLSL:ES/Comment/Foreground", 0x0000A000u);
         s.SetInteger("Colours/GLSL:ES/Comment/Background", 0x00102030u);
         s.SetBool("Colours/GLSL:ES/Comment/Bold", true);
     },
     {{20, 0xFF00A000u, 0xFF102030u, true, false, true}}, "Courier", 12},
    {"values of the wrong type fall back one by one; font face and a size of 0",
     [](CXQFPreferences& s) {
         s.SetString("Colours/Error/Foreground", "red");
         s.SetInteger("Colours/Error/Underline", 0);
         s.SetInteger("Colours/Error/Background", 0xFF000000u);
         s.SetString("Editor/FontFace", "DejaVu Sans Mono");
         s.SetInteger("Editor/FontSize", 0);
     },
     {{1, 0xFFFF0000u, 0xFF000000u, false, true, true}}, "DejaVu Sans Mono", 1},
    {"a huge font size is bounded", [](CXQFPreferences& s) { s.SetInteger("Editor/FontSize", 100000); }, {},
     "Courier", 400},
    {"a font size that is no integer is ignored", [](CXQFPreferences& s) { s.SetString("Editor/FontSize", "9"); },
     {}, "Courier", 12},
};

TEST(ShaderScheme, StoreValuesOverTheBuiltInTable)
{
    for (const SSchemeCase& c : kSchemeCases) {
        LoadStore(c.fill);
        for (const SRowLook& row : c.rows)
            ExpectRow(row, c.what);
        const QFont& font = CShaderHighlightController::Instance()->GetFont();
        EXPECT_EQ(font.family().toStdString(), c.family) << c.what;
        EXPECT_EQ(font.pointSize(), c.pointSize) << c.what;
        EXPECT_TRUE(font.fixedPitch()) << c.what;
    }
    LoadStore([](CXQFPreferences&) {});
}

TEST(ShaderScheme, SettingTheSameFontStillSignals)
{
    WidgetsApp();
    CShaderHighlightController* scheme = CShaderHighlightController::Instance();
    QSignalSpy changed(scheme, &CShaderHighlightController::FontChanged);
    const QFont font = scheme->GetFont();
    scheme->OnSetFont(font);
    scheme->OnSetFont(font);
    EXPECT_EQ(changed.count(), 2);
    QFont huge = font;
    huge.setPointSize(100000);
    scheme->OnSetFont(huge);
    EXPECT_EQ(scheme->GetFont().pointSize(), CShaderHighlightController::kMaxFontPointSize);
    scheme->OnSetFont(font);
}

TEST(ShaderScheme, ColourChangesOnlyTouchTheUserEntry)
{
    WidgetsApp();
    CShaderHighlightController* scheme = CShaderHighlightController::Instance();
    QSignalSpy colours(scheme, &CShaderHighlightController::SyntaxColoursChanged);
    QTextCharFormat format;
    format.setForeground(QColor(1, 2, 3));
    scheme->OnSyntaxColourChanged(3, format);
    scheme->OnSyntaxColourChanged(999, format);   // no such row: nothing
    EXPECT_EQ(scheme->GetFormat(3).foreground().color(), QColor(1, 2, 3));
    EXPECT_EQ(scheme->GetFormat(999).foreground().color(), scheme->GetFormat(0).foreground().color());
    EXPECT_EQ(colours.count(), 0);
    scheme->LoadScheme();
    EXPECT_EQ(scheme->GetFormat(3).foreground().color().rgba(), 0xFF0000A0u);
}

} // namespace
