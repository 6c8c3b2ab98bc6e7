#pragma once
// The shader viewer of the data-viewer dock: the source text of a glShaderSource call in a
// read-only shader editor, with the call and shader named below it.
#include <QWidget>

class CShaderEditor;
class QFrame;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

class CShaderViewerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CShaderViewerWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    CShaderEditor* Editor() const { return editor; }
    QLabel* Caption() const { return caption; }

Q_SIGNALS:
    void onRequestFocus();

public Q_SLOTS:
    void UpdateView(int idCall);
    // Shows no shader (the open trace went).
    void Clear();
    // The shader compiler the viewer's editor uses: the viewer's option, as the custom compiler.
    void SLTUpdateCompiler();

private:
    CShaderEditor* editor = nullptr;
    QLabel* caption = nullptr;
    QVBoxLayout* horizontalLayout = nullptr;
    QFrame* captionFrame = nullptr;
    QHBoxLayout* captionLayout = nullptr;
};
