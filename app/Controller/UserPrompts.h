#pragma once
// Every question and report the controller puts to the user goes through this seam, so that
// tests replace the modal boxes and file dialogs with scripted answers.
#include <QMessageBox>
#include <QString>

class QWidget;

// Widens a message box to its title, which a box sized to a short text would cut.
void FitMessageBoxToTitle(QMessageBox& box);

class CUserPrompts
{
public:
    virtual ~CUserPrompts() = default;
    virtual QMessageBox::StandardButton Warning(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);
    virtual void Critical(QWidget* parent, const QString& title, const QString& text);
    virtual void Information(QWidget* parent, const QString& title, const QString& text);
    virtual QString OpenFileName(const QString& caption, const QString& filter);
    virtual QString SaveFileName(const QString& caption, const QString& filter);
    virtual QString ExistingDirectory(const QString& caption);
    // A box with a further, informative text under its text; one OK button.
    virtual void Detailed(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                          const QString& informative);
    // An open-file dialog (no parent) that starts in folder.
    virtual QString OpenFileNameIn(const QString& caption, const QString& folder, const QString& filter);
};
