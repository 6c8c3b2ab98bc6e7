#include "AnalysisSequence.h"

#include "Diagnostics.h"
#include "PlaybackInterface.h"

namespace {

void SetOptions(CAnalysisInterface& analysis, const SAnalysisOptions& options)
{
    for (const SAnalysisOptionRow& row : kAnalysisOptions)
        analysis.SetOption(row.key, row.get(options));
}

} // namespace

SAnalysisOutcome RunAnalysisSequence(CAnalysisInterface& analysis, const SAnalysisRequest& request,
                                     const std::function<int32_t()>& pass, const std::function<bool()>& goOn)
{
    SAnalysisOutcome outcome;
    if (!analysis.Analysis())
        return outcome;
    const unsigned errorsBefore = PlaybackErrorCount();
    auto runPass = [&] { return pass ? pass() : analysis.Analyse(0); };
    if (!analysis.GoToFrame(request.frame, request.drawBudget)) {
        outcome.frameKnown = false;
        return outcome;
    }
    SAnalysisOptions options = request.options;
    const bool highlight = options.m_highlight != 0;
    if (highlight) {
        // The whole frame first, without highlight: the highlighted pass draws over its image.
        options.m_highlight = 0;
        options.m_rangeMode = 0;
    }
    SetOptions(analysis, options);
    if (request.skipCalls && request.skipIds)
        analysis.SetCallFilters(*request.skipCalls, *request.skipIds);
    if (highlight) {
        analysis.SetRange(1, request.frameDraws, 1);
        outcome.result = runPass();
        if (!(outcome.result == 1 || outcome.result == 2)) {
            outcome.errorLines = PlaybackErrorCount() != errorsBefore;
            return outcome;
        }
        if (goOn && !goOn()) {
            outcome.result = 3;
            outcome.errorLines = PlaybackErrorCount() != errorsBefore;
            return outcome;
        }
        SetOptions(analysis, request.options);
    }
    analysis.SetRange(request.firstDraw, request.lastDraw, 1);
    outcome.result = runPass();
    outcome.errorLines = PlaybackErrorCount() != errorsBefore;
    return outcome;
}
