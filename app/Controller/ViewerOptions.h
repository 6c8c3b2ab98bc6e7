#pragma once
// The viewer's options: what the preferences dialog and the remote-control dialog edit, what
// the search, the shader viewer and the image-analysis dock read. The controller holds one set,
// loads it from its preference store at start and saves it there at exit; in between the
// options change only in memory, through the setters, and each setter that changes a value
// emits SIGOptionsChanged.
#include <QObject>
#include <QString>

#include "XQFTArray.h"
#include "XQFTString.h"

class CXQFPreferences;

class CViewerOptions : public QObject
{
    Q_OBJECT
public:
    // The stored list of capture addresses is cut to this many at save.
    static constexpr uint32_t kMaxStoredAddresses = 5;

    CViewerOptions();

    // The external shader compiler the shader viewer runs; empty: none.
    QString ShaderCompilerPath() const { return m_shaderCompilerPath; }
    void SetShaderCompilerPath(const QString& path);
    // The image-analysis dock replays frames only while this is on.
    bool ImageAnalysisEnabled() const { return m_imageAnalysisEnabled; }
    void SetImageAnalysisEnabled(bool on);
    // "Save Frames/Calls line numbers" of the preferences dialog.
    bool ExportIDCalls() const { return m_exportIDCalls; }
    void SetExportIDCalls(bool on);
    // Carried through load and save; the updater keeps its own switch.
    bool CheckForUpdates() const { return m_checkForUpdates; }
    void SetCheckForUpdates(bool on);
    // The most results a search lists.
    int MaxSearchItems() const { return m_maxSearchItems; }
    void SetMaxSearchItems(int count);
    // Where the remote-control dialog writes a capture.
    const CXQFTString& CaptureOutputPath() const { return m_captureOutputPath; }
    void SetCaptureOutputPath(const CXQFTString& path);
    // The device addresses last connected to, most recent first.
    const CXQFTArray<CXQFTString>& RecentAddresses() const { return m_recentAddresses; }
    void SetRecentAddresses(const CXQFTArray<CXQFTString>& addresses);

    // Reads the options' keys from the store; a key that is missing or of another type leaves
    // its option as it is.
    void Load(CXQFPreferences& store);
    // Writes the options' keys (the address list cut to kMaxStoredAddresses, here too) and saves
    // the store when something changed.
    void Save(CXQFPreferences& store);
    // Every option back to its default, as at program start.
    void Reset();

    // networkTrace.xqft in the system's temporary folder: where a capture goes until one is chosen.
    static CXQFTString DefaultCaptureOutputPath();

Q_SIGNALS:
    void SIGOptionsChanged();

private:
    // Assigns and emits SIGOptionsChanged when the value differs.
    template <typename T> void Change(T& option, const T& value);

    QString m_shaderCompilerPath;
    bool m_imageAnalysisEnabled = true;
    bool m_exportIDCalls = true;
    bool m_checkForUpdates = true;
    int m_maxSearchItems = 100;
    CXQFTString m_captureOutputPath;
    CXQFTArray<CXQFTString> m_recentAddresses;
};
