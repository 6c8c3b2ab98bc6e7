#pragma once
// The viewer's options: what the preferences dialog and the remote-control dialog edit, what
// the search, the shader viewer and the image-analysis dock read. The controller holds one set,
// loads it from its preference store at start and saves it there at exit; in between the
// options change only in memory, through the setters, and each setter that changes a value
// emits SIGOptionsChanged. Several viewers share one store: a save writes only the options this
// set changed since its load, so another viewer's change to another option stays.
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

    // The external shader compiler the shader viewer runs; the shipped checker while none is set.
    QString ShaderCompilerPath() const;
    void SetShaderCompilerPath(const QString& path);
    // The image-analysis dock replays frames only while this is on.
    bool ImageAnalysisEnabled() const { return m_values.imageAnalysisEnabled; }
    void SetImageAnalysisEnabled(bool on);
    // "Save Frames/Calls line numbers" of the preferences dialog.
    bool ExportIDCalls() const { return m_values.exportIDCalls; }
    void SetExportIDCalls(bool on);
    // Carried through load and save; the updater keeps its own switch.
    bool CheckForUpdates() const { return m_values.checkForUpdates; }
    void SetCheckForUpdates(bool on);
    // The most results a search lists.
    int MaxSearchItems() const { return m_values.maxSearchItems; }
    void SetMaxSearchItems(int count);
    // Where the remote-control dialog writes a capture.
    const CXQFTString& CaptureOutputPath() const { return m_values.captureOutputPath; }
    void SetCaptureOutputPath(const CXQFTString& path);
    // The device addresses last connected to, most recent first.
    const CXQFTArray<CXQFTString>& RecentAddresses() const { return m_values.recentAddresses; }
    void SetRecentAddresses(const CXQFTArray<CXQFTString>& addresses);

    // Reads the options' keys from the store; a key that is missing or of another type leaves
    // its option as it is and is written with that value (the store is saved at once). What it
    // read is what later saves compare with.
    void Load(CXQFPreferences& store);
    // Writes the keys of the options that changed since the load or the last save (the address
    // list cut to kMaxStoredAddresses, here too) and saves the store when something changed.
    void Save(CXQFPreferences& store);
    // Every option back to its default, as at program start.
    void Reset();

    // networkTrace.xqft in the system's temporary folder: where a capture goes until one is chosen.
    static CXQFTString DefaultCaptureOutputPath();
    // xqf-glsl-check beside the executables; empty without an application object.
    static QString DefaultShaderCompilerPath();

Q_SIGNALS:
    void SIGOptionsChanged();

private:
    // Assigns and emits SIGOptionsChanged when the value differs.
    template <typename T> void Change(T& option, const T& value);

    struct SValues
    {
        QString shaderCompilerPath;   // empty: none set
        bool imageAnalysisEnabled = true;
        bool exportIDCalls = true;
        bool checkForUpdates = true;
        int maxSearchItems = 100;
        CXQFTString captureOutputPath;   // set to the default by the constructor
        CXQFTArray<CXQFTString> recentAddresses;
    };
    SValues m_values;
    // The options as the store holds them, as far as this set knows: as loaded or last saved.
    SValues m_stored;
};
