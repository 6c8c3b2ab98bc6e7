#include "UserPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace {
QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
                                const QString& informative = QString())
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    if (!informative.isEmpty())
        box.setInformativeText(informative);
    FitMessageBoxToTitle(box);
    return QMessageBox::StandardButton(box.exec());
}
} // namespace

void FitMessageBoxToTitle(QMessageBox& box)
{
    // A box sized to a short text is narrower than its title, which the window frame then cuts
    // ("Error ...g file"): a spacer under the contents keeps it as wide as the title, with room
    // for the frame's icon and buttons beside it.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle()) + 120;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

QMessageBox::StandardButton CUserPrompts::Warning(QWidget* parent, const QString& title, const QString& text,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    return Ask(parent, QMessageBox::Warning, title, text, buttons, defaultButton);
}

void CUserPrompts::Critical(QWidget* parent, const QString& title, const QString& text)
{
    Ask(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void CUserPrompts::Information(QWidget* parent, const QString& title, const QString& text)
{
    Ask(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
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
    Ask(parent, icon, title, text, QMessageBox::Ok, QMessageBox::Ok, informative);
}

QString CUserPrompts::OpenFileNameIn(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(nullptr, caption, folder, filter);
}
