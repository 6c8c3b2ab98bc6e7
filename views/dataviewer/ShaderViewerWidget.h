#pragma once
// The shader viewer of the data-viewer dock: the source text of a glShaderSource call in a
// read-only shader editor, with the call and shader named below it. The shader is compiled with
// the viewer's compiler as it shows: the editor marks the lines of the errors and warnings, the
// list under it gives their texts (a click goes to the line) and the caption ends with the result
// in one line ("Compiled", "2 errors").
#include <QWidget>

#include "CompileResult.h"
#include "XQFTHash.h"

class CShaderEditor;
class QFrame;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QVBoxLayout;

class CShaderViewerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CShaderViewerWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    CShaderEditor* Editor() const { return editor; }
    QLabel* Caption() const { return caption; }
    QLabel* CompileResultLabel() const { return compileResult; }
    QListWidget* Messages() const { return messages; }

Q_SIGNALS:
    void onRequestFocus();

public Q_SLOTS:
    void UpdateView(int idCall);
    // Shows no shader (the open trace went).
    void Clear();
    // The shader compiler the viewer's editor uses: the viewer's option, as the custom compiler.
    void SLTUpdateCompiler();

private Q_SLOTS:
    void OnCompileResult(CXQFTHash panel, SCompileResult result);
    void OnMessageChosen(QListWidgetItem* item);

private:
    // Empties the list and the result line; "Compiling..." when a compile of the text was asked for.
    void ResetCompileResult();

    CShaderEditor* editor = nullptr;
    QLabel* caption = nullptr;
    QLabel* compileResult = nullptr;
    QListWidget* messages = nullptr;
    QVBoxLayout* horizontalLayout = nullptr;
    QFrame* captionFrame = nullptr;
    QHBoxLayout* captionLayout = nullptr;
};
