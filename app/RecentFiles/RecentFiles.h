#pragma once
// The list of recently opened traces, kept in the viewer's preference store (most recent first,
// each path as this system writes it) and mirrored into a menu that is rebuilt each time it is
// shown. Lists written by earlier versions hold '\' in place of every '/': such an entry still
// opens, and a new open of its file replaces it.
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
    // The entries as stored.
    QStringList Files() const;
    const CXQFTString& Key() const { return m_key; }

    // The file an entry names: the entry itself, or for an entry of the old '\' form whose file
    // is not there under that name, the entry with '/' back.
    static QString PathOf(const QString& entry);
    // The menu text of an entry: "%1 %2" cut to 45 characters with "..." after the first separator.
    static QString ShortText(const QString& text, QChar separator = QLatin1Char('\\'));

Q_SIGNALS:
    void triggered(QString path);

public Q_SLOTS:
    void refresh();
    void clear();
    void addFile(QString path);
    // Drops the entry of path (either form); nothing when there is none.
    void removeFile(QString path);
    void fileSelected();

private:
    void Store(const QStringList& files);

    unsigned m_maxEntries;
    CXQFPreferences* m_store;
    CXQFTString m_key;
    unsigned m_options;
};
