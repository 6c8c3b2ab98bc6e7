#pragma once
// The shader editor widget. Built as it stands it holds one embedded edit panel (the shader view
// shows a recorded shader in it, read-only); given a tab widget (SetTabWidget) it becomes the
// tabbed editor, one panel a tab, with new, open, save and close. It offers the edit, print,
// comment and indentation commands as slots, highlights every occurrence of the word under the
// cursor, and wires each panel to the editor controller for background compiles.
#include "ShaderDocType.h"
#include "ShaderEditController.h"
#include "ShaderEditorInterfaces.h"
#include "XQFTHash.h"

#include <QTextCursor>
#include <QTimer>
#include <QWidget>

class CShaderEditPanel;
class QTabWidget;

class CShaderEditor : public QWidget, public IFindReplaceDelagte
{
    Q_OBJECT

public:
    // Delay between the last cursor move and the highlighting of the word under the cursor.
    static constexpr int kCursorMatchDelayMs = 100;

    explicit CShaderEditor(QWidget* parent = nullptr);
    ~CShaderEditor() override;

    // The embedded panel shows the bytes (type detected from them), read-only when asked.
    void SetContents(const char* text, bool readOnly);

    // The tabbed form: the editor takes the tab widget into its layout (the embedded panel goes),
    // its current-tab changes reach OnPanelChanged and its close requests OnCloseTabRequest.
    // Only the first call counts.
    void SetTabWidget(QTabWidget* tabs);
    QTabWidget* GetTabWidget() const { return m_tabs; }
    // The dialogs of the tabbed form; not owned. Without a host the questions are skipped.
    void SetHost(IShaderEditorHost* host) { m_host = host; }

    CShaderEditPanel* GetCurrentPanel() const;
    CShaderEditPanel* GetEmbeddedPanel() const { return m_embedded; }
    CShaderEditPanel* PanelOfTab(int index) const;

    void AddTab(const QString& text, const char* contents, const CXQFTString& fileName, uint32_t docType);
    bool SaveTab(int index);
    bool SaveTabAs(int index);

    // IFindReplaceDelagte
    void SetFindResults(const QList<QTextEdit::ExtraSelection>& results) override;
    void ClearFindResults() override;
    QPlainTextEdit* GetTextEdit() override;
    QTextCharFormat GetFindResultFormat() override;
    QString GetSelectedText() override;

Q_SIGNALS:
    void LineChanged(int line);
    void ColChanged(int column);
    void StateChanged(int state);
    void FileOpened(QString path);
    void PanelChanged(CXQFTHash PanelID);
    void PanelChanged(const CShaderEditPanel* panel);

private Q_SLOTS:
    void OnCloseTabRequest(int index);
    void OnPanelContentChanged(bool modified);
    void OnPanelCursorPositionChanged();
    void OnPanelCursorPositionChanged(QTextCursor cursor);
    void OnPanelChanged(int index);
    void OnPanelFilenameChanged(QString fileName);
    void OnEditorSettingsChanged(Settings::SEditor settings);
    void OnHighlightCursorMatches();

public Q_SLOTS:
    void OnNewFile(EShaderDocType type);
    bool OnOpenFile();
    bool OnOpenFile(QString path);
    bool OnSaveCurrentTab();
    bool OnSaveCurrentTabAs();
    bool OnSaveAllTabs();
    void OnCloseCurrentTab();
    bool OnCloseAllTabs();
    void OnUndo();
    void OnRedo();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnDelete();
    void OnSelectAll();
    void OnPrint();
    void OnCommentSelection();
    void OnUncommentSelection();
    // The names are the other way round: OnIndentSelection removes one indentation level from
    // every selected line, OnOutdentSelection adds one (the panel's Tab over lines reaches it).
    void OnIndentSelection();
    void OnOutdentSelection();
    void OnFileTypeChanged(EShaderDocType type);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectPanel(CShaderEditPanel* panel);
    int TabOfPanel(const QObject* panel) const;
    // Writes the panel to the file and clears its modified flag; a failure goes to the host.
    bool SavePanel(CShaderEditPanel* panel, const CXQFTString& fileName);
    // Asks about a modified tab's changes: false when the tab is to stay (Cancel, or a save
    // that left it modified).
    bool MayClose(int index);
    bool CloseByMiddleButton(const QPoint& globalPos);
    // The current panel when it can be edited; null otherwise.
    CShaderEditPanel* EditablePanel() const;
    QString IndentationUnit() const;

    IShaderEditorHost* m_host = nullptr;
    QTimer* m_cursorMatchTimer = nullptr;
    CShaderEditPanel* m_embedded = nullptr;
    QTabWidget* m_tabs = nullptr;
};
