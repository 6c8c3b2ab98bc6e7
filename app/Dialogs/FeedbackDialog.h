#pragma once
// The feedback dialog: where to send feedback (the forum and a mail to support whose subject and
// body are filled in) and a text to paste into it, which the user can select but not edit.
#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;

class CFeedbackDialog : public QDialog
{
    Q_OBJECT
public:
    CFeedbackDialog(const QString& title, const QString& systemText, QWidget* parent = nullptr,
                    Qt::WindowFlags flags = {});

    // The title followed by the build identification: the first line of the text to include.
    const QString& InfoLine() const { return m_info; }
    // The mail link's address with its subject and body.
    QString MailLink() const;

public Q_SLOTS:
    void translateUI(int language);

protected Q_SLOTS:
    void launchLink(const QString& link);

private:
    void SetupUi();

    QLabel* ForumLabel = nullptr;
    QLabel* ForumURL = nullptr;
    QLabel* SupportEmailLabel = nullptr;
    QLabel* SupportEmail = nullptr;
    QLabel* RequiredTextLabel = nullptr;
    QPlainTextEdit* RequiredText = nullptr;
    QLabel* SelectAndCopyLabel = nullptr;
    QDialogButtonBox* buttonBox = nullptr;

    QString m_info;
    QString m_system;
};
