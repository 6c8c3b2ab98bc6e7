#include "ViewerOptions.h"

#include <QByteArray>
#include <QCoreApplication>
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

CXQFTString Latin1(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    return CXQFTString(latin.constData(), size_t(latin.size()));
}
} // namespace

CViewerOptions::CViewerOptions()
{
    m_values.captureOutputPath = DefaultCaptureOutputPath();
    m_stored = m_values;
}

CXQFTString CViewerOptions::DefaultCaptureOutputPath()
{
    const QByteArray path = (QDir::tempPath() + "/networkTrace.xqft").toLatin1();
    return CXQFTString(path.constData(), size_t(path.size()));
}

QString CViewerOptions::DefaultShaderCompilerPath()
{
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::applicationDirPath() + "/xqf-glsl-check";
}

QString CViewerOptions::ShaderCompilerPath() const
{
    return m_values.shaderCompilerPath.isEmpty() ? DefaultShaderCompilerPath() : m_values.shaderCompilerPath;
}

template <typename T> void CViewerOptions::Change(T& option, const T& value)
{
    if (Same(option, value))
        return;
    option = value;
    Q_EMIT SIGOptionsChanged();
}

void CViewerOptions::SetShaderCompilerPath(const QString& path)
{
    // The shipped checker is what "none set" means: choosing it stores nothing of its own, so the
    // default follows the installation.
    Change(m_values.shaderCompilerPath, path == DefaultShaderCompilerPath() ? QString() : path);
}
void CViewerOptions::SetImageAnalysisEnabled(bool on) { Change(m_values.imageAnalysisEnabled, on); }
void CViewerOptions::SetExportIDCalls(bool on) { Change(m_values.exportIDCalls, on); }
void CViewerOptions::SetCheckForUpdates(bool on) { Change(m_values.checkForUpdates, on); }
void CViewerOptions::SetMaxSearchItems(int count) { Change(m_values.maxSearchItems, count); }
void CViewerOptions::SetCaptureOutputPath(const CXQFTString& path) { Change(m_values.captureOutputPath, path); }

void CViewerOptions::SetRecentAddresses(const CXQFTArray<CXQFTString>& addresses)
{
    Change(m_values.recentAddresses, addresses);
}

void CViewerOptions::Load(CXQFPreferences& store)
{
    // Each getter leaves its starting value when the key is missing or of another type.
    bool exportIDCalls = m_values.exportIDCalls;
    bool imageAnalysis = m_values.imageAnalysisEnabled;
    bool checkUpdates = m_values.checkForUpdates;
    uint32_t maxItems = uint32_t(m_values.maxSearchItems);
    CXQFTString compiler = Latin1(m_values.shaderCompilerPath);
    CXQFTString captureOutput = m_values.captureOutputPath;
    CXQFTArray<CXQFTString> addresses = m_values.recentAddresses;
    const bool found[] = {
        store.GetBool(CXQFTString(kExportIDCalls), &exportIDCalls) == CXQFPreferences::kDone,
        store.GetBool(CXQFTString(kImageAnalysis), &imageAnalysis) == CXQFPreferences::kDone,
        store.GetBool(CXQFTString(kCheckUpdates), &checkUpdates) == CXQFPreferences::kDone,
        store.GetInteger(CXQFTString(kMaxSearchItems), &maxItems) == CXQFPreferences::kDone,
        store.GetString(CXQFTString(kShaderCompiler), &compiler) == CXQFPreferences::kDone,
        store.GetString(CXQFTString(kCaptureOutput), &captureOutput) == CXQFPreferences::kDone,
        store.GetStringArray(CXQFTString(kRecentAddresses), &addresses) == CXQFPreferences::kDone,
    };

    SetExportIDCalls(exportIDCalls);
    SetImageAnalysisEnabled(imageAnalysis);
    SetCheckForUpdates(checkUpdates);
    SetMaxSearchItems(int(maxItems));
    SetShaderCompilerPath(QString::fromLatin1(compiler.CStr(), qsizetype(compiler.Length())));
    SetCaptureOutputPath(captureOutput);
    SetRecentAddresses(addresses);

    // Keys that are missing or unreadable get the values in force now, saved at once: written only
    // at exit they would undo what another viewer changed in between.
    bool filled = false;
    auto fill = [&](bool present, auto write) {
        if (!present) {
            write();
            filled = true;
        }
    };
    const SValues& v = m_values;
    fill(found[0], [&] { store.SetBool(CXQFTString(kExportIDCalls), v.exportIDCalls); });
    fill(found[1], [&] { store.SetBool(CXQFTString(kImageAnalysis), v.imageAnalysisEnabled); });
    fill(found[2], [&] { store.SetBool(CXQFTString(kCheckUpdates), v.checkForUpdates); });
    fill(found[3], [&] { store.SetInteger(CXQFTString(kMaxSearchItems), uint32_t(v.maxSearchItems)); });
    fill(found[4], [&] { store.SetString(CXQFTString(kShaderCompiler), Latin1(v.shaderCompilerPath)); });
    fill(found[5], [&] { store.SetString(CXQFTString(kCaptureOutput), v.captureOutputPath); });
    fill(found[6], [&] { store.SetStringArray(CXQFTString(kRecentAddresses), v.recentAddresses); });
    if (filled)
        store.Save(false);
    m_stored = m_values;
}

void CViewerOptions::Save(CXQFPreferences& store)
{
    if (m_values.recentAddresses.size > kMaxStoredAddresses) {
        CXQFTArray<CXQFTString> kept = m_values.recentAddresses;
        while (kept.size > kMaxStoredAddresses)
            kept.Remove(kMaxStoredAddresses);
        SetRecentAddresses(kept);
    }
    // An option this viewer left alone may have been changed by another viewer since the load:
    // writing it back would undo that change.
    const SValues& v = m_values;
    const SValues& s = m_stored;
    if (!Same(v.exportIDCalls, s.exportIDCalls))
        store.SetBool(CXQFTString(kExportIDCalls), v.exportIDCalls);
    if (!Same(v.imageAnalysisEnabled, s.imageAnalysisEnabled))
        store.SetBool(CXQFTString(kImageAnalysis), v.imageAnalysisEnabled);
    if (!Same(v.shaderCompilerPath, s.shaderCompilerPath))
        store.SetString(CXQFTString(kShaderCompiler), Latin1(v.shaderCompilerPath));
    if (!Same(v.checkForUpdates, s.checkForUpdates))
        store.SetBool(CXQFTString(kCheckUpdates), v.checkForUpdates);
    if (!Same(v.maxSearchItems, s.maxSearchItems))
        store.SetInteger(CXQFTString(kMaxSearchItems), uint32_t(v.maxSearchItems));
    if (!Same(v.captureOutputPath, s.captureOutputPath))
        store.SetString(CXQFTString(kCaptureOutput), v.captureOutputPath);
    if (!Same(v.recentAddresses, s.recentAddresses))
        store.SetStringArray(CXQFTString(kRecentAddresses), v.recentAddresses);
    store.Save(false);
    m_stored = m_values;
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
    m_stored = m_values;
}
