// host: the host libraries and what playback finds in them, one item per line:
//   backend=headless|x11
//   table=EGL|ES1|ES2 library=NAME loaded=0|1 entry_points=N/TOTAL failed=0|1
//   wireframe=library|ours|null   (the library's switch, ours in place of a missing one)
// then, for ES 2.0 and ES 1.1 in turn, on a context made through the tables:
//   API context=ok | API context=failed REASON
//   API GL_EXTENSIONS=TEXT
//   API extension=NAME listed=0|1 SLOT=set|null ...   (one line per probed extension of the API)
#include "DumpCommand.h"

#include "host/HostContext.h"
#include "host/HostExtensions.h"
#include "host/HostTables.h"
#include "host/WireframeSwitch.h"

#include <cstdio>
#include <string>

namespace {
using GetStringFn = const unsigned char* (*)(uint32_t);
constexpr uint32_t kGlExtensions = 0x1F03;

template <class Table>
void PrintTable(const char* name, const Table& table, const CXQFTString& library)
{
    printf("table=%s library=%s loaded=%d entry_points=%u/%u failed=%d\n", name, library.CStr(),
           table.IsLoaded() ? 1 : 0, table.ResolvedCount(), unsigned(Table::kCount), table.IsFailed());
}

void PrintApi(uint8_t api, SNativeWindowFuncs& windows, void* getString, const SHostExtensionSlots& slots)
{
    const char* apiName = api == kEsVersion1 ? "ES1" : "ES2";
    SHostContext context;
    // Each API gets a recorded display and window of its own.
    if (!context.Make(api, windows, 0x100 + api, SEglSurfaceWindow{0x200u + api, 64, 64})) {
        printf("%s context=failed %s\n", apiName, context.error.c_str());
        return;
    }
    printf("%s context=ok\n", apiName);
    LoadHostExtensions(&api);
    const char* extensions =
        getString ? reinterpret_cast<const char*>(reinterpret_cast<GetStringFn>(getString)(kGlExtensions)) : nullptr;
    printf("%s GL_EXTENSIONS=%s\n", apiName, extensions ? extensions : "(null)");
    for (const SExtensionProbe& row : ExtensionProbes()) {
        if (row.api != api)
            continue;
        printf("%s extension=%s listed=%d", apiName, row.extension, HasExtension(extensions, row.extension) ? 1 : 0);
        for (const SExtensionProbe::SSlot& slot : row.slots)
            printf(" %s=%s", slot.name, slots.*slot.member ? "set" : "null");
        printf("\n");
    }
    context.Release();
}

int Run(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        fprintf(stderr, "usage: xqft-dump host\n");
        return kDumpUsage;
    }
    SEglHost* egl = SEglHost::Instance();
    SEs1Host* es1 = SEs1Host::Instance();
    SEs2Host* es2 = nullptr;
    try {
        es2 = SEs2Host::Instance();
    } catch (const CXqftError& e) {
        printf("ES2 table: %s\n", e.what());
    }
    const HostLibSettings& names = HostLibSettings::Instance();
    printf("backend=%s\n", WindowBackEndName(ActiveWindowBackEnd()));
    PrintTable("EGL", *egl, names.eglName);
    PrintTable("ES1", *es1, names.es1Name);
    if (es2)
        PrintTable("ES2", *es2, names.es2Name);
    // The library's own switch, ours in place of a missing one, or none (a failed table).
    printf("wireframe=%s\n", !es2 || !es2->Mirbex_ToggleWireframe                 ? "null"
                             : es2->Mirbex_ToggleWireframe == &ToggleOurWireframe ? "ours"
                                                                                  : "library");
    if (egl->IsFailed() || !es2)
        return kDumpUsage;
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    PrintApi(kEsVersion2, windows, XQF_HOST_SLOT(*es2, glGetString), es2->ext);
    if (!es1->IsFailed())
        PrintApi(kEsVersion1, windows, XQF_HOST_SLOT(*es1, glGetString), es1->ext);
    return kDumpOk;
}
} // namespace

XQFT_DUMP_COMMAND("host", "", Run);
