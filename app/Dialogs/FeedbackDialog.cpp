#include "FeedbackDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include "AutoUpdater.h"
#include "ProductInfo.h"

namespace {
QString Anchor(const QString& href, const QString& text)
{
    return QString("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), text.toHtmlEscaped());
}
} // namespace

CFeedbackDialog::CFeedbackDialog(const QString& title, const QString& systemText, QWidget* parent,
                                 Qt::WindowFlags flags)
    : QDialog(parent, flags), m_info(title + productinfo::BuildSuffix()), m_system(systemText)
{
    SetupUi();
    ForumURL->setText(Anchor(productinfo::kForumLink, productinfo::kForumLink));
    SupportEmail->setText(Anchor(MailLink(), productinfo::kSupportAddress));
    RequiredText->clear();
    RequiredText->appendPlainText(m_info);
    RequiredText->appendPlainText(m_system);
    connect(ForumURL, &QLabel::linkActivated, this, &CFeedbackDialog::launchLink);
    connect(SupportEmail, &QLabel::linkActivated, this, &CFeedbackDialog::launchLink);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QWidget::close);
    translateUI(0);
}

void CFeedbackDialog::SetupUi()
{
    setObjectName("FeedbackClass");
    resize(420, 330);
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName("verticalLayout");

    auto label = [this](QWidget* parent, const char* name, Qt::TextFormat format) {
        auto* l = new QLabel(parent);
        l->setObjectName(name);
        l->setTextFormat(format);
        l->setWordWrap(true);
        return l;
    };
    // A group box without a title holding a sentence and its link.
    auto group = [&](const char* name, QLabel*& sentence, const char* sentenceName, QLabel*& link,
                     const char* linkName) {
        auto* box = new QGroupBox(this);
        box->setObjectName(name);
        auto* rows = new QVBoxLayout(box);
        sentence = label(box, sentenceName, Qt::PlainText);
        link = label(box, linkName, Qt::RichText);
        rows->addWidget(sentence);
        rows->addWidget(link);
        layout->addWidget(box);
    };
    group("groupBox", ForumLabel, "ForumLabel", ForumURL, "ForumURL");
    group("groupBox_2", SupportEmailLabel, "SupportEmailLabel", SupportEmail, "SupportEmail");

    RequiredTextLabel = label(this, "RequiredTextLabel", Qt::PlainText);
    layout->addWidget(RequiredTextLabel);
    RequiredText = new QPlainTextEdit(this);
    RequiredText->setObjectName("RequiredText");
    RequiredText->setReadOnly(true);
    RequiredText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(RequiredText);
    SelectAndCopyLabel = label(this, "SelectAndCopyLabel", Qt::PlainText);
    layout->addWidget(SelectAndCopyLabel);

    buttonBox = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttonBox->setObjectName("buttonBox");
    layout->addWidget(buttonBox);
}

QString CFeedbackDialog::MailLink() const
{
    return QString("mailto:") + productinfo::kSupportAddress +
           "?subject=" + QString::fromLatin1(QUrl::toPercentEncoding("Feedback " + m_info)) +
           "&body=" + QString::fromLatin1(QUrl::toPercentEncoding(m_system));
}

void CFeedbackDialog::translateUI(int language)
{
    // The string table holds one language.
    if (language >= 1)
        return;
    ForumLabel->setText(CAutoUpdater::GetUpdaterString(11));
    SupportEmailLabel->setText(CAutoUpdater::GetUpdaterString(22));
    RequiredTextLabel->setText(CAutoUpdater::GetUpdaterString(18));
    SelectAndCopyLabel->setText(CAutoUpdater::GetUpdaterString(20));
    setWindowTitle(CAutoUpdater::GetUpdaterString(10));
}

void CFeedbackDialog::launchLink(const QString& link)
{
    QDesktopServices::openUrl(QUrl(link));
}
