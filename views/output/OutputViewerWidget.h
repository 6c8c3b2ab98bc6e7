#pragma once
// The "Output" tab: the diagnostics file "output.log" in a read-only text view, re-read whole after
// each image analysis so that the newest lines show at the end.
#include <QString>
#include <QWidget>

#include <memory>

class QFile;
class QHBoxLayout;
class QTextEdit;

class COutputViewerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit COutputViewerWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~COutputViewerWidget() override;

    QTextEdit* TextView() const { return textView; }

public Q_SLOTS:
    void SLTUpdateOutput();
    // clean: empties the view (the file is left as it is).
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }

private:
    // Opens the log for reading and writing on first use (which makes an empty one when none exists).
    bool OpenLog();

    QHBoxLayout* horizontalLayout = nullptr;
    QTextEdit* textView = nullptr;
    std::unique_ptr<QFile> logFile;
    bool logOpen = false;
};
