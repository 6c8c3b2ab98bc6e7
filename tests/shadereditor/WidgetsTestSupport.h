#pragma once
// The shader editor's widget tests: one offscreen application for the program, a fresh settings
// folder made before the first singleton reads it, the scheme in distinct colours so that a
// character's format names its rule type, and a host that answers from a script.
#include "ShaderEditController.h"
#include "ShaderEditorInterfaces.h"
#include "ShaderHighlightController.h"
#include "ShaderTestSupport.h"

#include <QApplication>
#include <QPrinter>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline CTempFolder& WidgetsConfigHome()
{
    static CTempFolder folder;
    return folder;
}

// The application and the settings folder; call before anything touches a singleton.
inline QApplication& WidgetsApp()
{
    static QApplication* app = [] {
        setenv("XDG_CONFIG_HOME", WidgetsConfigHome().Path().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "shadereditor_widgets_test";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        RegisterShaderMetaTypes();
        return a;
    }();
    return *app;
}

// At the end of the program, as the viewer's main does: no compile may outlive the statics.
class CStopCompilesAtExit : public ::testing::Environment
{
public:
    void TearDown() override { CShaderEditController::Shutdown(); }
};
inline ::testing::Environment* const kStopCompilesAtExit = ::testing::AddGlobalTestEnvironment(new CStopCompilesAtExit);

// Gives every rule type a foreground of its own (red = 100 + row), so that a format tells its row.
inline void UseDistinctScheme()
{
    CShaderHighlightController* scheme = CShaderHighlightController::Instance();
    for (uint32_t row = 0; row < eRuleTypeCount; ++row) {
        QTextCharFormat format;
        format.setForeground(QColor(100 + int(row), 0, 0));
        scheme->OnSyntaxColourChanged(row, format);
    }
}

// A short name of a rule type: "es.type", "vtl.tag", "none"; "-" for no format.
inline std::string RuleName(int row)
{
    static const char* kFixed[] = {"none", "error", "vtl.code", "vtl.kw", "vtl.value", "vtl.sem", "vtl.tag", "vtl.cmt"};
    static const char* kKinds[] = {"code", "kw", "fn", "type", "pp", "cmt", "num"};
    static const char* kLanguages[] = {"gl", "es", "hl", "cl"};
    if (row < 0)
        return "-";
    if (row < 8)
        return kFixed[row];
    return std::string(kLanguages[(row - 8) / 7]) + "." + kKinds[(row - 8) % 7];
}

// The formats of a block as runs: rule'text' rule'text' ... (with the distinct scheme in force).
inline std::string DescribeBlock(const QTextBlock& block)
{
    const QString text = block.text();
    std::vector<int> rows(size_t(text.size()), -1);
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        for (int i = range.start; i < range.start + range.length && i < text.size(); ++i)
            rows[size_t(i)] = range.format.hasProperty(QTextFormat::ForegroundBrush)
                                  ? range.format.foreground().color().red() - 100
                                  : -1;
    std::string out;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i;
        while (j < text.size() && rows[size_t(j)] == rows[size_t(i)])
            ++j;
        if (!out.empty())
            out += ' ';
        out += RuleName(rows[size_t(i)]) + "'" + text.mid(i, j - i).toStdString() + "'";
        i = j;
    }
    return out;
}

// Answers the editor's questions from a script and records what it was asked.
class CFakeHost : public IShaderEditorHost
{
public:
    QMessageBox::StandardButton AskSaveChanges() override
    {
        ++asked;
        return answer;
    }
    int ExecPrintDialog(QPrinter* printer, bool) override
    {
        if (printPath.empty())
            return 0;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(printPath));
        return 1;
    }
    bool GetSaveFileName(uint32_t, CXQFTString& fileName) override
    {
        if (savePath.empty())
            return false;
        fileName = savePath.c_str();
        return true;
    }
    bool GetOpenFileName(CXQFTString& fileName) override
    {
        if (openPath.empty())
            return false;
        fileName = openPath.c_str();
        return true;
    }
    void ReportFileError(const CXQFTString& fileName, const CXQFTString& error) override
    {
        errors.push_back(std::string(fileName.CStr()) + ": " + error.CStr());
    }

    QMessageBox::StandardButton answer = QMessageBox::Discard;
    std::string savePath, openPath, printPath;
    int asked = 0;
    std::vector<std::string> errors;
};

// The editor settings with one change, stored through the controller.
template <typename F>
void ChangeEditorSettings(unsigned mask, F&& change)
{
    Settings::SEditor s = CShaderEditController::Instance()->GetEditorSettings();
    change(s);
    CShaderEditController::Instance()->SetEditorSettings(s, mask);
}
