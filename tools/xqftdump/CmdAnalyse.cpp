// analyse FILE --frame N OUT.ppm [--budget D] [--range L H] [--option KEY=VALUE] [--increment K]
//         [--skip-call N] [--skip-id ID|NAME]
// Renders frame N through the analysis sequence the image-analysis dock runs (AnalysisSequence.h):
// the trace bound for analysis, the frame selected with the draw budget (default: the frame's draw
// count), the options (the keys of AnalysisOptions.h; --increment K is --option 100=K), the draw
// range (default: the whole frame) and the call filters (--skip-call: a call's number in the trace;
// --skip-id: a call id, or a function name standing for its ids in every family). Writes the
// read-back top row first and prints result= (0 error, 1 stopped by the budget, 2 reached
// eglSwapBuffers, 3 aborted), width= and height=. A trace recorded without data is not played in
// either form: one ERROR line says so, nothing is printed or written, and the exit status is 5.
// analyse FILE --frames N1,N2,... OUTDIR [the same options]
// Runs the frames in the order given on one analysis facade, as the dock does when the frame changes,
// writes OUTDIR/frame-N.ppm for each pass that read an image back and prints "frame=N result=R" for
// each (a frame listed twice is analysed twice), then "kept-frames=F kept-bytes=B": what the images
// kept from rebuilds take at the end (option 102 holds them to M MiB).
// Exit status 0 only when no pass failed as the sequence decides it (result 1 or 2, no ERROR line);
// 5 (kDumpPassFailed) otherwise, once every frame listed had its pass. An option key no option has,
// or a value above the option's largest, is refused with a message (exit 1).
#include "DumpCommand.h"
#include "FramePlayback.h"

#include "AnalysisSequence.h"
#include "PlaybackInterface.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <set>

namespace {

struct SAnalyseArgs
{
    long budget = -1;
    long first = 0, last = 0;  // 0: the whole frame
    SAnalysisOptions options;
    std::set<uint32_t> skipCalls, skipIds;
};

// A number as C writes it, one of 0 to 2^32-1 (what the analysis takes); false for anything else.
bool Number(const std::string& text, long& value)
{
    return ParseNumber(text, 0, UINT32_MAX, value, 0);
}

// Adds the ids of a function name in every family; false for a name no family records, which
// would otherwise filter nothing without a word.
bool IdsOfName(const std::string& name, std::set<uint32_t>& ids)
{
    bool found = false;
    for (const callrows::SFamilyRows& f : callrows::kFamilies)
        for (const SCallRow& r : f.rows)
            if (name == r.function) {
                ids.insert(r.id);
                found = true;
            }
    return found;
}

// Sets an analysis option by its key; false, with the reason and the keys there are on standard
// error, for a key no option has or a value above the option's largest.
bool SetOption(SAnalysisOptions& options, uint32_t key, uint32_t value)
{
    const SAnalysisOptionRow* row = FindAnalysisOption(key);
    if (row && value <= row->largest) {
        row->set(options, value);
        return true;
    }
    if (row)
        fprintf(stderr, "ERROR: analysis option %u (%s) takes 0 to %u, not %u\n", key, row->name, row->largest, value);
    else
        fprintf(stderr, "ERROR: no analysis option has key %u\n", key);
    fprintf(stderr, "analysis options (--option KEY=VALUE):\n");
    for (const SAnalysisOptionRow& r : kAnalysisOptions)
        fprintf(stderr, "  %3u  0..%-3u  %s: %s\n", r.key, r.largest, r.name, r.what);
    return false;
}

// Takes the analysis options out of args; false on a malformed one.
bool TakeOptions(std::vector<std::string>& args, SAnalyseArgs& a)
{
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& w = args[i];
        auto next = [&](long& v) { return i + 1 < args.size() && Number(args[++i], v); };
        long v = 0, v2 = 0;
        if (w == "--budget") {
            if (!next(a.budget) || a.budget < 0)
                return false;
        } else if (w == "--range") {
            if (!next(a.first) || !next(a.last) || a.first < 0 || a.last < 0)
                return false;
        } else if (w == "--option") {
            if (i + 1 >= args.size())
                return false;
            const std::string o = args[++i];
            const size_t eq = o.find('=');
            if (eq == std::string::npos || !Number(o.substr(0, eq), v) || !Number(o.substr(eq + 1), v2))
                return false;
            if (!SetOption(a.options, uint32_t(v), uint32_t(v2)))
                return false;
        } else if (w == "--increment") {
            if (!next(v) || !SetOption(a.options, kValueComplexityIncrement, uint32_t(v)))
                return false;
        } else if (w == "--skip-call") {
            if (!next(v) || v < 1)
                return false;
            a.skipCalls.insert(uint32_t(v));
        } else if (w == "--skip-id") {
            if (i + 1 >= args.size())
                return false;
            const std::string id = args[++i];
            if (Number(id, v))
                a.skipIds.insert(uint32_t(v));
            else if (!IdsOfName(id, a.skipIds))
                return false;
        } else {
            rest.push_back(w);
        }
    }
    args = rest;
    return true;
}

// The number of draw calls of frame n.
uint32_t DrawCount(CTraceData& data, uint32_t n)
{
    const STraceFrame* f = data.GetFrame(n);
    if (!f || f->endCall == STraceFrame::kOpenEnd)
        return 0;
    uint32_t draws = 0;
    for (uint32_t c = f->firstCall + 1; c <= f->endCall; ++c)
        if (STraceCall* call = data.GetCall(c))
            draws += IsDrawCall(uint16_t(call->call->GetId()));
    return draws;
}

constexpr const char* kUsage = "analyse FILE --frame N OUT.ppm | FILE --frames N1,N2,... OUTDIR [--budget D] "
                               "[--range L H] [--option KEY=VALUE] [--increment K] [--skip-call N] [--skip-id ID|NAME]";
// The arguments alone: the command list prints them after the command's name.
constexpr const char* kArguments = kUsage + sizeof("analyse ") - 1;

// A comma-separated list of frame numbers (1 to 2^32-1); false for an empty or malformed one.
bool FrameList(const std::string& text, std::vector<uint32_t>& frames)
{
    size_t from = 0;
    while (true) {
        const size_t comma = text.find(',', from);
        long v = 0;
        if (!ParseNumber(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from), 1,
                         UINT32_MAX, v))
            return false;
        frames.push_back(uint32_t(v));
        if (comma == std::string::npos)
            return true;
        from = comma + 1;
    }
}

// Frame `frame` through the analysis sequence, as the dock runs it, with the command's arguments.
SAnalysisOutcome AnalyseFrame(CAnalysisInterface& analysis, CTraceData& data, uint32_t frame, const SAnalyseArgs& a)
{
    SAnalysisRequest request;
    request.frame = frame;
    request.frameDraws = DrawCount(data, frame);
    request.drawBudget = a.budget >= 0 ? uint32_t(a.budget) : request.frameDraws;
    if (a.first || a.last) {
        request.firstDraw = uint32_t(a.first);
        request.lastDraw = uint32_t(a.last);
    } else {
        request.firstDraw = 1;
        request.lastDraw = request.frameDraws;
    }
    request.options = a.options;
    request.skipCalls = &a.skipCalls;
    request.skipIds = &a.skipIds;
    return RunAnalysisSequence(analysis, request);
}

// --frames: the frames in the order given, on one facade; OUTDIR/frame-N.ppm for each pass that read
// an image back, and a line "frame=N result=R" for each.
int RunSequence(CLoadedTrace& trace, const std::string& path, const std::vector<uint32_t>& frames,
                const std::string& outDir, const SAnalyseArgs& a)
{
    for (uint32_t f : frames)
        if (int64_t(f) > int64_t(trace.Data()->GetFrameCount())) {
            ReportNotInTrace(path, "frame", long(f));
            return kDumpUsage;
        }
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    CAnalysisInterface analysis;
    bool clean = true;
    {
        const CPassErrors errors;
        CDiagnosticsToStderr diagnostics;
        clean = RunCaught([&] { analysis.SetTraceForAnalysis(trace.Data()); }) && !errors.Any();
    }
    for (uint32_t f : frames) {
        SAnalysisOutcome outcome;
        uint8_t* rgb = nullptr;
        uint32_t width = 0, height = 0;
        bool image = false;
        {
            CDiagnosticsToStderr diagnostics;  // the playback's lines go to standard error
            if (!RunCaught([&] { outcome = AnalyseFrame(analysis, *trace.Data(), f, a); }))
                outcome.result = 0;
            image = (outcome.result == 1 || outcome.result == 2) && analysis.GetFrameBuffer(&rgb, &width, &height);
        }
        if (!CapturedBytesStillThere(trace.Data()))
            return kDumpMalformed;
        if (image && !WriteReadBack(outDir + "/frame-" + std::to_string(f) + ".ppm", rgb, width, height))
            return kDumpUsage;
        printf("frame=%u result=%d\n", f, outcome.result);
        fflush(stdout);
        clean &= !outcome.Failed();
    }
    const CAnalysisPlayback* playback = analysis.Analysis();
    printf("kept-frames=%zu kept-bytes=%zu\n", playback ? playback->KeptImages().FrameCount() : size_t(0),
           playback ? playback->KeptImages().Bytes() : size_t(0));
    return clean ? kDumpOk : kDumpPassFailed;
}

int Run(const std::vector<std::string>& given)
{
    std::vector<std::string> args = given;
    SAnalyseArgs a;
    std::string path, out;
    long frame = 0;
    if (!TakeOptions(args, a)) {
        fprintf(stderr, "usage: xqft-dump %s\n", kUsage);
        return kDumpUsage;
    }
    std::vector<uint32_t> frames;
    const auto list = std::find(args.begin(), args.end(), "--frames");
    if (list != args.end()) {
        if (list + 1 == args.end() || !FrameList(*(list + 1), frames) || args.size() != 4) {
            fprintf(stderr, "usage: xqft-dump %s\n", kUsage);
            return kDumpUsage;
        }
        args.erase(list, list + 2);
        path = args[0];
        out = args[1];
    } else if (!ParseFileAndNumber(args, "--frame", kUsage, path, frame, &out)) {
        return kDumpUsage;
    }

    CLoadedTrace trace(path);
    if (!trace.Data()) {
        fprintf(stderr, "ERROR: %s: no trace (load result %d)\n", path.c_str(), trace.Result());
        return kDumpUsage;
    }
    if (!ReportedPlayable(*trace.Data(), path))
        return kDumpPassFailed;
    if (!frames.empty())
        return RunSequence(trace, path, frames, out, a);
    SAnalysisOutcome outcome;
    uint8_t* rgb = nullptr;
    uint32_t width = 0, height = 0;
    bool image = false;
    const CPassErrors errors;  // also what binding the trace reports
    {
        CDiagnosticsToStderr diagnostics;  // the playback's lines go to standard error
        CAnalysisInterface analysis;
        const bool ran = RunCaught([&] {
            analysis.SetTraceForAnalysis(trace.Data());
            outcome = AnalyseFrame(analysis, *trace.Data(), uint32_t(frame), a);
            image = analysis.GetFrameBuffer(&rgb, &width, &height);
        });
        if (!outcome.frameKnown) {
            ReportNotInTrace(path, "frame", frame);
            return kDumpUsage;
        }
        if (!ran)
            outcome.result = 0;
        // The pass read the captured bytes: an image made after the file was cut is not the frame.
        if (!CapturedBytesStillThere(trace.Data()))
            return kDumpMalformed;
        // The facade owns the buffer: it is written before the facade goes.
        if (image && !WriteReadBack(out, rgb, width, height))
            return kDumpUsage;
    }
    if (!image)
        width = height = 0;
    printf("result=%d\nwidth=%u\nheight=%u\n", outcome.result, width, height);
    return !outcome.Failed() && !errors.Any() ? kDumpOk : kDumpPassFailed;
}

} // namespace

XQFT_DUMP_COMMAND("analyse", kArguments, Run);
