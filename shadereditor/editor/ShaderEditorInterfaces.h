#pragma once
// What the shader editor asks of the program around it (questions, file dialogs, printing and
// file errors) and what it offers a find/replace component.
#include "XQFTString.h"

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QTextCharFormat>
#include <QTextEdit>

#include <cstdint>

class QPlainTextEdit;
class QPrinter;

class IShaderEditorHost
{
public:
    virtual ~IShaderEditorHost() = default;
    // Save (0x800) saves, Cancel (0x400000) keeps the tab, anything else discards the changes.
    virtual QMessageBox::StandardButton AskSaveChanges() = 0;
    // 1 prints.
    virtual int ExecPrintDialog(QPrinter* printer, bool selectionOnly) = 0;
    // false: the user cancelled.
    virtual bool GetSaveFileName(uint32_t docType, CXQFTString& fileName) = 0;
    virtual bool GetOpenFileName(CXQFTString& fileName) = 0;
    virtual void ReportFileError(const CXQFTString& fileName, const CXQFTString& error) = 0;
};

class IFindReplaceDelagte
{
public:
    virtual ~IFindReplaceDelagte() = default;
    virtual void SetFindResults(const QList<QTextEdit::ExtraSelection>& results) = 0;
    virtual void ClearFindResults() = 0;
    virtual QPlainTextEdit* GetTextEdit() = 0;
    virtual QTextCharFormat GetFindResultFormat() = 0;
    virtual QString GetSelectedText() = 0;
};
