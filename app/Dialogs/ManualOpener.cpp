#include "ManualOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "Common/XQFPreferences/XQFPreferences.h"
#include "TraceController.h"
#include "UserPrompts.h"

namespace {
QString Local(const CXQFTString& s)
{
    return QString::fromLocal8Bit(s.CStr(), qsizetype(s.Length()));
}

CXQFTString Bytes(const QString& s)
{
    const QByteArray bytes = s.toLocal8Bit();
    return CXQFTString(bytes.constData(), size_t(bytes.size()));
}
} // namespace

CManualOpener::CManualOpener(QWidget* parent, CXQFPreferences* preferences, const CXQFTString& fileName,
                             const CXQFTString& directory, const CXQFTString& keyName)
    : m_parent(parent),
      m_preferences(preferences),
      m_fileName(fileName),
      m_directory(directory),
      m_key(CXQFTString("OpenDocs/") + keyName)
{
}

bool CManualOpener::OpenDocument(const QString& path)
{
    const QFileInfo file(path);
    return file.isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

bool CManualOpener::TryOpen(const QString& path)
{
    if (path.isEmpty() || !OpenDocument(path))
        return false;
    m_result = Bytes(path);
    return true;
}

bool CManualOpener::Open()
{
    CXQFTString stored;
    if (m_preferences)
        m_preferences->GetString(m_key, &stored);
    if (!stored.IsEmpty() && TryOpen(Local(stored)))
        return true;
    if (TryOpen(Local(m_fileName)) || TryOpen(Local(m_directory + m_fileName)))
        return true;

    CUserPrompts& prompts = CTraceController::Instance()->Prompts();
    const QString text = "Please locate the file: " + Local(m_fileName) + "\n";
    QString title = "Documentation File Not Found";
    for (;;) {
        if (prompts.Warning(m_parent, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) !=
            QMessageBox::Ok)
            return false;
        const QString chosen =
            prompts.OpenFileNameIn("Open Source File", Local(m_directory), "Portable Document Format (*.pdf)");
        if (chosen.isEmpty())
            return false;
        const QString absolute = QFileInfo(chosen).absoluteFilePath();
        if (TryOpen(absolute)) {
            if (m_preferences) {
                m_preferences->SetString(m_key, m_result);
                m_preferences->Save(false);
            }
            return true;
        }
        title = "File Open Failed";
    }
}
