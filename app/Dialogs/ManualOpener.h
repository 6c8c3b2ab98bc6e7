#pragma once
// Opens the user manual for one request: the path found earlier (kept in the preference store
// under "OpenDocs/<key name>"), else the file name in the working directory, else in the given
// folder; when none opens, the user is asked to locate the file until one opens or they give up,
// and a located file is kept for the next request.
#include <QString>

#include "XQFTString.h"

class CXQFPreferences;
class QWidget;

class CManualOpener
{
public:
    CManualOpener(QWidget* parent, CXQFPreferences* preferences, const CXQFTString& fileName,
                  const CXQFTString& directory, const CXQFTString& keyName);

    // True when a document opened.
    bool Open();
    // The path that opened, empty when none did.
    const CXQFTString& Result() const { return m_result; }

    // A document opens only when its file exists and the desktop accepted it (the desktop's
    // opener reports success for a missing file too).
    static bool OpenDocument(const QString& path);

private:
    bool TryOpen(const QString& path);

    CXQFTString m_result;
    QWidget* m_parent;
    CXQFPreferences* m_preferences;
    CXQFTString m_fileName;
    CXQFTString m_directory;
    CXQFTString m_key;
};
