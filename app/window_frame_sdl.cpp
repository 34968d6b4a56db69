// The frame around the game window before it is shown. SDL learns the frame's size on
// X11 only once the window manager has framed the window, that is after it is first
// shown, which is too late for the play area; the window manager is asked here instead
// (_NET_REQUEST_FRAME_EXTENTS), and it answers with the frame it would give.
#include "app/window_frame_sdl.h"

#include <SDL_syswm.h>

#include <vector>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(BRAWLEX_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace desktop {

namespace {

struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

#if defined(SDL_VIDEO_DRIVER_X11) && defined(BRAWLEX_X11)

// How long the window manager may take to answer; one that has not answered by then
// is taken to give no frame, and the window opens all the same.
constexpr Uint32 answerMilliseconds = 1000;
constexpr Uint32 pollMilliseconds = 5;

// A property of format 32 holding up to `count` values; their number, 0 where absent.
int readLongs(Display* display, Window window, Atom property, Atom type, long* values, int count) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, count, False, type, &actualType,
                           &actualFormat, &items, &after, &data) != Success)
        return 0;
    int read = 0;
    if (data != nullptr && actualType == type && actualFormat == 32) {
        // Xlib hands format-32 items over as longs whatever the size of a long.
        const long* longs = reinterpret_cast<const long*>(data);
        for (; read < count && static_cast<unsigned long>(read) < items; ++read)
            values[read] = longs[read];
    }
    if (data != nullptr) XFree(data);
    return read;
}

// True where a window manager that follows the desktop conventions runs and offers to
// tell the frame in advance: its check window names itself, and it lists the request.
bool managerAnswersRequests(Display* display, Window root) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    long manager = 0, self = 0;
    if (readLongs(display, root, check, XA_WINDOW, &manager, 1) != 1 || manager == 0) return false;
    // A check window left behind by a manager that has gone has no such property, or
    // no longer exists (an error the caller's handler ignores, and the read is empty).
    if (readLongs(display, static_cast<Window>(manager), check, XA_WINDOW, &self, 1) != 1 ||
        self != manager)
        return false;
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    std::vector<long> atoms(4096);
    const int count =
        readLongs(display, root, supported, XA_ATOM, atoms.data(), static_cast<int>(atoms.size()));
    for (int i = 0; i < count; ++i)
        if (static_cast<Atom>(atoms[i]) == request) return true;
    return false;
}

// Xlib's errors while asking (the window manager's check window may be gone) are
// ignored instead of reaching SDL's handler, which ends the program.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

class IgnoredErrors {
  public:
    explicit IgnoredErrors(Display* display) : display(display) {
        XSync(display, False); // earlier requests' errors go to the handler in force
        previous = XSetErrorHandler(ignoreError);
    }
    ~IgnoredErrors() {
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    IgnoredErrors(const IgnoredErrors&) = delete;
    IgnoredErrors& operator=(const IgnoredErrors&) = delete;

  private:
    Display* display;
    XErrorHandler previous = nullptr;
};

bool x11FrameExtents(Display* display, Window window, FrameExtents& extents) {
    const IgnoredErrors ignored(display);
    const Window root = DefaultRootWindow(display);
    if (!managerAnswersRequests(display, root)) return false;
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    event.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    // The answer is the property set on the window. Reading it again and again leaves
    // the event queue, which is SDL's, alone.
    const Uint64 start = SDL_GetTicks64();
    for (;;) {
        long values[4] = {};
        if (readLongs(display, window, property, XA_CARDINAL, values, 4) == 4) {
            for (const long value : values)
                if (value < 0 || value > 0x10000) return false;
            extents.left = static_cast<int>(values[0]);
            extents.right = static_cast<int>(values[1]);
            extents.top = static_cast<int>(values[2]);
            extents.bottom = static_cast<int>(values[3]);
            return true;
        }
        if (SDL_GetTicks64() - start >= answerMilliseconds) return false;
        SDL_Delay(pollMilliseconds);
    }
}

#endif

} // namespace

void fitWindowToArea(SDL_Window* window, const SDL_Rect& area) {
    FrameExtents frame;
    int x = area.x, y = area.y;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    const bool x11 = SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
    if (x11) {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(BRAWLEX_X11)
        // The window manager puts the frame's outer corner where the window is asked to
        // be (the default north-west gravity): x and y stay the area's.
        if (!x11FrameExtents(info.info.x11.display, info.info.x11.window, frame)) return;
#else
        return; // SDL does not know the frame of a window not yet shown
#endif
    } else {
        // Elsewhere the window system knows the frame from the start, and a window is
        // placed by its client area.
        if (SDL_GetWindowBordersSize(window, &frame.top, &frame.left, &frame.bottom,
                                     &frame.right) != 0)
            return;
        x += frame.left;
        y += frame.top;
    }
    if (frame.left + frame.right >= area.w || frame.top + frame.bottom >= area.h) return;
    SDL_SetWindowSize(window, area.w - frame.left - frame.right, area.h - frame.top - frame.bottom);
    SDL_SetWindowPosition(window, x, y);
}

} // namespace desktop
