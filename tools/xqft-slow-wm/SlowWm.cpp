// xqft-slow-wm [--delay-ms N]: a window manager that takes over the configure and map requests of
// the screen's top-level windows and carries each one out N milliseconds (default 1000) after it
// arrived. A window manager may apply a client's resize whenever it gets to it: a client that draws
// into a window it has just resized, without waiting for the resize, sees the old size under this
// one every time instead of now and then. Prints "ready" on standard output once it holds the
// redirection; exits 1 when another window manager holds it. Runs until the server goes.
#include <X11/Xlib.h>

#include <sys/select.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace {

using Clock = std::chrono::steady_clock;

struct SPending
{
    Clock::time_point due;
    XEvent request;
};

bool g_refused = false;

int NoteRefusal(Display*, XErrorEvent* e)
{
    // BadAccess on selecting the redirection: another client manages the screen. Later errors
    // (a window gone before its request was carried out) are expected and ignored.
    if (e->error_code == BadAccess)
        g_refused = true;
    return 0;
}

// The window a request is for (a request's own first window field names its parent).
Window WindowOf(const XEvent& e)
{
    return e.type == MapRequest ? e.xmaprequest.window : e.xconfigurerequest.window;
}

void CarryOut(Display* d, const XEvent& e)
{
    if (e.type == MapRequest) {
        XMapWindow(d, WindowOf(e));
        return;
    }
    const XConfigureRequestEvent& r = e.xconfigurerequest;
    XWindowChanges changes{};
    changes.x = r.x;
    changes.y = r.y;
    changes.width = r.width;
    changes.height = r.height;
    changes.border_width = r.border_width;
    changes.sibling = r.above;
    changes.stack_mode = r.detail;
    XConfigureWindow(d, r.window, unsigned(r.value_mask), &changes);
}

} // namespace

int main(int argc, char** argv)
{
    long delayMs = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--delay-ms") == 0 && i + 1 < argc) {
            delayMs = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: xqft-slow-wm [--delay-ms N]\n");
            return 2;
        }
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xqft-slow-wm: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(&NoteRefusal);
    XSelectInput(d, DefaultRootWindow(d), SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(d, False);
    if (g_refused) {
        std::fprintf(stderr, "xqft-slow-wm: another window manager is running\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    std::deque<SPending> pending;
    const int fd = ConnectionNumber(d);
    for (;;) {
        while (XPending(d) > 0) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapRequest || e.type == ConfigureRequest)
                pending.push_back({Clock::now() + std::chrono::milliseconds(delayMs), e});
            // A request for a window that is gone is dropped: the server hands its id out again,
            // and carried out late it would size another client's window.
            if (e.type == DestroyNotify)
                std::erase_if(pending, [&](const SPending& p) { return WindowOf(p.request) == e.xdestroywindow.window; });
        }
        const auto now = Clock::now();
        while (!pending.empty() && pending.front().due <= now) {
            CarryOut(d, pending.front().request);
            pending.pop_front();
        }
        XFlush(d);
        timeval wait{1, 0};
        if (!pending.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(pending.front().due - now).count();
            wait.tv_sec = left / 1000000;
            wait.tv_usec = left % 1000000;
        }
        fd_set read;
        FD_ZERO(&read);
        FD_SET(fd, &read);
        if (select(fd + 1, &read, nullptr, nullptr, &wait) < 0)
            continue;
        // A lost server connection ends the program through Xlib's I/O error handler.
    }
}
