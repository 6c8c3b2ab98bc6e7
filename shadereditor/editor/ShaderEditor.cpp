#include "ShaderEditor.h"

#include "ShaderEditPanel.h"
#include "ShaderRegex.h"

#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QVBoxLayout>

CShaderEditor::CShaderEditor(QWidget* parent) : QWidget(parent)
{
    m_embedded = new CShaderEditPanel(nullptr, CXQFTString(), nullptr, CShaderEditPanel::kUndeterminedType);
    m_embedded->setObjectName(QStringLiteral("EditPanel"));
    m_embedded->SetContents("", false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_embedded);
    setObjectName(QStringLiteral("ShaderEditor"));

    m_cursorMatchTimer = new QTimer(this);
    m_cursorMatchTimer->setSingleShot(true);
    connect(CShaderEditController::Instance(), &CShaderEditController::EditorSettingsChanged, this,
            &CShaderEditor::OnEditorSettingsChanged);
    connect(m_cursorMatchTimer, &QTimer::timeout, this, &CShaderEditor::OnHighlightCursorMatches);
    ConnectPanel(m_embedded);
}

CShaderEditor::~CShaderEditor() = default;

void CShaderEditor::SetContents(const char* text, bool readOnly)
{
    if (!m_embedded)
        return;
    m_embedded->SetContents(text, true);
    m_embedded->setReadOnly(false);
    if (readOnly)
        m_embedded->setReadOnly(true);
}

void CShaderEditor::ConnectPanel(CShaderEditPanel* panel)
{
    CShaderEditController* controller = CShaderEditController::Instance();
    connect(panel, &QPlainTextEdit::modificationChanged, this, &CShaderEditor::OnPanelContentChanged);
    connect(panel, &CShaderEditPanel::FilenameChanged, this, &CShaderEditor::OnPanelFilenameChanged);
    connect(panel, &QPlainTextEdit::cursorPositionChanged, this,
            qOverload<>(&CShaderEditor::OnPanelCursorPositionChanged));
    connect(panel->document(), &QTextDocument::cursorPositionChanged, this,
            qOverload<QTextCursor>(&CShaderEditor::OnPanelCursorPositionChanged));
    connect(panel, &CShaderEditPanel::OutdentSelection, this, &CShaderEditor::OnOutdentSelection);
    // The controller's request slots are its own business (private): reached by signature.
    connect(panel, SIGNAL(RecompileContents(CXQFTHash, QString, EShaderDocType, ECompileInvocationType)), controller,
            SLOT(OnCompilePanel(CXQFTHash, QString, EShaderDocType, ECompileInvocationType)));
    connect(panel, SIGNAL(CancelCompile(CXQFTHash)), controller, SLOT(OnCancelCompile(CXQFTHash)));
    connect(controller, &CShaderEditController::CompileCycleCountChanged, panel,
            &CShaderEditPanel::OnCompileCycleCountChanged);
    connect(controller, &CShaderEditController::CompileResultChanged, panel, &CShaderEditPanel::OnCompileResultChanged);
    connect(panel, &CShaderEditPanel::RequestClose, this, &CShaderEditor::OnCloseCurrentTab);
}

CShaderEditPanel* CShaderEditor::GetCurrentPanel() const
{
    if (m_embedded)
        return m_embedded;
    if (!m_tabs || m_tabs->currentIndex() < 0)
        return nullptr;
    return PanelOfTab(m_tabs->currentIndex());
}

CShaderEditPanel* CShaderEditor::EditablePanel() const
{
    CShaderEditPanel* panel = GetCurrentPanel();
    return panel && !panel->isReadOnly() ? panel : nullptr;
}

void CShaderEditor::OnPanelCursorPositionChanged()
{
    if (CShaderEditPanel* panel = GetCurrentPanel()) {
        const QTextCursor cursor = panel->textCursor();
        Q_EMIT LineChanged(cursor.blockNumber() + 1);
        Q_EMIT ColChanged(cursor.positionInBlock() + 1);
    }
    m_cursorMatchTimer->stop();
    if (CShaderEditController::Instance()->GetEditorSettings().PerformCursorMatch)
        m_cursorMatchTimer->start(kCursorMatchDelayMs);
}

void CShaderEditor::OnPanelCursorPositionChanged(QTextCursor cursor)
{
    Q_EMIT LineChanged(cursor.blockNumber() + 1);
    Q_EMIT ColChanged(cursor.positionInBlock() + 1);
}

void CShaderEditor::OnPanelChanged(int index)
{
    if (index < 0)
        return;
    if (CShaderEditPanel* panel = PanelOfTab(index)) {
        Q_EMIT PanelChanged(panel->GetPanelId());
        Q_EMIT PanelChanged(static_cast<const CShaderEditPanel*>(panel));
    }
}

void CShaderEditor::OnEditorSettingsChanged(Settings::SEditor settings)
{
    if (!settings.PerformCursorMatch)
        if (CShaderEditPanel* panel = GetCurrentPanel())
            panel->SetHighlights(0, {});
    if (!settings.HighlightFindResults)
        ClearFindResults();
}

void CShaderEditor::OnHighlightCursorMatches()
{
    CShaderEditPanel* panel = GetCurrentPanel();
    if (!panel)
        return;
    QTextCursor cursor = panel->textCursor();
    if (cursor.hasSelection())
        return;
    const int position = cursor.position();
    cursor.movePosition(QTextCursor::StartOfWord);
    cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
    const QString word = cursor.selectedText();
    static const QRegularExpression kNameCharacters = MakeShaderRegex(QStringLiteral("[a-zA-Z_]+"));
    if (cursor.position() < position || !kNameCharacters.match(word).hasMatch()) {
        panel->SetHighlights(0, {});
        return;
    }
    QTextCharFormat format;
    format.setBackground(QBrush(CShaderEditController::Instance()->GetEditorSettings().CursorMatchColour));
    const QTextDocument::FindFlags flags = QTextDocument::FindCaseSensitively | QTextDocument::FindWholeWords;
    QList<QTextEdit::ExtraSelection> matches;
    QTextDocument* document = panel->document();
    for (QTextCursor hit = document->find(word, 0, flags); !hit.isNull(); hit = document->find(word, hit, flags))
        matches.append({hit, format});
    panel->SetHighlights(0, matches);
}

void CShaderEditor::SetFindResults(const QList<QTextEdit::ExtraSelection>& results)
{
    CShaderEditPanel* panel = GetCurrentPanel();
    if (panel && CShaderEditController::Instance()->GetEditorSettings().HighlightFindResults)
        panel->SetHighlights(1, results);
}

void CShaderEditor::ClearFindResults()
{
    if (CShaderEditPanel* panel = GetCurrentPanel())
        panel->SetHighlights(1, {});
}

QPlainTextEdit* CShaderEditor::GetTextEdit()
{
    return GetCurrentPanel();
}

QTextCharFormat CShaderEditor::GetFindResultFormat()
{
    QTextCharFormat format;
    format.setBackground(QBrush(CShaderEditController::Instance()->GetEditorSettings().FindResultColour));
    return format;
}

QString CShaderEditor::GetSelectedText()
{
    CShaderEditPanel* panel = GetCurrentPanel();
    return panel ? panel->textCursor().selectedText() : QString();
}

void CShaderEditor::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && CloseByMiddleButton(event->globalPosition().toPoint())) {
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

bool CShaderEditor::eventFilter(QObject* watched, QEvent* event)
{
    // The tab bar receives the click; it would pass a middle-button release on to the editor,
    // but only when it ignores it.
    if (m_tabs && watched == m_tabs->tabBar() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::MiddleButton && CloseByMiddleButton(mouse->globalPosition().toPoint()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
