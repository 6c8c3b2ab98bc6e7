#pragma once
// The About box: a splash-screen window over a background image, with the program's name and
// build, the Qt version, the support and website links, and a "Show at startup" choice kept in
// the preference store under "<title>/About/ShowSplash".
#include <QDialog>
#include <QImage>
#include <QString>

#include "XQFTString.h"

class CXQFPreferences;
class QCheckBox;
class QLabel;
class QPushButton;

class CAboutBoxDialog : public QDialog
{
    Q_OBJECT
public:
    // Without a store the box always shows and the choice is not kept. Force-show shows the box
    // whatever the stored choice is; the check box still shows that choice.
    CAboutBoxDialog(const QString& title, const QImage& background, CXQFPreferences* preferences, bool forceShow,
                    const QString& uses, QWidget* parent = nullptr);

    // 1 at once when the box is not to be shown, else the result of running it modally.
    int ShowIfEnabled();
    bool ShowAtStartup() const { return m_showAtStartup; }

public Q_SLOTS:
    void onCheckBoxStateChanged(int state);

protected Q_SLOTS:
    void launchLink(const QString& link);

private:
    void SetupUi();

    QLabel* AppVersionLabel = nullptr;
    QLabel* UsesLabel = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* EmailLabel = nullptr;
    QLabel* WebsiteLabel = nullptr;
    QLabel* label = nullptr;
    QCheckBox* ShowAtStartUpCB = nullptr;
    QPushButton* OkButton = nullptr;

    bool m_showAtStartup = true;
    CXQFPreferences* m_preferences;
    CXQFTString m_key;
};
