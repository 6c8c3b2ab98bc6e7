#pragma once
// The "Output" tab: the diagnostics file "output.log" in a read-only plain-text view, re-read whole
// after each image analysis so that the newest lines show at the end. A plain-text view lays out a
// log of megabytes in a fraction of the time a rich-text one takes.
#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>

class QFile;
class QHBoxLayout;
class QPlainTextEdit;

class COutputViewerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit COutputViewerWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~COutputViewerWidget() override;

    QPlainTextEdit* TextView() const { return textView; }

public Q_SLOTS:
    void SLTUpdateOutput();
    // clean: empties the view (the file is left as it is).
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }

private:
    // Opens the log for reading and writing on first use (which makes an empty one when none exists).
    bool OpenLog();

    QHBoxLayout* horizontalLayout = nullptr;
    QPlainTextEdit* textView = nullptr;
    std::unique_ptr<QFile> logFile;
    bool logOpen = false;
    QByteArray shown;  // the bytes of the log the view shows
};
