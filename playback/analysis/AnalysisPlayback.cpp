#include "AnalysisPlayback.h"
#include "CoverCheck.h"

#include "Diagnostics.h"
#include "egl/EglCurrent.h"
#include "egl/EglMaps.h"
#include "egl/EglRestore.h"
#include "es1/Es1Play.h"
#include "es1/Es1Restore.h"
#include "es2/Es2Restore.h"
#include "host/HostCurrent.h"
#include "host/HostTables.h"
#include "windows/PlaybackWindows.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>

#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <utility>
#include <vector>

CAnalysisPlayback::CAnalysisPlayback()
{
    m_mode = 1;
    ResetEs1Names(m_analysisEs1);
    ResetNameMaps();
}

// What the analysis made on the host goes with it: the next trace's analysis starts as in a fresh
// process, and finds no display, context or name of this one under its recorded handles.
CAnalysisPlayback::~CAnalysisPlayback()
{
    if (!m_trace)
        return;
    try {
        StartOver();
    } catch (...) {
    }
}

bool CAnalysisPlayback::GoToFrame(uint32_t frame, uint8_t restore, uint32_t drawBudget)
{
    if (!m_trace || frame == 0 || int64_t(frame) > int64_t(m_trace->GetFrameCount()))
        return false;
    const STraceFrame* f = m_trace->GetFrame(frame);
    if (!f)
        return false;
    m_currentFrame = frame;
    m_eglDirty = m_es1Dirty = m_es2Dirty = 1;
    // The range and calls first: the restore asks whether the pass plays the frame's draws as recorded.
    m_firstDraw = 1;
    m_drawBudget = drawBudget;
    m_lastDraw = drawBudget;
    m_firstCall = f->firstCall;
    m_endCall = f->endCall == STraceFrame::kOpenEnd ? f->firstCall : f->endCall;
    if (restore == 1)
        RestoreStateAtFrame(frame);
    return true;
}

bool CAnalysisPlayback::SetRange(uint32_t firstDraw, uint32_t lastDraw, uint8_t flag)
{
    m_rangeFlag = flag;
    m_firstDraw = firstDraw;
    m_lastDraw = lastDraw;
    RestoreStateAtFrame(m_currentFrame);
    return true;
}

bool CAnalysisPlayback::RestoreStateAtFrame(uint32_t frame)
{
    m_restoreFailed = false;
    m_restoreCancelled = false;
    try {
        m_restoreFailed = !RestoreFrame(frame);
        return !m_restoreFailed;
    } catch (...) {
        StartOver();
        throw;
    }
}

void CAnalysisPlayback::StartOver()
{
    // The contexts and surfaces the maps hold go; the displays stay initialised (they hold no GL
    // state, and the next restore gets and initialises them again).
    SEglHost& egl = *SEglHost::Instance();
    if (!egl.IsFailed()) {
        std::vector<uint64_t> displays;
        for (int32_t i = 0; i < DisplayHandleMap::Table().Count(); ++i)
            if (const uint64_t host = DisplayHandleMap::Table().At(i))
                displays.push_back(host);
        // Nothing current: the contexts destroyed while current go now.
        for (uint64_t host : displays)
            HostMakeCurrent(reinterpret_cast<EGLDisplay>(host), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        AfterHostMakeCurrent();
        for (uint64_t host : displays) {
            DropStandInSurfaces(host);
            std::vector<uint64_t> contexts, surfaces;
            if (const CHandleTable<uint64_t>* table = std::as_const(ContextHandleMap::Table()).Get(host))
                for (int32_t c = 0; c < table->Count(); ++c)
                    contexts.push_back(table->KeyAt(c));
            for (uint64_t recorded : contexts)
                DestroyHostContext(host, recorded);
            if (const CHandleTable<uint64_t>* table = std::as_const(SurfaceHandleMap::Table()).Get(host))
                for (int32_t c = 0; c < table->Count(); ++c)
                    if (table->At(c))
                        surfaces.push_back(table->At(c));
            for (uint64_t surface : surfaces)
                XQF_HOST(egl, eglDestroySurface)(reinterpret_cast<EGLDisplay>(host), reinterpret_cast<EGLSurface>(surface));
        }
        XQF_HOST(egl, eglGetError)();
    }
    DisplayHandleMap::Table().Reset();
    DisplayNativeHandleMap::Table().Reset();
    SurfaceHandleMap::Table().Reset();
    ContextHandleMap::Table().Reset();
    ConfigHandleMap::Table().Reset();
    CPlayback::s_hostEglInitialised = false;
    ResetNameMaps();
    ResetEs1Names(m_analysisEs1);
    ResetEs1Names(m_es1Extensions);
    ForgetContextObjects();
    m_egl = SEglState();
    m_eglDirty = 1;
    m_swapCall = nullptr;
    m_readBack.reset();
    m_readBackRgb.reset();
    m_rgbStale = true;
    m_readWidth = m_readHeight = 0;
    m_defaultFramebuffer = 0;
    m_defaultFramebufferKnown = false;
    m_surfaceWidth = m_surfaceHeight = 0;
    m_nativeWindow = 0;
}

namespace {

// The API of the frame's current context by its client version (1: ES 1.1, 2: ES 2.0); 0 when the
// snapshot has no current context or its context names no version.
int FrameApi(const SEglState& egl)
{
    const SEglContext* context = egl.contexts.Get(egl.currentContext);
    if (!context)
        return 0;
    for (uint32_t i = 0; i + 1 < context->attributes.Count() && context->attributes[i] != EGL_NONE; i += 2)
        if (context->attributes[i] == EGL_CONTEXT_CLIENT_VERSION)
            return context->attributes[i + 1] == 1 ? kEsVersion1 : kEsVersion2;
    return 0;
}

// Both tables hold the same contexts: the EGL restore made and destroyed none.
bool SameContexts(const CHandleTable<SEglContext>& a, const CHandleTable<SEglContext>& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int32_t i = 0; i < a.Count(); ++i) {
        const SEglContext* other = b.Get(a.KeyAt(i));
        if (!other || other->display != a.At(i).display || other->config != a.At(i).config)
            return false;
    }
    return true;
}

} // namespace

void CAnalysisPlayback::ForgetContextObjects()
{
    ResetEs1Names(m_es1Extensions);  // the ES 1.1 vertex arrays are made again under new names
    es1play::Es1BufferContentsChanged();  // a new context may come at the old one's address
    m_es1 = SEs1State();
    m_es2 = SEs2State();
    m_es1Dirty = m_es2Dirty = 1;
    m_complexityProgram = m_complexityShader = m_highlightProgram = m_highlightShader = 0;
    m_programsBuilt = 0;
    m_linkedWith[0] = m_linkedWith[1] = SLinkedWith();
}

namespace {

// Whether the tracked state holds the frame's current surfaces: it keeps window surfaces only, so a
// frame drawn into a pbuffer is rebuilt by replaying the pbuffer's making.
bool HoldsCurrentSurfaces(const SEglState& egl)
{
    for (uint64_t surface : {egl.currentDrawSurface, egl.currentReadSurface})
        if (surface != 0 && !egl.surfaces.Get(surface))
            return false;
    return true;
}

} // namespace

bool CAnalysisPlayback::SurfacesRestored(uint32_t frame)
{
    SEglState egl;
    return !m_trace->GetFrameEglState(frame, &egl) || HoldsCurrentSurfaces(egl);
}

void CAnalysisPlayback::DrainHostErrors(const char* what, uint32_t number)
{
    if (XQF_HOST(*SEglHost::Instance(), eglGetCurrentContext)() == EGL_NO_CONTEXT)
        return;
    SEs2Host& gl = *SEs2Host::Instance();
    // A context holds a few error flags at most: the loop ends once they are read.
    for (int i = 0; i < 8; ++i) {
        const GLenum error = XQF_HOST(gl, glGetError)();
        if (error == GL_NO_ERROR)
            break;
        PlaybackWarning("%s %u: GL error 0x%x\n", what, number, error);
    }
}

EStartImages CAnalysisPlayback::StartImagesOf(uint32_t frame)
{
    if (m_startImagesTrace != m_trace) {
        m_startImages.clear();
        m_covered.clear();
        m_kept.Clear();
        m_startImagesTrace = m_trace;
    }
    const STraceFrame* f = m_trace->GetFrame(frame);
    // A frame still being appended to (a live capture) may yet read its images: asked anew each time.
    if (f && f->endCall == STraceFrame::kOpenEnd)
        return ClassifyStartImages(*m_trace, frame);
    if (m_startImages.size() <= frame || m_startImages[frame] == 0)
        ClassifyStartImages(*m_trace, frame, frame, m_startImages);
    return SurfacesRestored(frame) ? EStartImages(m_startImages[frame]) : EStartImages::Read;
}

uint32_t CAnalysisPlayback::SoundStart(uint32_t frame, uint32_t low)
{
    for (uint32_t k = frame; k-- > low + 1;) {
        if (m_startImages.size() <= k || m_startImages[k] == 0)
            ClassifyStartImages(*m_trace, low + 1, k, m_startImages);  // the rest of the search in one walk
        const EStartImages c = EStartImages(m_startImages[k]);
        const bool covered = c == EStartImages::Covered && m_covered.size() > k && m_covered[k] == 1;
        if ((c == EStartImages::None || c == EStartImages::Rewritten || covered) && SurfacesRestored(k))
            return k;
    }
    return low;
}

uint32_t CAnalysisPlayback::CheckedStart(uint32_t frame, uint32_t low)
{
    int tries = 2;  // a check costs about a frame: a chain of frames that fail it is not searched
    for (uint32_t k = frame; k-- > low + 1 && tries > 0;) {
        if (m_startImages.size() <= k || EStartImages(m_startImages[k]) != EStartImages::Covered ||
            (m_covered.size() > k && m_covered[k] != 0) || !SurfacesRestored(k))
            continue;
        --tries;
        if (RestoreCovered(k))
            return k;
    }
    return low;
}

namespace {

// A rebuild keeps every frame start among the last kDenseFrames before its frame, and every
// kSparseSpacing-th before those: stepping back replays at most that many frames, and a long
// rebuild reads back a few hundred frames, not thousands.
constexpr uint32_t kDenseFrames = 16, kSparseSpacing = 32;

bool WorthKeeping(uint32_t k, uint32_t frame)
{
    return frame - k < kDenseFrames || k % kSparseSpacing == 0;
}

// How many frames from k to `frame` a rebuild keeps.
uint64_t KeptFrom(uint32_t k, uint32_t frame)
{
    if (frame - k < kDenseFrames)
        return frame - k + 1;
    const uint32_t denseStart = frame - kDenseFrames + 1;
    return kDenseFrames + (denseStart - 1) / kSparseSpacing - (k - 1) / kSparseSpacing;
}

// Applies a played call's effect to the running copy of its state kind.
void ApplyToCopies(STraceCall* call, SEglState& egl, SEs1State& es1, SEs2State& es2)
{
    const uint8_t kind = call->call->GetStateKind();
    if (kind == kApiEgl)
        call->call->ApplyEffect(&egl, call->frame);
    else if (IsEs1StateKind(kind))
        call->call->ApplyEffect(&es1, call->frame);
    else if (IsEs2StateKind(kind))
        call->call->ApplyEffect(&es2, call->frame);
}

} // namespace

void CAnalysisPlayback::KeepImagesAt(uint32_t k, uint32_t frame, const SEglState& egl, const SEs1State& es1,
                                     const SEs2State& es2)
{
    if (m_kept.Holds(k) || !WorthKeeping(k, frame) || !HoldsCurrentSurfaces(egl))
        return;  // (a restore from a frame drawn into a pbuffer cannot make the pbuffer)
    const int api = FrameApi(egl);
    const size_t bytes = api == kEsVersion2 ? CKeptImages::KeptSize(es2)
                         : api == kEsVersion1 ? CKeptImages::KeptSize(es1)
                                              : 0;
    // Frames nearer `frame` come later and are used sooner: no room left beside them, no read-back.
    if (bytes == 0 || bytes * KeptFrom(k, frame) > m_kept.Budget())
        return;
    SKeptFrame images;
    if (api == kEsVersion2 ? CKeptImages::ReadBack(es2, k, images) : CKeptImages::ReadBack(es1, k, images))
        m_kept.Keep(k, std::move(images));
}

bool CAnalysisPlayback::RebuildByReplay(uint32_t from, bool fromKept, uint32_t frame)
{
    const STraceFrame* start = m_trace->GetFrame(from);
    const STraceFrame* end = m_trace->GetFrame(frame);
    if (!start || !end)
        return false;
    if (!fromKept)
        StartOver();
    m_eglDirty = m_es1Dirty = m_es2Dirty = 1;
    RestoreRecordedState(from);
    if (fromKept) {
        const SKeptFrame* images = m_kept.Use(from);
        if (!images || images->api != FrameApi(m_egl) || !CKeptImages::Send(*images, from)) {
            // The host would not take them: the frame is rebuilt as if none were kept.
            m_kept.Drop(from);
            return RebuildByReplay(SoundStart(frame, 1), false, frame);
        }
    }
    // The tracked states as the replay goes: at each frame start they say which images to read back.
    SEglState egl;
    SEs1State es1;
    SEs2State es2;
    m_trace->GetFrameEglState(from, &egl);
    m_trace->GetFrameEs1State(from, &es1);
    m_trace->GetFrameEs2State(from, &es2);
    uint32_t current = from;
    for (uint32_t n = start->firstCall + 1; n <= end->firstCall; ++n) {
        if (!RebuildGoesOn(frame, from, n - start->firstCall - 1, end->firstCall - start->firstCall)) {
            StartOver();
            return false;
        }
        STraceCall* call = m_trace->GetCall(n);
        if (call && call->frame != current && call->frame <= frame)
            KeepImagesAt(current = call->frame, frame, egl, es1, es2);
        if (!call || !PlayCall(call, m_analysisCheckErrors)) {
            PlaybackError("Frame %u could not be rebuilt by replaying from frame %u\n", frame, from);
            StartOver();
            return false;
        }
        ApplyToCopies(call, egl, es1, es2);
    }
    if (from < frame)
        KeepImagesAt(frame, frame, egl, es1, es2);
    // The host now holds what the application made up to the frame: the copies say so.
    m_egl = SEglState();
    m_trace->GetFrameEglState(frame, &m_egl);
    m_es1 = std::move(es1);
    m_es2 = std::move(es2);
    m_eglDirty = m_es1Dirty = m_es2Dirty = 0;
    SayHowRestored(frame, fromKept ? EHowRestored::FromKept : EHowRestored::Rebuilt, from);
    return true;
}

bool CAnalysisPlayback::RestoreFrame(uint32_t frame)
{
    if (!m_trace)
        return true;
    // A frame that reads a texture image the GPU made before it needs the pixels the application
    // made, and a pbuffer is no surface the restore makes: the frame is rebuilt by replaying from
    // the nearest frame whose start is known whole, one whose images are kept or one the restore
    // gives as it was.
    m_kept.SetBudget(CKeptImages::BoundedBudget(m_keptImagesMib, CKeptImages::FreeMemory(), m_kept.Bytes()));
    if (m_es1Dirty || m_es2Dirty) {
        EStartImages c = StartImagesOf(frame);
        if (c == EStartImages::Covered) {
            if (PassDrawsAsRecorded(frame) && RestoreCovered(frame)) {
                SayHowRestored(frame, EHowRestored::Checked, frame);
                return true;
            }
            c = EStartImages::Read;
        }
        if (c == EStartImages::Read) {
            const uint32_t kept = m_kept.Nearest(1, frame);
            const uint32_t sound = SoundStart(frame, kept ? kept : 1);
            const uint32_t from = CheckedStart(frame, sound);
            return RebuildByReplay(from, kept != 0 && from == kept, frame);
        }
    }
    const bool restored = RestoreRecordedState(frame);
    if (restored)
        SayHowRestored(frame, EHowRestored::AsRecorded, frame);
    return restored;
}

void CAnalysisPlayback::SayHowRestored(uint32_t frame, EHowRestored how, uint32_t from)
{
    // A frame is restored again for each pass over it (a new range, the highlight's second pass):
    // the Output says once how it came, until another frame is restored.
    if (m_saidTrace == m_trace && m_saidFrame == frame)
        return;
    m_saidTrace = m_trace;
    m_saidFrame = frame;
    switch (how) {
    case EHowRestored::AsRecorded:
        PlaybackLine("Frame %u restored as recorded", frame);
        break;
    case EHowRestored::Checked:
        PlaybackLine("Frame %u restored as recorded, its GPU-made images checked on the host as drawn over "
                     "before they are read", frame);
        break;
    case EHowRestored::Rebuilt:
        PlaybackLine("Frame %u rebuilt by replaying from frame %u", frame, from);
        break;
    case EHowRestored::FromKept:
        PlaybackLine("Frame %u rebuilt by replaying from frame %u, whose start came from kept images", frame, from);
        break;
    }
}

bool CAnalysisPlayback::PassDrawsAsRecorded(uint32_t frame) const
{
    // Lines, overdraw counts, highlights and draws left out write other pixels than the recorded
    // draws: an image the host found covered may then keep some of what it held before the frame.
    if (m_wireframe || m_complexity || m_highlight || m_rangeMode || m_firstDraw > 1)
        return false;
    const STraceFrame* f = m_trace->GetFrame(frame);
    if (!f || f->endCall == STraceFrame::kOpenEnd)
        return false;
    // A skipped call of the frame (a bind, a state change, a draw) changes what its draws write.
    if (m_skipPositions.lower_bound(f->firstCall + 1) != m_skipPositions.upper_bound(f->endCall))
        return false;
    if (m_skipIds.empty())
        return true;
    for (uint32_t n = f->firstCall + 1; n <= f->endCall; ++n) {
        const STraceCall* call = m_trace->GetCall(n);
        if (!call || m_skipIds.count(uint16_t(call->call->GetId())))
            return false;
    }
    return true;
}

bool CAnalysisPlayback::RestoreCovered(uint32_t frame)
{
    if (m_covered.size() <= frame)
        m_covered.resize(size_t(frame) + 1, 0);
    if (m_covered[frame] != 0)
        return m_covered[frame] == 1 && RestoreRecordedState(frame);
    std::vector<SCoverDraw> draws;
    const STraceFrame* f = m_trace->GetFrame(frame);
    if (!f || ClassifyStartImages(*m_trace, frame, draws) != EStartImages::Covered || !RestoreRecordedState(frame))
        return false;
    CCoverCheck check;
    bool covered = check.Fill(draws, m_es1, m_es2, frame);
    const uint32_t last = check.LastCall();
    for (uint32_t n = f->firstCall + 1; covered && n <= last; ++n) {
        STraceCall* call = m_trace->GetCall(n);
        if (!call || !PlayCall(call, m_analysisCheckErrors)) {
            StartOver();  // the copies no longer say what the host holds
            return false;
        }
        // The copies follow the host, so that restoring the start again sends what the calls changed.
        const uint8_t kind = call->call->GetStateKind();
        m_eglDirty |= kind == kApiEgl;
        m_es1Dirty |= IsEs1StateKind(kind);
        m_es2Dirty |= IsEs2StateKind(kind);
        ApplyToCopies(call, m_egl, m_es1, m_es2);
        covered = check.CoveredAfter(n, frame);
    }
    m_covered[frame] = covered ? 1 : 2;
    m_es1Dirty = m_es2Dirty = 1;
    return covered && RestoreRecordedState(frame);
}

bool CAnalysisPlayback::RestoreRecordedState(uint32_t frame)
{
    SEglState egl;
    SEs1State es1;
    SEs2State es2;
    if (!m_trace)
        return true;
    // The frame's EGL snapshot decides whether it has a context for its ES state, also when the
    // host's EGL objects are already the frame's (a clean EGL copy): the host's ES state is rebuilt
    // whenever the copy says it no longer is the frame's.
    const bool fetched = m_trace->GetFrameEglState(frame, &egl);
    if (m_eglDirty && fetched) {
        // A context made or destroyed holds none of what the ES copies say the host holds: the ES
        // state is then rebuilt whole, under new names, and the analysis programs made again.
        const bool contextsKept = SameContexts(m_egl.contexts, egl.contexts);
        if (!RestoreEglState(egl, frame, m_egl)) {
            StartOver();
            return false;
        }
        m_egl = egl;
        m_eglDirty = 0;
        if (!contextsKept)
            ForgetContextObjects();
    }
    if (egl.currentDisplay == 0) {
        ResetNameMaps();
        ResetEs1Names(m_analysisEs1);
        ResetEs1Names(m_es1Extensions);  // the ES 1.1 vertex-array names the player and restore share
        // There is no surface at the frame's start: nothing is read back until the frame makes one
        // current, as in a fresh process (whatever an earlier frame left current).
        if (fetched) {
            uint32_t none = 0;
            RememberWindowSize(&none, &none, nullptr);
        }
    }
    // A trace with contexts of both APIs restores the API of the frame's current context.
    const int api = FrameApi(egl);
    if (m_es1Dirty && api != kEsVersion2 && m_trace->GetFrameEs1State(frame, &es1)) {
        if (egl.currentDisplay != 0) {
            RestoreEs1State(es1, frame, &m_es1);
            RestoreEs1VertexArrays(es1, m_es1Extensions);
        }
        m_es1 = es1;
        m_es1Dirty = 0;
    } else if (m_es2Dirty && api != kEsVersion1 && m_trace->GetFrameEs2State(frame, &es2)) {
        if (egl.currentDisplay != 0)
            RestoreEs2State(es2, frame, &m_es2);
        m_es2 = es2;
        m_es2Dirty = 0;
    }
    DrainHostErrors("Restore of frame", frame);
    return true;
}

bool CAnalysisPlayback::SetOption(uint32_t key, uint32_t value)
{
    const SAnalysisOptionRow* row = FindAnalysisOption(key);
    if (!row || value > row->largest)
        return false;
    row->set(*this, value);
    return true;
}

bool CAnalysisPlayback::SetOptionValue(uint32_t key, const uint8_t* value)
{
    return value && SetOption(key, *value);
}

void CAnalysisPlayback::SetCallFilters(const std::set<uint32_t>& skipPositions, const std::set<uint32_t>& skipIds)
{
    if (&skipPositions != &m_skipPositions)
        m_skipPositions = skipPositions;
    if (&skipIds != &m_skipIds)
        m_skipIds = skipIds;
}

bool CAnalysisPlayback::FindSwapCall()
{
    // The frame's last call (number endCall): the swap call when the frame is closed.
    STraceCall* last = m_trace && m_endCall > m_firstCall ? m_trace->GetCall(m_endCall) : nullptr;
    if (last)
        m_swapCall = last;
    if (last && IsFrameEnd(uint16_t(last->call->GetId())))
        return true;
    PlaybackError("Exception <expented SwapBuffer call\n");
    return false;
}

namespace {

// Each step stores four bytes, the last of which the next step overwrites: the output holds one
// byte more than its pixels need.
void PackRgbaToRgb(const uint8_t* rgba, uint8_t* rgb, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i)
        std::memcpy(rgb + 3 * i, rgba + 4 * i, 4);
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels a step with a byte shuffle; each 16-byte store's last four bytes are the next step's.
__attribute__((target("ssse3"))) void PackRgbaToRgbSsse3(const uint8_t* rgba, uint8_t* rgb, size_t pixels)
{
    const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    size_t i = 0;
    for (; i + 6 <= pixels; i += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 4 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * i), _mm_shuffle_epi8(in, order));
    }
    PackRgbaToRgb(rgba + 4 * i, rgb + 3 * i, pixels - i);
}
#endif

} // namespace

bool CAnalysisPlayback::ReadFrameBuffer()
{
    uint32_t width = 0xFFFFFFFFu, height = 0xFFFFFFFFu;
    RememberWindowSize(&width, &height, nullptr);
    // Surfaces are held to the host config's largest; a size above the cap is none the host made.
    const bool tooLarge = uint64_t(width) * height * 4 > kMaxReadBackBytes;
    if (tooLarge) {
        PlaybackError("The playback surface of %u x %u is above the %llu MiB a read-back may have; it is not read\n",
                      width, height, static_cast<unsigned long long>(kMaxReadBackBytes >> 20));
        width = height = 0;
    }
    if (!m_readBack || width != m_readWidth || height != m_readHeight) {
        m_readWidth = width;
        m_readHeight = height;
        m_readBack = std::make_unique<uint8_t[]>(size_t(m_readWidth) * m_readHeight * 4);
        m_readBackRgb.reset();
    }
    m_rgbStale = true;
    const size_t pixels = size_t(m_readWidth) * m_readHeight;
    // The buffer holds zeros where nothing was read: cleared when there is nothing to read from or
    // the host refuses the read (a refused glReadPixels writes nothing), which spares clearing
    // megabytes before every read.
    SEs2Host& gl = *SEs2Host::Instance();
    for (int i = 0; i < 8 && XQF_HOST(gl, glGetError)() != GL_NO_ERROR; ++i) {
    }
    SEglHost& egl = *SEglHost::Instance();
    const bool current = XQF_HOST(egl, eglGetCurrentContext)() != EGL_NO_CONTEXT;
    if (pixels == 0)
        return true;
    if (current && !SurfaceHoldsTheFrame()) {
        std::memset(m_readBack.get(), 0, pixels * 4);
        return false;
    }
    // A pass that ends inside a framebuffer object reads that: the read leaves the pixels outside
    // it alone, and they must be zeros, as in a fresh analysis, never an earlier pass's pixels.
    GLint framebuffer = 0;
    if (current) {
        XQF_HOST(gl, glGetIntegerv)(GL_FRAMEBUFFER_BINDING, &framebuffer);
        if (XQF_HOST(gl, glGetError)() != GL_NO_ERROR)
            framebuffer = 0;  // an ES 1.1 context without framebuffer objects
    }
    if (framebuffer != 0)
        std::memset(m_readBack.get(), 0, pixels * 4);
    XQF_HOST(gl, glReadPixels)(0, 0, GLsizei(m_readWidth), GLsizei(m_readHeight), GL_RGBA, GL_UNSIGNED_BYTE,
                               m_readBack.get());
    if (!current || XQF_HOST(gl, glGetError)() != GL_NO_ERROR)
        std::memset(m_readBack.get(), 0, pixels * 4);
    return true;
}

bool CAnalysisPlayback::SurfaceHoldsTheFrame() const
{
    // glReadPixels reads the read surface.
    SEglHost& egl = *SEglHost::Instance();
    EGLDisplay display = XQF_HOST(egl, eglGetCurrentDisplay)();
    EGLSurface read = XQF_HOST(egl, eglGetCurrentSurface)(EGL_READ);
    EGLint width = 0, height = 0;
    if (read == EGL_NO_SURFACE || !XQF_HOST(egl, eglQuerySurface)(display, read, EGL_WIDTH, &width) ||
        !XQF_HOST(egl, eglQuerySurface)(display, read, EGL_HEIGHT, &height)) {
        XQF_HOST(egl, eglGetError)();
        return true;  // no surface current: no window to hold the frame
    }
    uint32_t madeWidth = uint32_t(width), madeHeight = uint32_t(height);
    PlaybackSurfaceMadeFor(read, madeWidth, madeHeight);
    if (uint32_t(width) == m_readWidth && uint32_t(height) == m_readHeight && madeWidth == uint32_t(width) &&
        madeHeight == uint32_t(height))
        return true;
    PlaybackError("Frame read: the surface is %dx%d, the frame %ux%u and its window %ux%u: nothing read\n", width,
                  height, m_readWidth, m_readHeight, madeWidth, madeHeight);
    return false;
}

bool CAnalysisPlayback::GetFrameBuffer(uint8_t** rgb, uint32_t* width, uint32_t* height)
{
    if (m_readBack && m_rgbStale) {
        const size_t pixels = size_t(m_readWidth) * m_readHeight;
        if (!m_readBackRgb)
            m_readBackRgb = std::make_unique<uint8_t[]>(pixels * 3 + 1);
#if defined(__x86_64__) || defined(__i386__)
        if (__builtin_cpu_supports("ssse3"))
            PackRgbaToRgbSsse3(m_readBack.get(), m_readBackRgb.get(), pixels);
        else
#endif
            PackRgbaToRgb(m_readBack.get(), m_readBackRgb.get(), pixels);
        m_rgbStale = false;
    }
    if (rgb)
        *rgb = m_readBack ? m_readBackRgb.get() : nullptr;
    if (width)
        *width = m_readWidth;
    if (height)
        *height = m_readHeight;
    return m_readBack != nullptr;
}

bool CAnalysisPlayback::GetFrameBufferRgba(const uint8_t** rgba, uint32_t* width, uint32_t* height) const
{
    if (rgba)
        *rgba = m_readBack.get();
    if (width)
        *width = m_readWidth;
    if (height)
        *height = m_readHeight;
    return m_readBack != nullptr;
}
