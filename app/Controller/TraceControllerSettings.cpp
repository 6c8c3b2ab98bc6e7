// Viewer settings of the controller: options, main-window layout and the emulation library's
// profile, all kept in preference stores.
#include "TraceController.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMainWindow>

#include <cstdlib>

#include "Common/XQFPreferences/XQFPreferences.h"

namespace {
const char kEmulatorStore[] = "XQFMirbex";

QByteArray ReadData(CXQFPreferences& store, const char* key)
{
    void* data = nullptr;
    u32 size = 0;
    store.GetData(CXQFTString(key), &data, &size);
    QByteArray bytes;
    if (data) {
        bytes = QByteArray(static_cast<const char*>(data), int(size));
        std::free(data);
    }
    return bytes;
}
} // namespace

void CTraceController::LoadOptions()
{
    if (m_preferences)
        m_options.Load(*m_preferences);
}

void CTraceController::SaveOptions()
{
    if (m_preferences)
        m_options.Save(*m_preferences);
}

void CTraceController::RestoreWindowState()
{
    if (!m_preferences || !m_mainWindow)
        return;
    const QByteArray state = ReadData(*m_preferences, "State");
    const QByteArray geometry = ReadData(*m_preferences, "Geometry");
    if (!state.isEmpty())
        m_mainWindow->restoreState(state, 0);
    if (!geometry.isEmpty())
        m_mainWindow->restoreGeometry(geometry);
}

void CTraceController::SaveWindowState()
{
    if (!m_preferences || !m_mainWindow)
        return;
    const QByteArray state = m_mainWindow->saveState(0);
    const QByteArray geometry = m_mainWindow->saveGeometry();
    m_preferences->SetData(CXQFTString("State"), state.constData(), u32(state.size()));
    m_preferences->SetData(CXQFTString("Geometry"), geometry.constData(), u32(geometry.size()));
    m_preferences->Save(false);
}

void CTraceController::ForceEmulatorProfile()
{
    m_emulatorPreferences = std::make_unique<CXQFPreferences>(CXQFTString(kEmulatorStore), 0);
    // The store creates a missing file when it loads; a store that was not there before counts
    // as one that did not load, so the profile found is 1 and 1 is what comes back at exit.
    CXQFTString file;
    const bool existed = m_emulatorPreferences->GetFilePath(&file) &&
                         QFileInfo::exists(QString::fromLocal8Bit(file.CStr()));
    CXQFTString error;
    if (m_emulatorPreferences->Load(error, true) && existed)
        m_emulatorPreferences->GetInteger(CXQFTString("profile"), &m_savedProfile);
    else
        m_savedProfile = 1;
    m_emulatorPreferences->SetInteger(CXQFTString("profile"), 1);
    m_emulatorPreferences->Save(true);
}

void CTraceController::RestoreEmulatorProfile()
{
    if (!m_emulatorPreferences)
        return;
    m_emulatorPreferences->SetInteger(CXQFTString("profile"), m_savedProfile);
    m_emulatorPreferences->Save(true);
    m_emulatorPreferences.reset();
}
