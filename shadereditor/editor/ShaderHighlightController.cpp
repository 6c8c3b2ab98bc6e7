#include "ShaderHighlightController.h"

#include "Common/XQFPreferences/XQFPreferences.h"
#include "DebugOutput.h"
#include "ShaderEditController.h"

#include <QBrush>
#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

namespace {

QTextCharFormat MakeFormat(uint32_t foreground, uint32_t background, bool bold, bool underline)
{
    // fromRgb(QRgb) drops the alpha byte: every colour of the scheme is opaque.
    QTextCharFormat format;
    format.setBackground(QBrush(QColor::fromRgb(QRgb(background))));
    format.setForeground(QBrush(QColor::fromRgb(QRgb(foreground))));
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setUnderlineStyle(underline ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline);
    return format;
}

int BoundedPointSize(int64_t size)
{
    return int(std::clamp<int64_t>(size, CShaderHighlightController::kMinFontPointSize,
                                   CShaderHighlightController::kMaxFontPointSize));
}

QPointer<CShaderHighlightController>& TheInstance()
{
    static QPointer<CShaderHighlightController> instance;
    return instance;
}

} // namespace

const std::vector<SSyntaxColourDefault>& CShaderHighlightController::DefaultScheme()
{
    static const std::vector<SSyntaxColourDefault> scheme = [] {
        std::vector<SSyntaxColourDefault> rows = {
            {"None", 0xFF000000u, 0xFFFFFFFFu, false, false},
            {"Error", 0xFFFF0000u, 0xFFFFFFFFu, false, true},
            {"VTL/Code", 0xFF000000u, 0xFFFBFBFBu, false, false},
            {"VTL/Keyword", 0xFF0000A0u, 0xFFFBFBFBu, false, false},
            {"VTL/Value", 0xFFFF00A0u, 0xFFFBFBFBu, false, false},
            {"VTL/Semantic", 0xFFC800C8u, 0xFFFBFBFBu, false, false},
            {"VTL/Tag", 0xFF0064B4u, 0xFFF4F4F4u, false, false},
            {"VTL/Comment", 0xFF006C00u, 0xFFFBFFFBu, false, false},
        };
        // Each language has the same seven rows, all on white.
        static const struct
        {
            const char* name;
            uint32_t foreground;
        } kBlock[] = {{"Code", 0xFF000000u},         {"Keyword", 0xFF0000FFu},      {"Built-in Function", 0xFFC80000u},
                      {"Built-in Type", 0xFFA80020u}, {"Preprocessor", 0xFF606060u}, {"Comment", 0xFF006C00u},
                      {"Number", 0xFF0050A0u}};
        for (const char* language : {"GLSL", "GLSL:ES", "HLSL", "OpenCL"})
            for (const auto& row : kBlock)
                rows.push_back({CXQFTString(language) + "/" + row.name, row.foreground, 0xFFFFFFFFu, false, false});
        return rows;
    }();
    return scheme;
}

CShaderHighlightController* CShaderHighlightController::Instance()
{
    QPointer<CShaderHighlightController>& instance = TheInstance();
    if (!instance) {
        instance = new CShaderHighlightController;
        // Fonts and formats belong to the application object: the scheme goes with it.
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QObject::destroyed, [] { delete TheInstance().data(); });
    }
    return instance.data();
}

CShaderHighlightController::CShaderHighlightController()
    : m_userScheme(eRuleTypeCount), m_defaultScheme(eRuleTypeCount)
{
    LoadScheme();
}

QFont CShaderHighlightController::GetDefaultFont()
{
    QFont font(QStringLiteral("Courier"), 12);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void CShaderHighlightController::LoadScheme()
{
    CXQFPreferences store(CXQFTString(CShaderEditController::kPreferenceStoreName), CXQFPreferences::kScopeUser);
    CXQFTString errors;
    if (!store.Load(errors, false))
        DebugOutputPrintf("Failed to load Preference file: %s", errors.CStr());

    const std::vector<SSyntaxColourDefault>& defaults = DefaultScheme();
    for (uint32_t i = 0; i < eRuleTypeCount; ++i) {
        const SSyntaxColourDefault& row = defaults[i];
        SSyntaxFormatEntry& user = m_userScheme[i];
        user = SSyntaxFormatEntry{row.key, QTextCharFormat(), false};
        const CXQFTString path = CXQFTString("Colours/") + row.key;
        if (store.IsLoaded() && store.HasKey(path)) {
            // Each value on its own: a missing or mistyped one keeps the row's default.
            uint32_t background = 0, foreground = 0;
            bool bold = false, underline = false;
            store.GetInteger(path + "/Background", &background, row.background);
            store.GetInteger(path + "/Foreground", &foreground, row.foreground);
            store.GetBool(path + "/Bold", &bold, row.bold);
            store.GetBool(path + "/Underline", &underline, row.underline);
            user.format = MakeFormat(foreground, background, bold, underline);
            user.set = true;
        }
        SSyntaxFormatEntry& fallback = m_defaultScheme[i];
        fallback.key = row.key;
        fallback.set = true;
        fallback.format = MakeFormat(row.foreground, row.background, row.bold, row.underline);
    }

    QFont font = GetDefaultFont();
    CXQFTString face;
    if (store.IsLoaded() && store.GetString("Editor/FontFace", &face) == CXQFPreferences::kDone)
        font.setFamily(QString::fromUtf8(face.CStr()));
    uint32_t size = 0;
    // The stored size stays as written; a damaged one is bounded here.
    if (store.IsLoaded() && store.GetInteger("Editor/FontSize", &size) == CXQFPreferences::kDone)
        font.setPointSize(BoundedPointSize(size));
    m_font = font;
}

const QTextCharFormat& CShaderHighlightController::GetFormat(uint32_t ruleType) const
{
    if (ruleType >= eRuleTypeCount)
        ruleType = eRuleNone;
    const SSyntaxFormatEntry& user = m_userScheme[ruleType];
    return user.set ? user.format : m_defaultScheme[ruleType].format;
}

void CShaderHighlightController::OnSyntaxColourChanged(unsigned int eRuleType, QTextCharFormat Format)
{
    if (eRuleType >= eRuleTypeCount)
        return;
    m_userScheme[eRuleType].format = Format;
    m_userScheme[eRuleType].set = true;
}

void CShaderHighlightController::OnSetFont(QFont font)
{
    if (font.pointSize() > 0)
        font.setPointSize(BoundedPointSize(font.pointSize()));
    m_font = font;
    Q_EMIT FontChanged(m_font);
}
