#pragma once
// One host library opened by file name and its entry points resolved by name, and the three file
// names the host tables open. The names carry no path, so the dynamic loader's search order decides
// which file is loaded.
#include "XQFTString.h"

#include <cstdint>

struct HostLibSettings
{
    CXQFTString eglName{"libEGL.so.1"};
    CXQFTString es1Name{"libGLESv1_CM.so.1"};
    CXQFTString es2Name{"libGLESv2.so.2"};

    // Made on first use by whichever host table is built first, never destroyed. A test may set
    // other names before any table is built (its own process only).
    static HostLibSettings& Instance();
};

struct SHostLib
{
    // Opens the library (RTLD_NOW | RTLD_LOCAL), once more under the name less its last character
    // when that fails; prints "Host Library Loaded: NAME" (the name given) on success, sets the
    // failed flag otherwise.
    explicit SHostLib(CXQFTString name);
    virtual ~SHostLib();
    SHostLib(const SHostLib&) = delete;
    SHostLib& operator=(const SHostLib&) = delete;

    // The entry point called name, or null: a null result sets the failed flag (it is never
    // cleared) and prints "Error loading library NAME" with the entry point's name.
    void* GetProc(const char* name);
    // The entry point without a report and without touching the failed flag (optional exports).
    void* FindProc(const char* name) const;
    // Closes the library; the failed flag keeps its value. Harmless twice.
    void FreeModule();
    bool IsFailed() const { return m_failed; }
    bool IsLoaded() const { return m_module != nullptr; }

protected:
    void* m_module = nullptr;
    bool m_failed = false;
};
