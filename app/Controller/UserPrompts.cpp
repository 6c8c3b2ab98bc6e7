#include "UserPrompts.h"

#include <QFileDialog>

QMessageBox::StandardButton CUserPrompts::Warning(QWidget* parent, const QString& title, const QString& text,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

void CUserPrompts::Critical(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

void CUserPrompts::Information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

QString CUserPrompts::OpenFileName(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(nullptr, caption, QString(), filter);
}

QString CUserPrompts::SaveFileName(const QString& caption, const QString& filter)
{
    return QFileDialog::getSaveFileName(nullptr, caption, QString(), filter);
}

QString CUserPrompts::ExistingDirectory(const QString& caption)
{
    return QFileDialog::getExistingDirectory(nullptr, caption, QString());
}

void CUserPrompts::Detailed(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                            const QString& informative)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setInformativeText(informative);
    box.exec();
}

QString CUserPrompts::OpenFileNameIn(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(nullptr, caption, folder, filter);
}
