#pragma once
// "Filter/Highlight Functions": per function, whether the call list highlights its calls (column
// "H") and filters them out (column "F"), in a tree by API and, for OpenGL ES, by category. Only
// the functions that occur in the open trace can be changed one by one; a choice on an API or a
// category covers all of its functions, those the trace does not call as well, so that it holds
// for the next trace as a whole. Accept writes both choices into the controller's sets, which stay
// when another trace opens; Cancel leaves them, and the next show reads the boxes from them again.
#include <QDialog>

class QToolButton;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CFilterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CFilterDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    enum EColumn { kName = 0, kHighlight = 1, kFilter = 2 };
    // The call id a function item stands for, under this role of column 0.
    static constexpr int kIdRole = Qt::UserRole;

    QTreeWidget* Tree() const { return treeView; }
    QTreeWidgetItem* ApiItem(int index) const { return m_apis[index]; }
    bool HidesAbsent() const { return m_hide; }

public Q_SLOTS:
    void SLTcloseButton();
    void SLTacceptButton();
    void SLTitemCollapsed(QTreeWidgetItem* item);
    void SLTSitemChanged(QTreeWidgetItem* item, int column);
    void SLTSitemExpanded(QTreeWidgetItem* item);
    void SLCFilter();
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetupUi();
    void ConnectItemChanged(bool on);
    // Recomputes the check state and the enabled state of every API and category item.
    void Recompute(int column);
    void ApplyHide();

    QTreeWidget* treeView = nullptr;
    QToolButton* pb_filter = nullptr;
    QPushButton* pb_accept = nullptr;
    QPushButton* pb_cancel = nullptr;
    QTreeWidgetItem* m_apis[3] = {};
    bool m_hide = false;
};
