#include "ViewerOptions.h"

#include <QByteArray>
#include <QDir>

#include "Common/XQFPreferences/XQFPreferences.h"

namespace {
const char kExportIDCalls[] = "OptGen_exportIDCalls";
const char kImageAnalysis[] = "OptGen_imageAnalysisEnabled";
const char kCheckUpdates[] = "OptGen_generalCheckUpdates";
const char kMaxSearchItems[] = "OptGen_generalMaxSearchItems";
const char kShaderCompiler[] = "OptGen_shaderCompilerPath";
const char kCaptureOutput[] = "OptNet_outPutTrace";
const char kRecentAddresses[] = "OptNet_recentAddress";

bool Same(const QString& a, const QString& b) { return a == b; }
bool Same(bool a, bool b) { return a == b; }
bool Same(int a, int b) { return a == b; }
bool Same(const CXQFTString& a, const CXQFTString& b) { return a == b; }
bool Same(const CXQFTArray<CXQFTString>& a, const CXQFTArray<CXQFTString>& b)
{
    if (a.size != b.size)
        return false;
    for (uint32_t i = 0; i < a.size; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}
} // namespace

CViewerOptions::CViewerOptions() : m_captureOutputPath(DefaultCaptureOutputPath()) {}

CXQFTString CViewerOptions::DefaultCaptureOutputPath()
{
    const QByteArray path = (QDir::tempPath() + "/networkTrace.xqft").toLatin1();
    return CXQFTString(path.constData(), size_t(path.size()));
}

template <typename T> void CViewerOptions::Change(T& option, const T& value)
{
    if (Same(option, value))
        return;
    option = value;
    Q_EMIT SIGOptionsChanged();
}

void CViewerOptions::SetShaderCompilerPath(const QString& path) { Change(m_shaderCompilerPath, path); }
void CViewerOptions::SetImageAnalysisEnabled(bool on) { Change(m_imageAnalysisEnabled, on); }
void CViewerOptions::SetExportIDCalls(bool on) { Change(m_exportIDCalls, on); }
void CViewerOptions::SetCheckForUpdates(bool on) { Change(m_checkForUpdates, on); }
void CViewerOptions::SetMaxSearchItems(int count) { Change(m_maxSearchItems, count); }
void CViewerOptions::SetCaptureOutputPath(const CXQFTString& path) { Change(m_captureOutputPath, path); }

void CViewerOptions::SetRecentAddresses(const CXQFTArray<CXQFTString>& addresses)
{
    Change(m_recentAddresses, addresses);
}

void CViewerOptions::Load(CXQFPreferences& store)
{
    // Each getter leaves its starting value when the key is missing or of another type.
    bool exportIDCalls = m_exportIDCalls;
    bool imageAnalysis = m_imageAnalysisEnabled;
    bool checkUpdates = m_checkForUpdates;
    store.GetBool(CXQFTString(kExportIDCalls), &exportIDCalls);
    store.GetBool(CXQFTString(kImageAnalysis), &imageAnalysis);
    store.GetBool(CXQFTString(kCheckUpdates), &checkUpdates);
    uint32_t maxItems = uint32_t(m_maxSearchItems);
    store.GetInteger(CXQFTString(kMaxSearchItems), &maxItems);
    const QByteArray latin = m_shaderCompilerPath.toLatin1();
    CXQFTString compiler(latin.constData(), size_t(latin.size()));
    store.GetString(CXQFTString(kShaderCompiler), &compiler);
    CXQFTString captureOutput = m_captureOutputPath;
    store.GetString(CXQFTString(kCaptureOutput), &captureOutput);
    CXQFTArray<CXQFTString> addresses = m_recentAddresses;
    store.GetStringArray(CXQFTString(kRecentAddresses), &addresses);

    SetExportIDCalls(exportIDCalls);
    SetImageAnalysisEnabled(imageAnalysis);
    SetCheckForUpdates(checkUpdates);
    SetMaxSearchItems(int(maxItems));
    SetShaderCompilerPath(QString::fromLatin1(compiler.CStr(), qsizetype(compiler.Length())));
    SetCaptureOutputPath(captureOutput);
    SetRecentAddresses(addresses);
}

void CViewerOptions::Save(CXQFPreferences& store)
{
    store.SetBool(CXQFTString(kExportIDCalls), m_exportIDCalls);
    store.SetBool(CXQFTString(kImageAnalysis), m_imageAnalysisEnabled);
    const QByteArray latin = m_shaderCompilerPath.toLatin1();
    store.SetString(CXQFTString(kShaderCompiler), CXQFTString(latin.constData(), size_t(latin.size())));
    store.SetBool(CXQFTString(kCheckUpdates), m_checkForUpdates);
    store.SetInteger(CXQFTString(kMaxSearchItems), uint32_t(m_maxSearchItems));
    store.SetString(CXQFTString(kCaptureOutput), m_captureOutputPath);
    if (m_recentAddresses.size > kMaxStoredAddresses) {
        CXQFTArray<CXQFTString> kept = m_recentAddresses;
        while (kept.size > kMaxStoredAddresses)
            kept.Remove(kMaxStoredAddresses);
        SetRecentAddresses(kept);
    }
    store.SetStringArray(CXQFTString(kRecentAddresses), m_recentAddresses);
    store.Save(false);
}

void CViewerOptions::Reset()
{
    SetShaderCompilerPath(QString());
    SetImageAnalysisEnabled(true);
    SetExportIDCalls(true);
    SetCheckForUpdates(true);
    SetMaxSearchItems(100);
    SetCaptureOutputPath(DefaultCaptureOutputPath());
    SetRecentAddresses(CXQFTArray<CXQFTString>());
}
