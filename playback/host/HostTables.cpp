#include "HostTables.h"

#include "Diagnostics.h"
#include "WireframeSwitch.h"
#include "windows/EglAdapters.h"

#include <cstdio>
#include <memory>

namespace {

// Steps shared by the three constructors: every name of the list in slot order; on failure the
// library is freed and the table's message printed. Freeing leaves every slot empty, so nothing
// of a failed table points into an unloaded library (its calls reach the empty-slot stub).
template <class Table>
void ResolveAll(Table& table, const char* failureMessage)
{
    for (uint16_t i = 0; i < Table::kCount; ++i)
        table.entries[i] = table.GetProc(Table::kNames[i]);
    if (table.IsFailed()) {
        table.FreeModule();
        for (void*& e : table.entries)
            e = nullptr;
        PlaybackLine("%s", failureMessage);
    }
}

} // namespace

SEglHost::SEglHost() : SHostLib(HostLibSettings::Instance().eglName)
{
    ResolveAll(*this, "XQFTrace EGL - ERROR: failed to load entry points from host library\n"
                      "Please check library paths in xqftrace.cfg\n");
    if (IsFailed()) {
        PlaybackLine("\nXQFTrace - aborting\n");
        return;
    }
    InstallEglAdapters(*this);
}

SEglHost* SEglHost::Instance()
{
    static SEglHost* table = new SEglHost;  // used until the process ends
    return table;
}

SEs1Host::SEs1Host() : SHostLib(HostLibSettings::Instance().es1Name)
{
    if (!IsLoaded())
        return;
    ResolveAll(*this, "XQFTrace ES1 - ERROR: failed to load entry points from host library\n"
                      "Please check library paths in xqftrace.cfg\n");
    if (!IsFailed())
        InstallWireframeSwitch(*this);  // ES 1.1 draws follow our switch too
}

SEs1Host* SEs1Host::Instance()
{
    static std::unique_ptr<SEs1Host> table(new SEs1Host);
    if (!table) {
        PlaybackLine("Error refering empty TraceScopedPtr");
        return nullptr;
    }
    if (table->IsFailed()) {
        PlaybackLine("Could not load Host library OGLES1. Please check library paths in xqftrace.cfg if you are not "
                     "using Extensions.Ignored..");
    }
    return table.get();
}

SEs2Host::SEs2Host() : SHostLib(HostLibSettings::Instance().es2Name)
{
    ResolveAll(*this, "XQFTrace ES2 - ERROR: failed to load entry points from host library\n"
                      "Please check library paths in xqftrace.cfg\n");
    // The switch is optional, and ours takes its place: a library without one is no error (a
    // wireframe pass without any switch says so, see WireframeSwitchMissing).
    Mirbex_ToggleWireframe = reinterpret_cast<void (*)(uint8_t)>(FindProc("Mirbex_ToggleWireframe"));
    if (!Mirbex_ToggleWireframe && !IsFailed())
        InstallWireframeSwitch(*this);
}

SEs2Host* SEs2Host::Instance()
{
    static std::unique_ptr<SEs2Host> table(new SEs2Host);
    if (!table) {
        PlaybackLine("Error refering empty TraceScopedPtr");
        return nullptr;
    }
    if (table->IsFailed()) {
        PlaybackLine("Could not load Host library OGLES2. Please check library paths in xqftrace.cfg");
        throw CXqftError("Missing Mirbex Libraries");
    }
    return table.get();
}
