#include "output/OutputViewerWidget.h"

#include <QFile>
#include <QHBoxLayout>
#include <QTextEdit>

#include "output/OutputLog.h"

COutputViewerWidget::COutputViewerWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setObjectName("OutputViewer");
    horizontalLayout = new QHBoxLayout(this);
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setSpacing(0);
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    textView = new QTextEdit(this);
    textView->setObjectName("textEdit");
    textView->setReadOnly(true);
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
    // The whole file each time: the streams append to it behind this handle's back.
    logFile->seek(0);
    const QByteArray bytes = logFile->readAll();
    textView->setPlainText(QString::fromLocal8Bit(bytes));
    textView->moveCursor(QTextCursor::End);
}

void COutputViewerWidget::SLTUpdatedTrace(bool clean)
{
    if (clean)
        textView->clear();
}
