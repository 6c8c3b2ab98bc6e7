#pragma once
// The "Find" dialog: a pattern (a regular expression), where to look (the current frame or the
// whole trace) and whether case matters. Find (or Return in the pattern) hands the search to the
// controller; Cancel stops a running search.
#include <QDialog>

#include "TraceController.h"

class QCheckBox;
class QComboBox;
class QPushButton;

class CSearchDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CSearchDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Shorter patterns are refused.
    static constexpr int kMinPatternLength = 3;

Q_SIGNALS:
    void SIGRequestedSearch(CTraceController::SSearchParam param);

public Q_SLOTS:
    void SLTacceptButton();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetupUi();

    QComboBox* cb_findWhat = nullptr;
    QComboBox* cb_lookIn = nullptr;
    QCheckBox* cb_mathExact = nullptr;
    QPushButton* pb_cancelSearch = nullptr;
    QPushButton* pb_accept = nullptr;
};
