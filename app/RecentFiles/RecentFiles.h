#pragma once
// The list of recently opened traces, kept in the viewer's preference store (most recent
// first, '\' separators) and mirrored into a menu that is rebuilt each time it is shown; the
// menu's texts and tool tips show the system's own separators.
#include <QObject>
#include <QString>

#include "XQFTString.h"

class CXQFPreferences;
class QMenu;

class CRecentFiles : public QObject
{
    Q_OBJECT
public:
    enum EOptions : unsigned { kDropMissingFiles = 2 };

    CRecentFiles(CXQFPreferences* store, unsigned options, const CXQFTString& prefix, unsigned maxEntries);

    // Adds the separator, "Clear recent files" and the entries to menu; rebuilt on aboutToShow.
    void Install(QMenu* menu);
    // Rebuilds the entry actions of menu from the stored list.
    void Rebuild(QMenu* menu);
    QStringList Files() const;
    const CXQFTString& Key() const { return m_key; }

    // The menu text of an entry: "%1 %2" cut to 45 characters with "..." after the first '\'.
    static QString ShortText(const QString& text);

Q_SIGNALS:
    void triggered(QString path);

public Q_SLOTS:
    void refresh();
    void clear();
    void addFile(QString path);
    void fileSelected();

private:
    void Store(const QStringList& files);

    unsigned m_maxEntries;
    CXQFPreferences* m_store;
    CXQFTString m_key;
    unsigned m_options;
};
