#pragma once
// Every program of the trace with the shader sources attached to it: a bold "Program: N" item per
// program, under it, for each shader attached to it (once however often it was attached), one row
// per glShaderSource of that shader naming the call and holding its number under role 100. Built
// once per opened trace from the statistics' lists.
#include <QFrame>

class QTreeWidget;
class QTreeWidgetItem;

class CShaderListWidget : public QFrame
{
    Q_OBJECT
public:
    explicit CShaderListWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    void SetupUi();
    // clean false: a trace was opened, the list is built for it; true: the list is emptied.
    void UpdatedTrace(bool clean);
    void Populate();
    QTreeWidget* Tree() const { return m_tree; }

Q_SIGNALS:
    void ShaderSelected(int callNumber);

private Q_SLOTS:
    void onShaderClick(QTreeWidgetItem* item);

private:
    QTreeWidget* m_tree = nullptr;
};
