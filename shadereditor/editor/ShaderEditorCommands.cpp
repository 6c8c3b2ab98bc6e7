// The shader editor's edit, print, comment and indentation commands on the current panel.
#include "ShaderEditor.h"

#include "ShaderEditPanel.h"

#include <QPrinter>
#include <QTextBlock>

#include <algorithm>

namespace {

// The selection of a panel as [s, e), when there is one.
bool SelectionOf(const CShaderEditPanel* panel, int& s, int& e)
{
    const QTextCursor cursor = panel->textCursor();
    if (!cursor.hasSelection())
        return false;
    s = cursor.selectionStart();
    e = cursor.selectionEnd();
    return true;
}

bool HoldsAt(const QTextDocument* document, int position, const char (&two)[3])
{
    return position >= 0 && position + 1 < document->characterCount() &&
           document->characterAt(position) == QLatin1Char(two[0]) &&
           document->characterAt(position + 1) == QLatin1Char(two[1]);
}

void Remove(QTextCursor& cursor, int position, int count)
{
    cursor.setPosition(position);
    cursor.setPosition(position + count, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void Insert(QTextCursor& cursor, int position, const QString& text)
{
    cursor.setPosition(position);
    cursor.insertText(text);
}

// An edit of the selected lines as one undo step; e follows the text as the lines change.
struct SSelectionEdit
{
    QTextDocument* document;
    QTextCursor cursor;
    int s, e;

    bool OneLine() const { return document->findBlock(s) == document->findBlock(e); }
    // From s's line, while a line starts before e: edit(line) returns how much the line grew.
    template <typename F>
    void ForEachLine(F&& edit)
    {
        for (QTextBlock line = document->findBlock(s); line.isValid() && line.position() < e; line = line.next())
            e += edit(line);
    }
};

// Runs edit on the panel's selection, when the panel has one.
template <typename F>
void EditSelection(CShaderEditPanel* panel, F&& edit)
{
    int s = 0, e = 0;
    if (!panel || !SelectionOf(panel, s, e))
        return;
    SSelectionEdit x{panel->document(), QTextCursor(panel->document()), s, e};
    x.cursor.beginEditBlock();
    edit(x);
    x.cursor.endEditBlock();
}

// An edit of the base editor on the panel, when there is one.
void RunOn(CShaderEditPanel* panel, void (QPlainTextEdit::*edit)())
{
    if (panel)
        (panel->*edit)();
}

} // namespace

void CShaderEditor::OnUndo()
{
    RunOn(EditablePanel(), &QPlainTextEdit::undo);
}

void CShaderEditor::OnRedo()
{
    RunOn(EditablePanel(), &QPlainTextEdit::redo);
}

void CShaderEditor::OnCut()
{
    RunOn(EditablePanel(), &QPlainTextEdit::cut);
}

void CShaderEditor::OnCopy()
{
    RunOn(GetCurrentPanel(), &QPlainTextEdit::copy);
}

void CShaderEditor::OnPaste()
{
    RunOn(EditablePanel(), &QPlainTextEdit::paste);
}

void CShaderEditor::OnDelete()
{
    if (CShaderEditPanel* panel = EditablePanel())
        panel->textCursor().removeSelectedText();
}

void CShaderEditor::OnSelectAll()
{
    RunOn(GetCurrentPanel(), &QPlainTextEdit::selectAll);
}

void CShaderEditor::OnPrint()
{
    CShaderEditPanel* panel = GetCurrentPanel();
    if (!m_host || !panel)
        return;
    QPrinter printer(QPrinter::ScreenResolution);
    if (m_host->ExecPrintDialog(&printer, panel->textCursor().hasSelection()) == 1)
        panel->print(&printer);
}

void CShaderEditor::OnCommentSelection()
{
    EditSelection(EditablePanel(), [](SSelectionEdit& x) {
        if (x.OneLine()) {
            Insert(x.cursor, x.s, QStringLiteral("/*"));
            Insert(x.cursor, x.e + 2, QStringLiteral("*/"));
            return;
        }
        x.ForEachLine([&](const QTextBlock& line) {
            Insert(x.cursor, line.position(), QStringLiteral("//"));
            return 2;
        });
    });
}

void CShaderEditor::OnUncommentSelection()
{
    EditSelection(EditablePanel(), [](SSelectionEdit& x) {
        const int s = x.s, e = x.e;
        if (!x.OneLine()) {
            x.ForEachLine([&](const QTextBlock& line) {
                if (!line.text().startsWith(QLatin1String("//")))
                    return 0;
                Remove(x.cursor, line.position(), 2);
                return -2;
            });
        } else if (e - s >= 4 && HoldsAt(x.document, s, "/*") && HoldsAt(x.document, e - 2, "*/")) {
            // The markers are the ends of the selection.
            Remove(x.cursor, s, 2);
            Remove(x.cursor, e - 4, 2);
        } else if (HoldsAt(x.document, s - 2, "/*") && HoldsAt(x.document, e, "*/")) {
            // The markers stand just outside it.
            Remove(x.cursor, s - 2, 2);
            Remove(x.cursor, e - 2, 2);
        }
    });
}

QString CShaderEditor::IndentationUnit() const
{
    const Settings::SEditor& settings = CShaderEditController::Instance()->GetEditorSettings();
    if (!settings.TreatTabAsSpace)
        return QStringLiteral("\t");
    return QString(qsizetype(std::min(settings.TabSpaceSize, CShaderEditPanel::kMaxTabSpaces)), QLatin1Char(' '));
}

void CShaderEditor::OnOutdentSelection()
{
    const QString unit = IndentationUnit();
    EditSelection(EditablePanel(), [&](SSelectionEdit& x) {
        x.ForEachLine([&](const QTextBlock& line) {
            Insert(x.cursor, line.position(), unit);
            return int(unit.size());
        });
    });
}

void CShaderEditor::OnIndentSelection()
{
    const QString unit = IndentationUnit();
    const bool spaces = CShaderEditController::Instance()->GetEditorSettings().TreatTabAsSpace;
    EditSelection(EditablePanel(), [&](SSelectionEdit& x) {
        x.ForEachLine([&](const QTextBlock& line) {
            const QString text = line.text();
            int removed = 0;
            if (text.startsWith(QLatin1Char('\t')))
                removed = 1;
            else if (spaces && !unit.isEmpty() && text.startsWith(unit))
                removed = int(unit.size());
            if (removed)
                Remove(x.cursor, line.position(), removed);
            return -removed;
        });
    });
}

void CShaderEditor::OnFileTypeChanged(EShaderDocType type)
{
    if (CShaderEditPanel* panel = GetCurrentPanel())
        panel->SetDocType(type);
}
