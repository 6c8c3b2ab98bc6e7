#include "output/OutputViewerWidget.h"

#include <QFile>
#include <QTextCursor>
#include <QHBoxLayout>
#include <QPlainTextEdit>

#include "output/OutputLog.h"

COutputViewerWidget::COutputViewerWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setObjectName("OutputViewer");
    horizontalLayout = new QHBoxLayout(this);
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setSpacing(0);
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    textView = new QPlainTextEdit(this);
    textView->setObjectName("textEdit");
    textView->setReadOnly(true);
    textView->setUndoRedoEnabled(false);
    horizontalLayout->addWidget(textView);
}

COutputViewerWidget::~COutputViewerWidget() = default;

bool COutputViewerWidget::OpenLog()
{
    if (!logFile)
        logFile = std::make_unique<QFile>(kOutputLogName);
    if (!logOpen)
        logOpen = logFile->open(QIODevice::ReadWrite);
    return logOpen;
}

void COutputViewerWidget::SLTUpdateOutput()
{
    if (!OpenLog())
        return;
    // The whole file each time: the streams append to it behind this handle's back, and it may have
    // been emptied since (a new dock truncates it).
    logFile->seek(0);
    QByteArray bytes = logFile->readAll();
    // Usually the log only grew: the view keeps what it shows and takes the new lines alone (a
    // log of megabytes is not laid out again after every pass). Cut in the middle of a line, the
    // text is replaced whole, so that no character is decoded in two halves.
    if (!shown.isEmpty() && shown.endsWith('\n') && bytes.startsWith(shown)) {
        if (bytes.size() > shown.size()) {
            QTextCursor end(textView->document());
            end.movePosition(QTextCursor::End);
            end.insertText(QString::fromLocal8Bit(bytes.constData() + shown.size(), bytes.size() - shown.size()));
        }
    } else {
        textView->setPlainText(QString::fromLocal8Bit(bytes));
    }
    shown = std::move(bytes);
    textView->moveCursor(QTextCursor::End);
}

void COutputViewerWidget::SLTUpdatedTrace(bool clean)
{
    if (!clean)
        return;
    textView->clear();
    shown.clear();
}
