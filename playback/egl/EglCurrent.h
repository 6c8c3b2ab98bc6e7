#pragma once
// Contexts recorded without a config (EGL_KHR_no_config_context) and make-currents without surfaces
// (EGL_KHR_surfaceless_context), played as the host allows: the host's own way where it offers the
// extension, else with a config or a surface of playback's choosing that the context works with.
#include <cstdint>

class CTraceData;
struct SEglState;

// Whether the host display lists the EGL extension.
bool HostDisplayOffers(uint64_t hostDisplay, const char* extension);

// The host config a context is made with. A context recorded with a config gets the host config
// matched to it (MatchEglConfig, from the recorded attribute list). One recorded without (config 0)
// is made without one where the host offers EGL_KHR_no_config_context (null); elsewhere with the
// config of the window surface the trace has it current with, found in `start` (a state at hand, may
// be null) or else in the frame snapshots of `trace` (may be null) from `frame` on; with none found,
// an RGBA config of window and pbuffer surfaces of its API (clientVersion 1 or 2).
struct SContextOrigin
{
    const SEglState* start = nullptr;
    CTraceData* trace = nullptr;
    uint32_t frame = 0;
};
void* HostContextConfig(const SContextOrigin& origin, uint64_t hostDisplay, uint64_t recordedContext,
                        uint64_t recordedConfig, const uint32_t* attributes, uint32_t count, int clientVersion);

// Makes the context current with the surfaces (HostMakeCurrent) and returns the EGL error. A context
// made current without a draw or read surface is made current surfaceless where the host offers
// EGL_KHR_surfaceless_context, else on a 1 x 1 pbuffer of a config it works with, one per display
// and config, kept for later such make-currents. Nothing is read back from either as a frame.
uint32_t MakeCurrentOnHost(uint64_t hostDisplay, void* draw, void* read, void* context);

// Destroys the display's stand-in pbuffers (when it is terminated, or an analysis starts over).
void DropStandInSurfaces(uint64_t hostDisplay);
