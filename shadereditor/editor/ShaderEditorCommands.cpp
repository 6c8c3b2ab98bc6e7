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

} // namespace

void CShaderEditor::OnUndo()
{
    if (CShaderEditPanel* panel = EditablePanel())
        panel->undo();
}

void CShaderEditor::OnRedo()
{
    if (CShaderEditPanel* panel = EditablePanel())
        panel->redo();
}

void CShaderEditor::OnCut()
{
    if (CShaderEditPanel* panel = EditablePanel())
        panel->cut();
}

void CShaderEditor::OnCopy()
{
    if (CShaderEditPanel* panel = GetCurrentPanel())
        panel->copy();
}

void CShaderEditor::OnPaste()
{
    if (CShaderEditPanel* panel = EditablePanel())
        panel->paste();
}

void CShaderEditor::OnDelete()
{
    if (CShaderEditPanel* panel = EditablePanel()) {
        QTextCursor cursor = panel->textCursor();
        cursor.removeSelectedText();
        panel->setTextCursor(cursor);
    }
}

void CShaderEditor::OnSelectAll()
{
    if (CShaderEditPanel* panel = GetCurrentPanel())
        panel->selectAll();
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
    CShaderEditPanel* panel = EditablePanel();
    int s = 0, e = 0;
    if (!panel || !SelectionOf(panel, s, e))
        return;
    QTextDocument* document = panel->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (document->findBlock(s) == document->findBlock(e)) {
        Insert(cursor, s, QStringLiteral("/*"));
        Insert(cursor, e + 2, QStringLiteral("*/"));
    } else {
        for (QTextBlock block = document->findBlock(s); block.isValid() && block.position() < e; block = block.next()) {
            Insert(cursor, block.position(), QStringLiteral("//"));
            e += 2;
        }
    }
    cursor.endEditBlock();
}

void CShaderEditor::OnUncommentSelection()
{
    CShaderEditPanel* panel = EditablePanel();
    int s = 0, e = 0;
    if (!panel || !SelectionOf(panel, s, e))
        return;
    QTextDocument* document = panel->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (document->findBlock(s) == document->findBlock(e)) {
        if (e - s >= 4 && HoldsAt(document, s, "/*") && HoldsAt(document, e - 2, "*/")) {
            // The markers are the ends of the selection.
            Remove(cursor, s, 2);
            Remove(cursor, e - 4, 2);
        } else if (HoldsAt(document, s - 2, "/*") && HoldsAt(document, e, "*/")) {
            // The markers stand just outside it.
            Remove(cursor, s - 2, 2);
            Remove(cursor, e - 2, 2);
        }
    } else {
        for (QTextBlock block = document->findBlock(s); block.isValid() && block.position() < e; block = block.next())
            if (block.text().startsWith(QLatin1String("//"))) {
                Remove(cursor, block.position(), 2);
                e -= 2;
            }
    }
    cursor.endEditBlock();
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
    CShaderEditPanel* panel = EditablePanel();
    int s = 0, e = 0;
    if (!panel || !SelectionOf(panel, s, e))
        return;
    const QString unit = IndentationUnit();
    QTextDocument* document = panel->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (QTextBlock block = document->findBlock(s); block.isValid() && block.position() < e; block = block.next()) {
        Insert(cursor, block.position(), unit);
        e += int(unit.size());
    }
    cursor.endEditBlock();
}

void CShaderEditor::OnIndentSelection()
{
    CShaderEditPanel* panel = EditablePanel();
    int s = 0, e = 0;
    if (!panel || !SelectionOf(panel, s, e))
        return;
    const bool spaces = CShaderEditController::Instance()->GetEditorSettings().TreatTabAsSpace;
    const QString unit = IndentationUnit();
    QTextDocument* document = panel->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (QTextBlock block = document->findBlock(s); block.isValid() && block.position() < e; block = block.next()) {
        const QString text = block.text();
        if (text.isEmpty())
            continue;
        if (text.startsWith(QLatin1Char('\t'))) {
            Remove(cursor, block.position(), 1);
            e -= 1;
        } else if (spaces && !unit.isEmpty() && text.startsWith(unit)) {
            Remove(cursor, block.position(), int(unit.size()));
            e -= int(unit.size());
        }
    }
    cursor.endEditBlock();
}

void CShaderEditor::OnFileTypeChanged(EShaderDocType type)
{
    if (CShaderEditPanel* panel = GetCurrentPanel())
        panel->SetDocType(type);
}
