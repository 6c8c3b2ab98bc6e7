// A rebuild replays every call from a sound frame start up to its frame, thousands of frames at times:
// between the calls it serves the playback windows (and the viewer's events with them) and tells its
// progress, and whoever asked for it may cancel it.
#include "AnalysisPlayback.h"

#include "Diagnostics.h"

bool CAnalysisPlayback::RebuildGoesOn(uint32_t frame, uint32_t from, uint32_t played, uint32_t total)
{
    const bool quit = !PumpPlaybackWindows(m_windows);
    if (!quit && (!m_rebuildProgress || m_rebuildProgress(frame, from, played, total)))
        return true;
    PlaybackLine("Rebuild of frame %u from frame %u cancelled", frame, from);
    m_restoreCancelled = true;
    return false;
}
