// The X11 back end: one X connection per recorded display (its Display* is the native display EGL
// gets) and unmapped X windows of the recorded sizes; rendering and read-back work unmapped.
// The windows are override-redirect: a window manager redirects a top-level window's resize to
// itself and carries it out when it gets to it, so a surface made or read just after the resize
// would have the old size (a 1 x 1 window, played as 640 x 480, or a frame cut short). The server
// carries out an override-redirect window's resize at once, in order with the host library's
// requests on the same connection.
#include "Diagnostics.h"
#include "EglAdapters.h"
#include "NativeWindows.h"
#include "host/HostTables.h"

#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>

#ifdef XQFT_HAVE_X11
#include <chrono>
#include <memory>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would rename what the headers above declare.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace x11 {
namespace {

// X takes sizes up to 32767; larger windows cannot be made.
constexpr uint32_t kLargestWindow = 32767;

struct SWindow
{
    Window id = 0;
    uint32_t width = 1;   // the size asked for (the window keeps its last valid size)
    uint32_t height = 1;
    bool holdsSurface = false;
};

struct SConnection
{
    Display* display = nullptr;
    Atom deleteWindow = 0;
    std::vector<SWindow> windows;
    std::chrono::steady_clock::time_point nextRead;
};

// A window surface the adapter made, its EGL display and the window it lives on.
struct SSurface
{
    EGLSurface surface;
    EGLDisplay eglDisplay;
    Window window;
};

std::vector<std::unique_ptr<SConnection>>& Connections()
{
    static std::vector<std::unique_ptr<SConnection>> connections;
    return connections;
}

std::vector<SSurface>& Surfaces()
{
    static std::vector<SSurface> surfaces;
    return surfaces;
}

// The first connection, opened to learn whether there is a server; the first window creation uses it.
Display*& Spare()
{
    static Display* spare = nullptr;
    return spare;
}

int ReportError(Display* display, XErrorEvent* e)
{
    char text[256] = {};
    XGetErrorText(display, e->error_code, text, sizeof text);
    PlaybackError("X error: %s (request %d.%d, resource 0x%lx)\n", text, e->request_code, e->minor_code,
                  e->resourceid);
    return 0;
}

// Our handler while playback talks to the server, the process's own again after: Xlib's default
// handler ends the process at the first error, and the viewer's toolkit may have one of its own.
// An error arrives after its request, so a scope whose requests may fail syncs before it ends;
// those that only read events (the pump) need not.
class CErrorScope
{
public:
    explicit CErrorScope(Display* sync = nullptr) : m_sync(sync), m_previous(XSetErrorHandler(&ReportError)) {}
    ~CErrorScope()
    {
        if (m_sync)
            XSync(m_sync, False);
        XSetErrorHandler(m_previous);
    }
    CErrorScope(const CErrorScope&) = delete;
    CErrorScope& operator=(const CErrorScope&) = delete;

private:
    Display* m_sync;
    XErrorHandler m_previous;
};

SConnection* ConnectionOf(NativeHandle native)
{
    for (auto& c : Connections())
        if (reinterpret_cast<NativeHandle>(c->display) == native)
            return c.get();
    return nullptr;
}

SWindow* FindWindow(Window id, SConnection** owner = nullptr)
{
    for (auto& c : Connections())
        for (SWindow& w : c->windows)
            if (w.id == id) {
                if (owner)
                    *owner = c.get();
                return &w;
            }
    return nullptr;
}

// A new unmapped window of the connection; its size is clipped to what X can make.
SWindow& NewWindow(SConnection& c, uint32_t width, uint32_t height)
{
    Display* d = c.display;
    const uint32_t w = width == 0 ? 1 : width > kLargestWindow ? kLargestWindow : width;
    const uint32_t h = height == 0 ? 1 : height > kLargestWindow ? kLargestWindow : height;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    Window id = XCreateWindow(d, DefaultRootWindow(d), 5000, 5000, w, h, 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWOverrideRedirect, &attributes);
    XStoreName(d, id, "XQFTracePlayback");
    XSelectInput(d, id, KeyPressMask | StructureNotifyMask);
    XSetWMProtocols(d, id, &c.deleteWindow, 1);
    XFlush(d);
    c.windows.push_back({id, width, height, false});
    return c.windows.back();
}

// Whether the server has the window at the size it was asked for (a round trip: once a resize).
bool HasItsSize(Display* d, const SWindow& w)
{
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    return XGetGeometry(d, w.id, &root, &x, &y, &width, &height, &border, &depth) && width == w.width &&
           height == w.height;
}

// Takes every pending event of the connection; false at a quit request (Escape, a close request),
// which leaves later events queued. The socket is read at most about once a millisecond: a pump
// runs before every replayed call and must stay cheap.
bool Drain(SConnection& c)
{
    const auto now = std::chrono::steady_clock::now();
    int pending = XEventsQueued(c.display, QueuedAlready);
    if (pending == 0 && now >= c.nextRead) {
        c.nextRead = now + std::chrono::milliseconds(1);
        const CErrorScope scope;  // reading the socket hands out the errors that came with the events
        pending = XPending(c.display);
    }
    while (pending-- > 0) {
        XEvent e;
        XNextEvent(c.display, &e);
        if (e.type == KeyPress && XLookupKeysym(&e.xkey, 0) == XK_Escape)
            return false;
        if (e.type == ClientMessage && Atom(e.xclient.data.l[0]) == c.deleteWindow)
            return false;
        if (pending == 0)
            pending = XEventsQueued(c.display, QueuedAlready);
    }
    return true;
}

// Forgets the surfaces that match and frees their windows for the next recorded size.
template <typename Match>
void ForgetSurfaces(Match match)
{
    auto& surfaces = Surfaces();
    for (size_t i = surfaces.size(); i-- > 0;)
        if (match(surfaces[i])) {
            if (SWindow* w = FindWindow(surfaces[i].window))
                w->holdsSurface = false;
            surfaces.erase(surfaces.begin() + long(i));
        }
}

EGLDisplay EGLAPIENTRY GetDisplay(EGLNativeDisplayType native)
{
    return EglLibraryEntries().PlatformDisplay(EGL_PLATFORM_X11_KHR, native);
}

EGLSurface EGLAPIENTRY CreateWindowSurface(EGLDisplay display, EGLConfig config, EGLNativeWindowType window,
                                           const EGLint* attribs)
{
    const SEglLibraryEntries& e = EglLibraryEntries();
    SConnection* c = nullptr;
    SWindow* w = FindWindow(Window(window), &c);
    if (!w)
        return e.createWindowSurface(display, config, window, attribs);
    if (w->width > kLargestWindow || w->height > kLargestWindow || !e.FitsConfig(display, config, w->width, w->height))
        return e.Refused(display, config);
    const CErrorScope scope(c->display);
    if (w->holdsSurface) {
        const uint32_t width = w->width, height = w->height;
        w = &NewWindow(*c, width, height);  // the maps keep naming the window they were given
    }
    if (!HasItsSize(c->display, *w))
        PlaybackError("eglCreateWindowSurface: the X window 0x%lx does not have the size %ux%u\n", w->id, w->width,
                      w->height);
    EGLSurface surface = e.createWindowSurface(display, config, w->id, attribs);
    if (surface != EGL_NO_SURFACE) {
        // A handle the library gives anew is no longer the surface an old entry names.
        ForgetSurfaces([&](const SSurface& s) { return s.surface == surface; });
        w->holdsSurface = true;
        Surfaces().push_back({surface, display, w->id});
    }
    return surface;
}

EGLBoolean EGLAPIENTRY DestroySurface(EGLDisplay display, EGLSurface surface)
{
    ForgetSurfaces([&](const SSurface& s) { return s.surface == surface; });
    return EglLibraryEntries().destroySurface(display, surface);
}

// eglTerminate destroys every surface of the display without an eglDestroySurface: their entries
// must go too. Kept, an entry would name a window that can never be sized again, and the library
// may hand its surface handle to a later surface on another window, whose size would then be
// checked against the wrong window's.
EGLBoolean EGLAPIENTRY Terminate(EGLDisplay display)
{
    ForgetSurfaces([&](const SSurface& s) { return s.eglDisplay == display; });
    return EglLibraryEntries().terminate(display);
}

} // namespace

bool WindowSurfaceSize(void* surface, uint32_t& width, uint32_t& height)
{
    for (const SSurface& s : Surfaces())
        if (s.surface == surface)
            if (const SWindow* w = FindWindow(s.window)) {
                width = w->width;
                height = w->height;
                return true;
            }
    return false;
}

bool Available()
{
    static const bool available = [] {
        Spare() = XOpenDisplay(nullptr);
        return Spare() != nullptr;
    }();
    return available;
}

NativeHandle CreatePlaybackWindow()
{
    if (!Available())
        return 0;
    Display* d = Spare() ? Spare() : XOpenDisplay(nullptr);
    Spare() = nullptr;
    if (!d)
        return 0;
    auto c = std::make_unique<SConnection>();
    c->display = d;
    const CErrorScope scope(d);
    c->deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    NewWindow(*c, 1, 1);
    Connections().push_back(std::move(c));
    return reinterpret_cast<NativeHandle>(d);
}

NativeHandle MovePlaybackWindow(int32_t width, uint32_t height, const char* title, NativeHandle native)
{
    SConnection* c = ConnectionOf(native);
    if (!c)
        return 0;
    PlaybackWindowSize(width, height);
    const uint32_t w = width > 0 ? uint32_t(width) : 0;
    // A window that holds a surface keeps its size (the surface follows its window): another one
    // of the connection is sized instead.
    const CErrorScope scope(c->display);
    SWindow* window = nullptr;
    for (SWindow& candidate : c->windows)
        if (!candidate.holdsSurface) {
            window = &candidate;
            break;
        }
    if (!window)
        window = &NewWindow(*c, w, height);
    window->width = w;
    window->height = height;
    if (w >= 1 && height >= 1 && w <= kLargestWindow && height <= kLargestWindow)
        XResizeWindow(c->display, window->id, w, height);
    XStoreName(c->display, window->id, title ? title : "");
    XFlush(c->display);
    return window->id;
}

void DestroyPlaybackWindow(NativeHandle window, NativeHandle native)
{
    SConnection* owner = nullptr;
    if (window && FindWindow(Window(window), &owner)) {
        const CErrorScope scope(owner->display);
        XUnmapWindow(owner->display, Window(window));
    }
    if (SConnection* c = ConnectionOf(native)) {
        const CErrorScope scope;  // synced below, before the connection closes
        for (SWindow& w : c->windows)
            XDestroyWindow(c->display, w.id);
        XSync(c->display, False);
        XCloseDisplay(c->display);
        auto& all = Connections();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].get() == c) {
                all.erase(all.begin() + long(i));
                break;
            }
    }
}

bool PumpPlaybackMessages(NativeHandle window)
{
    if (window != 0) {
        SConnection* owner = nullptr;
        return FindWindow(Window(window), &owner) ? Drain(*owner) : true;
    }
    for (auto& c : Connections())
        if (!Drain(*c))
            return false;
    ServeQtEvents();
    return true;
}

void ShowPlaybackWindow(NativeHandle window)
{
    SConnection* owner = nullptr;
    if (!window || !FindWindow(Window(window), &owner))
        return;
    const CErrorScope scope(owner->display);
    XMoveWindow(owner->display, Window(window), 0, 0);
    XMapRaised(owner->display, Window(window));
    XFlush(owner->display);
}

void InstallEglAdapters(SEglHost& egl)
{
    if (EglLibraryEntries().getPlatformDisplay)
        XQF_HOST_SLOT(egl, eglGetDisplay) = reinterpret_cast<void*>(&GetDisplay);
    if (EglLibraryEntries().createWindowSurface)
        XQF_HOST_SLOT(egl, eglCreateWindowSurface) = reinterpret_cast<void*>(&CreateWindowSurface);
    if (EglLibraryEntries().destroySurface)
        XQF_HOST_SLOT(egl, eglDestroySurface) = reinterpret_cast<void*>(&DestroySurface);
    if (EglLibraryEntries().terminate)
        XQF_HOST_SLOT(egl, eglTerminate) = reinterpret_cast<void*>(&Terminate);
}

} // namespace x11

#else // no Xlib: the X11 back end is never available

namespace x11 {
bool Available() { return false; }
NativeHandle CreatePlaybackWindow() { return 0; }
NativeHandle MovePlaybackWindow(int32_t, uint32_t, const char*, NativeHandle) { return 0; }
void DestroyPlaybackWindow(NativeHandle, NativeHandle) {}
bool PumpPlaybackMessages(NativeHandle) { return true; }
void ShowPlaybackWindow(NativeHandle) {}
void InstallEglAdapters(SEglHost&) {}
bool WindowSurfaceSize(void*, uint32_t&, uint32_t&) { return false; }
} // namespace x11

#endif
