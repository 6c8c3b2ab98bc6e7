#include "RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "Common/XQFPreferences/XQFPreferences.h"
#include "XQFTArray.h"

namespace {
const char kSeparatorName[] = "TheRecentFileSeparator";
const char kPathProperty[] = "ARecentFile";

// Earlier versions stored every '/' as '\'.
QString OldForm(const QString& path)
{
    return QString(path).replace('/', '\\');
}

QString Shown(const QString& entry)
{
    return QDir::toNativeSeparators(CRecentFiles::PathOf(entry));
}

QString EntryText(int position, const QString& entry)
{
    return CRecentFiles::ShortText(QString("%1 %2").arg(position).arg(Shown(entry)), QDir::separator());
}
} // namespace

CRecentFiles::CRecentFiles(CXQFPreferences* store, unsigned options, const CXQFTString& prefix,
                           unsigned maxEntries)
    : m_maxEntries(maxEntries), m_store(store),
      m_key(prefix.IsEmpty() ? CXQFTString("Recent files") : prefix + "/" + "Recent files"),
      m_options(options)
{
}

QStringList CRecentFiles::Files() const
{
    QStringList files;
    if (!m_store)
        return files;
    CXQFTArray<CXQFTString> stored;
    m_store->GetStringArray(m_key, &stored);
    for (uint32_t i = 0; i < stored.size; ++i)
        files << QString::fromUtf8(stored.data[i].CStr(), qsizetype(stored.data[i].Length()));
    return files;
}

void CRecentFiles::Store(const QStringList& files)
{
    if (!m_store)
        return;
    CXQFTArray<CXQFTString> stored;
    for (const QString& f : files) {
        const QByteArray bytes = f.toUtf8();
        stored.Append(CXQFTString(bytes.constData(), size_t(bytes.size())));
    }
    m_store->SetStringArray(m_key, stored);
    m_store->Save(false);
}

QString CRecentFiles::PathOf(const QString& entry)
{
    // A '\' is an ordinary character of a name here: only an entry without any '/' that names
    // no file as it stands is read as the old form.
    if (!entry.startsWith('\\') || entry.contains('/') || QFileInfo::exists(entry))
        return entry;
    return QString(entry).replace('\\', '/');
}

void CRecentFiles::addFile(QString path)
{
    if ((m_options & kDropMissingFiles) && !QFileInfo::exists(path))
        return;
    // Stored as UTF-8 and as given, so names outside ASCII and names holding '\' come back
    // unchanged; an entry of the old form for the same file goes too.
    QStringList files = Files();
    files.removeAll(path);
    if (path.startsWith('/'))
        files.removeAll(OldForm(path));
    files.prepend(path);
    while (unsigned(files.size()) > m_maxEntries)
        files.removeLast();
    Store(files);
}

void CRecentFiles::removeFile(QString path)
{
    QStringList files = Files();
    const qsizetype before = files.size();
    files.removeIf([&](const QString& entry) { return entry == path || PathOf(entry) == path; });
    if (files.size() != before)
        Store(files);
}

void CRecentFiles::clear()
{
    Store(QStringList());
}

void CRecentFiles::fileSelected()
{
    QObject* from = sender();
    if (!from)
        return;
    const QVariant path = from->property(kPathProperty);
    if (path.isValid())
        Q_EMIT triggered(PathOf(path.toString()));
}

void CRecentFiles::Install(QMenu* menu)
{
    QAction* separator = menu->addSeparator();
    separator->setObjectName(kSeparatorName);
    QAction* clearAction = menu->addAction("Clear recent files");
    connect(clearAction, &QAction::triggered, this, &CRecentFiles::clear);
    connect(clearAction, &QAction::triggered, this, &CRecentFiles::refresh);
    connect(menu, &QMenu::aboutToShow, this, &CRecentFiles::refresh);
    Rebuild(menu);
}

void CRecentFiles::refresh()
{
    QObject* from = sender();
    if (QAction* action = qobject_cast<QAction*>(from))
        from = action->parent();
    if (QMenu* menu = qobject_cast<QMenu*>(from))
        Rebuild(menu);
}

void CRecentFiles::Rebuild(QMenu* menu)
{
    QStringList files = Files();
    QAction* separator = menu->findChild<QAction*>(kSeparatorName, Qt::FindDirectChildrenOnly);
    if (!separator) {
        for (QAction* a : menu->actions())
            if (a->objectName() == kSeparatorName)
                separator = a;
    }
    if (!separator)
        return;

    bool changed = false;
    int next = 0;
    QList<QAction*> leftover;
    for (QAction* action : menu->actions()) {
        if (!action->property(kPathProperty).isValid())
            continue;
        if (next >= files.size()) {
            leftover << action;
            continue;
        }
        const QString& path = files[next];
        if ((m_options & kDropMissingFiles) && !QFileInfo::exists(PathOf(path))) {
            files.removeAt(next);
            leftover << action;
            changed = true;
            continue;
        }
        if (action->property(kPathProperty).toString() != path || action->text() != EntryText(next + 1, path)) {
            action->setText(EntryText(next + 1, path));
            action->setProperty(kPathProperty, path);
            action->setToolTip(Shown(path));
        }
        ++next;
    }
    for (; next < files.size(); ++next) {
        const QString& path = files[next];
        auto* action = new QAction(EntryText(next + 1, path), this);
        action->setToolTip(Shown(path));
        action->setProperty(kPathProperty, path);
        connect(action, &QAction::triggered, this, &CRecentFiles::fileSelected);
        menu->insertAction(separator, action);
    }
    for (QAction* action : leftover) {
        menu->removeAction(action);
        if (action->parent() == this)
            action->deleteLater();
    }
    if (changed)
        Store(files);
}

QString CRecentFiles::ShortText(const QString& text, QChar separator)
{
    const int length = int(text.size());
    if (length <= 45)
        return text;
    const int cut = length - 45;
    const int first = int(text.indexOf(separator));
    const int i = first;                       // -1 without any separator: the cut starts at 0
    const int j = first >= 0 ? int(text.indexOf(separator, i + 1 + cut)) : -1;
    QString shortened = text;
    if (j >= 0)
        shortened.replace(i + 1, j - (i + 1), "...");
    else
        shortened.replace(i + 1, cut, "...");
    return shortened;
}
