// host-lib-probe ACTION [egl=NAME] [es1=NAME] [es2=NAME]: builds host tables from the library names
// given (a table is process-wide, so each case runs in a process of its own) and prints what it got.
//   es1 | es2 | egl   the table's Instance: "table loaded=L failed=F entries=N" or "threw TEXT"
//   twice            SEs1Host::Instance twice: "same=1"
//   getproc NAME     SHostLib of the es2 name: GetProc(NAME), then GetProc("glClear"), the flag each time
//   analyse TRACE    the facade over TRACE, frame 2 as the dock renders it: "result=R" of the pass,
//                    or "threw TEXT" for what escaped the frame's restore
//   es1-play         a recorded ES 1.1 glFinish played: "played=R"
#include "CallQueries.h"
#include "Playback.h"
#include "PlaybackInterface.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "host/HostTables.h"
#include "record/Trace.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
template <class Table>
void Print(const Table* t)
{
    if (!t) {
        printf("table null\n");
        return;
    }
    printf("table loaded=%d failed=%d entries=%u\n", t->IsLoaded() ? 1 : 0, t->IsFailed(), t->ResolvedCount());
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string action = argv[1];
    HostLibSettings& names = HostLibSettings::Instance();
    std::string procName;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("egl=", 0) == 0)
            names.eglName = a.substr(4).c_str();
        else if (a.rfind("es1=", 0) == 0)
            names.es1Name = a.substr(4).c_str();
        else if (a.rfind("es2=", 0) == 0)
            names.es2Name = a.substr(4).c_str();
        else
            procName = a;
    }
    fflush(stdout);
    try {
        if (action == "egl")
            Print(SEglHost::Instance());
        else if (action == "es1")
            Print(SEs1Host::Instance());
        else if (action == "es2")
            Print(SEs2Host::Instance());
        else if (action == "es1-play") {
            const int8_t sizes[32] = {};
            CTrace trace(11, 1, sizes, 32);
            STraceCall call(1, std::unique_ptr<CApiCall>(CreateCallById(CallIdOf(ECallFamily::Es1, "glFinish"), &trace)),
                            0);
            CPlayback playback;
            printf("played=%d\n", playback.PlayCall(&call, 1));
        } else if (action == "twice")
            printf("same=%d\n", SEs1Host::Instance() == SEs1Host::Instance() ? 1 : 0);
        else if (action == "getproc") {
            SHostLib lib(names.es2Name);
            void* missing = lib.GetProc(procName.c_str());
            printf("missing=%s failed=%d\n", missing ? "set" : "null", lib.IsFailed());
            void* present = lib.GetProc("glClear");
            printf("present=%s failed=%d\n", present ? "set" : "null", lib.IsFailed());
            lib.FreeModule();
            lib.FreeModule();
            printf("loaded=%d\n", lib.IsLoaded() ? 1 : 0);
        } else if (action == "analyse") {
            CTraceReader::Instance().LoadTrace(CXQFTString(procName.c_str()), 1);
            CAnalysisInterface analysis;
            analysis.SetTraceForAnalysis(CTraceReader::Instance().GetTraceData());
            printf("bound=%d\n", analysis.GoToFrame(2, 1) ? 1 : 0);
            fflush(stdout);
            try {
                analysis.SetRange(1, 1, 1);
            } catch (const CXqftError& e) {
                printf("threw %s\n", e.what());
            }
            printf("result=%d\n", analysis.Analyse(0));
        } else
            return 2;
    } catch (const CXqftError& e) {
        printf("threw %s\n", e.what());
    }
    return 0;
}
