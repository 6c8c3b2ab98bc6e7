#pragma once
// The passes one analysis of a frame takes, for the image-analysis dock and xqft-dump's analyse
// alike: both say what they want as a request, and this one sequence moves to the frame, sets the
// options and the window, runs the pass (after a pass of the whole frame when the window is
// highlighted) and decides whether the analysis failed. The dock and the command line therefore
// agree on every failure.
#include "analysis/AnalysisOptions.h"

#include <cstdint>
#include <functional>
#include <set>

class CAnalysisInterface;

struct SAnalysisRequest
{
    uint32_t frame = 1;
    uint32_t drawBudget = 0;               // draws played at most
    uint32_t frameDraws = 0;               // the frame's draws: the pass of the whole frame under a highlight
    uint32_t firstDraw = 1, lastDraw = 0;  // the window of draws the pass shows, leaves out or highlights
    SAnalysisOptions options;              // every option, set on the analysis before the first pass
    // The call filters, when the request sets them (the dock sets them when the frame changes).
    const std::set<uint32_t>* skipCalls = nullptr;
    const std::set<uint32_t>* skipIds = nullptr;
};

struct SAnalysisOutcome
{
    bool frameKnown = true;  // false: the analysis refused the frame, and no pass ran
    int32_t result = 0;      // of the last pass run: 0 error, 1 stopped by the budget, 2 reached eglSwapBuffers, 3 aborted
    bool errorLines = false; // an ERROR line was reported from the move to the frame to the last pass

    // A pass failed: it did not end as the frame or the budget ends, or the playback reported an
    // error on the way (a call refused, a restore that could not rebuild something), so the image
    // is not the frame's.
    bool Failed() const { return !(result == 1 || result == 2) || errorLines; }
};

// Runs the request on the analysis. `pass` runs one pass and returns its result (the analysis's own
// Analyse when empty: the dock wraps its bookkeeping around it); `goOn`, asked after the pass of the
// whole frame under a highlight, may stop the sequence there (a newer request supersedes it), and
// the outcome is then aborted (3). Without an analysis bound, nothing runs and the result is 0.
SAnalysisOutcome RunAnalysisSequence(CAnalysisInterface& analysis, const SAnalysisRequest& request,
                                     const std::function<int32_t()>& pass = {},
                                     const std::function<bool()>& goOn = {});
