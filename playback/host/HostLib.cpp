#include "HostLib.h"

#include "Diagnostics.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

HostLibSettings& HostLibSettings::Instance()
{
    static HostLibSettings* settings = [] {
        // Mesa renders in software unless the environment chose a driver: replays then give the
        // same pixels on every machine.
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        return new HostLibSettings;  // lives to the end of the process
    }();
    return *settings;
}

SHostLib::SHostLib(CXQFTString name)
{
    const std::string full = name.CStr() ? name.CStr() : "";
    m_module = full.empty() ? nullptr : dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module && full.size() > 1)
        m_module = dlopen(full.substr(0, full.size() - 1).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_module) {
        PlaybackLine("Host Library Loaded: %s", full.c_str());
    } else {
        m_failed = true;
    }
}

SHostLib::~SHostLib() { FreeModule(); }

void* SHostLib::GetProc(const char* name)
{
    void* proc = m_module && name ? dlsym(m_module, name) : nullptr;
    if (!proc) {
        m_failed = true;
        PlaybackLine("Error loading library %s", name ? name : "");
    }
    return proc;
}

void* SHostLib::FindProc(const char* name) const { return m_module && name ? dlsym(m_module, name) : nullptr; }

void SHostLib::FreeModule()
{
    if (m_module)
        dlclose(m_module);
    m_module = nullptr;
}
