#include "dataviewer/ShaderViewerWidget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include "CompileMessages.h"
#include "ShaderEditController.h"
#include "ShaderEditPanel.h"
#include "ShaderEditor.h"
#include "ShaderHighlightController.h"
#include "TraceController.h"
#include "CallValues.h"
#include "TraceStatistics.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"

namespace {
const uint32_t kFragmentShader = 0x8B30, kVertexShader = 0x8B31;
} // namespace

CShaderViewerWidget::CShaderViewerWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    horizontalLayout = new QVBoxLayout(this);
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setSpacing(0);
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    editor = new CShaderEditor(this);
    editor->SetContents("", true);
    horizontalLayout->addWidget(editor, 1);
    messages = new QListWidget(this);
    messages->setObjectName("compileMessages");
    messages->setMaximumHeight(90);
    messages->hide();
    horizontalLayout->addWidget(messages);
    captionFrame = new QFrame(this);
    captionFrame->setFrameShape(QFrame::StyledPanel);
    captionLayout = new QHBoxLayout(captionFrame);
    caption = new QLabel("No data available", captionFrame);
    captionLayout->addWidget(caption, 1);
    compileResult = new QLabel(captionFrame);
    compileResult->setObjectName("compileResult");
    captionLayout->addWidget(compileResult);
    horizontalLayout->addWidget(captionFrame);

    connect(CShaderEditController::Instance(), &CShaderEditController::CompileResultChanged, this,
            &CShaderViewerWidget::OnCompileResult);
    connect(messages, &QListWidget::itemClicked, this, &CShaderViewerWidget::OnMessageChosen);
    // Another compiler compiles the text again (the panel asks): the old result no longer holds.
    connect(CShaderEditController::Instance(), &CShaderEditController::CompilerSettingsChanged, this,
            [this](Settings::SCompiler, unsigned int mask) {
                if (mask & Settings::eCompilerCustomPath)
                    ResetCompileResult();
            });

    // The shared editor font, at 8 points for every shader editor of the program.
    CShaderHighlightController* look = CShaderHighlightController::Instance();
    QFont font = look->GetFont();
    font.setPointSize(8);
    look->OnSetFont(font);
}

void CShaderViewerWidget::UpdateView(int idCall)
{
    // No statistics (no trace, or a failed open): nothing to look the call up in.
    CTraceController* controller = CTraceController::Instance();
    CTraceStatistics* statistics = controller->GetStatistics();
    CTraceData* trace = controller->GetTrace();
    if (!statistics || !trace || idCall <= 0)
        return;
    const SShaderSource* source = nullptr;
    for (const SShaderSource& s : *statistics->GetShaderSources())
        if (s.callNumber == uint32_t(idCall)) {
            source = &s;
            break;
        }
    if (!source)
        return;
    STraceCall* entry = trace->GetCall(source->callNumber);
    CGenCallInfo* info = entry ? entry->GetCallInfo() : nullptr;
    const std::vector<SApiTypeBase*>* arguments = info ? info->GetArguments() : nullptr;
    if (!arguments || arguments->size() < 3 || !(*arguments)[2])
        return;
    caption->setText("IdCall: " + QString::number(idCall) + "  " + "ShaderId: " + QString::number(source->shaderName));
    // The source as the call gave it (the call list keeps the quoted long text), so the compile
    // road sees what the device compiled.
    const CXQFTString* text = ShaderSourceText(entry->call.get());
    editor->SetContents(text ? text->CStr() : "", true);
    // The stage is the shader's own (its glCreateShader), not a guess from the text: a vertex
    // shader without precision qualifiers still compiles as one.
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    if (panel && (source->shaderType == kVertexShader || source->shaderType == kFragmentShader))
        panel->SetDocType(source->shaderType == kFragmentShader ? eShaderDocGLSLESFragment : eShaderDocGLSLESVertex);
    ResetCompileResult();
    Q_EMIT onRequestFocus();
}

void CShaderViewerWidget::Clear()
{
    editor->SetContents("", true);
    caption->setText("No data available");
    ResetCompileResult();
}

void CShaderViewerWidget::ResetCompileResult()
{
    messages->clear();
    messages->hide();
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    const bool compiles = panel && !panel->document()->isEmpty() &&
                          CShaderEditController::Instance()->GetCompilerSettings().AutoCompile &&
                          CShaderEditController::SupportsBackgroundCompile(panel->GetDocType());
    compileResult->setText(compiles ? "Compiling..." : QString());
}

void CShaderViewerWidget::OnCompileResult(CXQFTHash panelId, SCompileResult result)
{
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    if (!panel || panelId != panel->GetPanelId())
        return;
    compileResult->setText(CompileSummary(result));
    messages->clear();
    const SCompileMessages found = ParseCompileMessageLines(result.output);
    const Settings::SCompiler& colours = CShaderEditController::Instance()->GetCompilerSettings();
    for (const SCompileMessage& m : found.list) {
        auto* item = new QListWidgetItem(QString::fromLocal8Bit(m.text.CStr(), qsizetype(m.text.Length())), messages);
        item->setData(Qt::UserRole, m.line);
        item->setForeground((m.warning ? colours.WarningFormat : colours.ErrorFormat).foreground());
    }
    messages->setVisible(messages->count() > 0);
}

void CShaderViewerWidget::OnMessageChosen(QListWidgetItem* item)
{
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    const int line = item ? item->data(Qt::UserRole).toInt() : 0;
    if (!panel || line <= 0 || line > panel->blockCount())
        return;
    panel->setTextCursor(QTextCursor(panel->document()->findBlockByNumber(line - 1)));
    panel->ensureCursorVisible();
    panel->setFocus();
}

void CShaderViewerWidget::SLTUpdateCompiler()
{
    Settings::SCompiler settings;
    const QByteArray path = CTraceController::Instance()->Options().ShaderCompilerPath().toLatin1();
    settings.CustomCompilerPath = CXQFTString(path.constData(), size_t(path.size()));
    settings.CompilerSelection = 4;
    CShaderEditController::Instance()->SetCompilerSettings(settings,
                                                           Settings::eCompilerCustomPath | Settings::eCompilerSelection);
}
