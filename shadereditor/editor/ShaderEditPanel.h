#pragma once
// One open shader document: a plain-text editor without wrapping, with two gutters on its left
// (line numbers, then the per-line cycle counts of the last compile), the highlighter of its
// document type, smart Tab, Home and Return keys, find-result and cursor-match highlights, the
// last compile's errors and warnings marked on their lines (tool tip: the messages), and a
// background compile request to the editor controller at every change of its text.
#include "CompileMessages.h"
#include "ShaderDocType.h"
#include "ShaderEditController.h"
#include "ShaderTextCodec.h"
#include "VTLJumpList.h"
#include "XQFTArray.h"
#include "XQFTHash.h"
#include "XQFTString.h"

#include <QList>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <map>

class CShaderEditPanel;
class CShaderHighlighter;

// A gutter of a panel; the panel paints it.
class CLineNumberArea : public QWidget
{
public:
    enum : uint32_t { kLineNumbers = 0, kCycleCounts = 1 };
    CLineNumberArea(CShaderEditPanel* panel, uint32_t kind);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CShaderEditPanel* m_panel;
    uint32_t m_kind;
};

class CShaderEditPanel : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Not a document type: the panel detects its type from the contents it is built with.
    static constexpr uint32_t kUndeterminedType = eShaderDocDetect;
    // The most spaces a Tab or an indentation level inserts, whatever the settings hold.
    static constexpr uint32_t kMaxTabSpaces = 64;

    // contents only serve to detect the type when docType is kUndeterminedType; the text is set
    // with SetContents.
    CShaderEditPanel(QWidget* parent, const CXQFTString& fileName, const char* contents, uint32_t docType);
    ~CShaderEditPanel() override;

    // Replaces the text with the bytes (a C string: the text ends at the first zero byte), read
    // as UTF-8 when they are valid UTF-8 and else as Latin-1; clears the modified flag and the
    // cycle counts of the old text. detect sets the type from the text.
    void SetContents(const char* text, bool detect);
    void SetDocType(uint32_t docType);
    void SetFilename(const CXQFTString& fileName);
    // kind 1: find results, kind 0: cursor matches; cursor matches paint over find results.
    void SetHighlights(uint32_t kind, const QList<QTextEdit::ExtraSelection>& selections);

    uint32_t GetDocType() const { return m_docType; }
    const CXQFTString& GetFilename() const { return m_fileName; }
    const CXQFTHash& GetPanelId() const { return m_panelId; }
    bool IsModified() const;
    void ClearModified();
    void MoveToStart();
    const CXQFTArray<int>& GetCycleCounts() const { return m_cycleCounts; }
    // The last compile's messages for this text; empty before its first result.
    const SCompileMessages& GetCompileMessages() const { return m_messages; }
    // The messages that name line (1-based), in output order.
    QStringList MessagesOfLine(uint32_t line) const;
    const QList<QTextEdit::ExtraSelection>& GetHighlights(uint32_t kind) const;

    // The document as bytes in the encoding it was read in (see ShaderTextCodec.h).
    QByteArray EncodedText();
    EShaderTextEncoding GetEncoding() const { return m_encoding; }

    // Emits CancelCompile and RecompileContents when AutoCompile is on and the type compiles in
    // the background.
    void RequestRecompile();

    // Gutters: their widths for the current font, lines and counts in view, and their painter.
    int GutterWidth(uint32_t kind) const;
    void PaintGutter(QPaintEvent* event, uint32_t kind);
    CLineNumberArea* Gutter(uint32_t kind) const
    {
        return kind == CLineNumberArea::kLineNumbers ? m_lineNumberArea : m_cycleCountArea;
    }

Q_SIGNALS:
    void RequestClose();
    void OutdentSelection();
    void RecompileContents(CXQFTHash PanelID, QString Contents, EShaderDocType eType,
                           ECompileInvocationType eInvocation);
    void PopulateVTLJumpList(QList<CVTLJumpList::SDesc> list);
    void CancelCompile(CXQFTHash PanelID);
    void FilenameChanged(QString fileName);

public Q_SLOTS:
    void UpdateLineNumberArea(QRect rect, int dy);
    void OnTextChanged(int position, int removed, int added);
    void OnRequestDocumentType(CShaderHighlighter* highlighter);
    void OnCompileCycleCountChanged(CXQFTHash PanelID, CXQFTArray<int> counts);
    void OnFontChanged(QFont font);
    void OnCompilerSettingsChanged(Settings::SCompiler settings, unsigned int mask);
    // Marks the lines that the compile's messages name, when the result is this panel's.
    void OnCompileResultChanged(CXQFTHash PanelID, SCompileResult result);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void LayoutGutters();
    void UpdateMargins();
    bool HandleTab(QKeyEvent* event);
    bool HandleHome(QKeyEvent* event);
    bool HandleReturn(QKeyEvent* event);
    QString PlainText() const;
    // Whether the document still holds m_text's characters in [position, position + length).
    bool RangeUnchanged(int position, int length) const;
    void EmitRecompile();
    // Marks the lines of m_messages (under the find and cursor highlights).
    void ApplyHighlights();
    // The mark colour of line, or an invalid colour for a line without a message.
    QColor MarkColour(uint32_t line) const;

    CLineNumberArea* m_lineNumberArea;
    CLineNumberArea* m_cycleCountArea;
    CShaderHighlighter* m_highlighter = nullptr;
    CXQFTString m_fileName;
    CXQFTHash m_panelId;
    uint32_t m_docType;
    QList<QTextEdit::ExtraSelection> m_findHighlights;
    QList<QTextEdit::ExtraSelection> m_cursorHighlights;
    CXQFTArray<int> m_cycleCounts;
    SCompileMessages m_messages;
    // Line (1-based) -> whether an error names it (else only warnings do).
    std::map<uint32_t, bool> m_lineMarks;
    QList<QTextEdit::ExtraSelection> m_messageHighlights;

    EShaderTextEncoding m_encoding = EShaderTextEncoding::Utf8;
    bool m_crlf = false;
    // The text as of the last real change: a change that leaves it as it was (a re-layout or a
    // format change) is no edit.
    QString m_text;
    bool m_settingContents = false;
    int m_margin = -1;
};
