#include "AboutBoxDialog.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "Common/XQFPreferences/XQFPreferences.h"
#include "ProductInfo.h"

namespace {
const char kWhite[] = "color: rgb(255, 255, 255);";

QString Link(const QString& href, const QString& text)
{
    return QString("<a href=\"%1\"><span style=\"color: rgb(255, 255, 255);\">%2</span></a>")
        .arg(href.toHtmlEscaped(), text.toHtmlEscaped());
}
} // namespace

CAboutBoxDialog::CAboutBoxDialog(const QString& title, const QImage& background, CXQFPreferences* preferences,
                                 bool forceShow, const QString& uses, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen), m_preferences(preferences)
{
    SetupUi();
    const QByteArray ascii = title.toLatin1();
    m_key = CXQFTString(ascii.constData(), size_t(ascii.size())) + "/About/ShowSplash";

    bool stored = true;
    if (m_preferences)
        m_preferences->GetBool(m_key, &stored, true);
    m_showAtStartup = forceShow || !m_preferences || stored;
    ShowAtStartUpCB->setChecked(stored);

    AppVersionLabel->setText(title + productinfo::BuildSuffix());
    QString version = QString("Qt version ") + qVersion();
    if (!uses.isEmpty())
        version += " | " + uses;
    VersionLabel->setText(version);

    connect(OkButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ShowAtStartUpCB, &QCheckBox::stateChanged, this, &CAboutBoxDialog::onCheckBoxStateChanged);
    connect(EmailLabel, &QLabel::linkActivated, this, &CAboutBoxDialog::launchLink);
    connect(WebsiteLabel, &QLabel::linkActivated, this, &CAboutBoxDialog::launchLink);

    if (background.width() > 0)
        setFixedWidth(background.width());
    if (background.height() > 0)
        setFixedHeight(background.height());
    QPalette palette = this->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(background));
    setPalette(palette);
    setAutoFillBackground(true);
}

void CAboutBoxDialog::SetupUi()
{
    setObjectName("AboutBoxClass");
    auto* verticalLayout_2 = new QVBoxLayout(this);
    verticalLayout_2->setObjectName("verticalLayout_2");
    // The art stands in the upper part of the image; the texts gather at the bottom.
    verticalLayout_2->addStretch(1);
    auto* verticalLayout = new QVBoxLayout;
    verticalLayout->setObjectName("verticalLayout");
    verticalLayout->setSpacing(2);

    auto plain = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setTextFormat(Qt::PlainText);
        l->setStyleSheet(kWhite);
        return l;
    };
    AppVersionLabel = plain("AppVersionLabel", QString());
    QFont big = AppVersionLabel->font();
    big.setPointSize(10);
    AppVersionLabel->setFont(big);
    verticalLayout->addWidget(AppVersionLabel);

    auto* formLayout = new QFormLayout;
    formLayout->setObjectName("formLayout");
    UsesLabel = plain("UsesLabel", "Uses");
    VersionLabel = plain("VersionLabel", QString());
    formLayout->addRow(UsesLabel, VersionLabel);
    verticalLayout->addLayout(formLayout);

    auto link = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setTextFormat(Qt::RichText);
        l->setStyleSheet(kWhite);
        return l;
    };
    EmailLabel = link("EmailLabel", Link(QString("mailto:") + productinfo::kSupportAddress, productinfo::kSupportAddress));
    WebsiteLabel = link("WebsiteLabel", Link(productinfo::kWebsiteLink, productinfo::kWebsiteLink));
    verticalLayout->addWidget(EmailLabel);
    verticalLayout->addWidget(WebsiteLabel);
    label = plain("label", productinfo::kAboutLine);
    verticalLayout->addWidget(label);
    verticalLayout_2->addLayout(verticalLayout);

    auto* horizontalLayout = new QHBoxLayout;
    horizontalLayout->setObjectName("horizontalLayout");
    ShowAtStartUpCB = new QCheckBox("Show at startup", this);
    ShowAtStartUpCB->setObjectName("ShowAtStartUpCB");
    ShowAtStartUpCB->setStyleSheet(kWhite);
    horizontalLayout->addWidget(ShowAtStartUpCB);
    horizontalLayout->addStretch(1);
    OkButton = new QPushButton("Ok", this);
    OkButton->setObjectName("OkButton");
    horizontalLayout->addWidget(OkButton);
    verticalLayout_2->addLayout(horizontalLayout);
}

int CAboutBoxDialog::ShowIfEnabled()
{
    if (!m_showAtStartup)
        return 1;
    return exec();
}

void CAboutBoxDialog::onCheckBoxStateChanged(int state)
{
    m_showAtStartup = state != 0;
    if (m_preferences) {
        m_preferences->SetBool(m_key, m_showAtStartup);
        m_preferences->Save(false);
    }
}

void CAboutBoxDialog::launchLink(const QString& link)
{
    QDesktopServices::openUrl(QUrl(link));
}
