// The frame around the game window before it is shown. SDL learns the frame's size on
// X11 only once the window manager has framed the window, that is after it is first
// shown, which is too late for the play area; the window manager is asked here instead
// (_NET_REQUEST_FRAME_EXTENTS), and it answers with the frame it would give.
#include "app/window_frame_sdl.h"

#include <SDL_loadso.h>
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

// The few Xlib calls used here, taken from the Xlib that SDL's X11 driver has loaded
// already: the program itself needs no library beyond SDL2 (and none at all of X11's
// on a system without it, under Wayland or with no display).
struct Xlib {
    decltype(&::XGetWindowProperty) getWindowProperty = nullptr;
    decltype(&::XFree) free = nullptr;
    decltype(&::XInternAtom) internAtom = nullptr;
    decltype(&::XSync) sync = nullptr;
    decltype(&::XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&::XSendEvent) sendEvent = nullptr;
    decltype(&::XFlush) flush = nullptr;
};

template <typename Function> bool loadCall(void* library, const char* name, Function& call) {
    call = reinterpret_cast<Function>(SDL_LoadFunction(library, name));
    return call != nullptr;
}

// Null where Xlib cannot be loaded; the window then opens as without a window manager.
const Xlib* xlib() {
    static const Xlib* const loaded = []() -> const Xlib* {
        static Xlib calls;
        void* library = SDL_LoadObject("libX11.so.6");
        if (library == nullptr) return nullptr;
        // Kept loaded for the program's life, as SDL keeps it.
        const bool all = loadCall(library, "XGetWindowProperty", calls.getWindowProperty) &&
                         loadCall(library, "XFree", calls.free) &&
                         loadCall(library, "XInternAtom", calls.internAtom) &&
                         loadCall(library, "XSync", calls.sync) &&
                         loadCall(library, "XSetErrorHandler", calls.setErrorHandler) &&
                         loadCall(library, "XSendEvent", calls.sendEvent) &&
                         loadCall(library, "XFlush", calls.flush);
        return all ? &calls : nullptr;
    }();
    return loaded;
}

// A property of format 32 holding up to `count` values; their number, 0 where absent.
int readLongs(Display* display, Window window, Atom property, Atom type, long* values, int count) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (xlib()->getWindowProperty(display, window, property, 0, count, False, type, &actualType,
                                  &actualFormat, &items, &after, &data) != Success)
        return 0;
    int read = 0;
    if (data != nullptr && actualType == type && actualFormat == 32) {
        // Xlib hands format-32 items over as longs whatever the size of a long.
        const long* longs = reinterpret_cast<const long*>(data);
        for (; read < count && static_cast<unsigned long>(read) < items; ++read)
            values[read] = longs[read];
    }
    if (data != nullptr) xlib()->free(data);
    return read;
}

// True where a window manager that follows the desktop conventions runs and offers to
// tell the frame in advance: its check window names itself, and it lists the request.
bool managerAnswersRequests(Display* display, Window root) {
    const Atom check = xlib()->internAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    long manager = 0, self = 0;
    if (readLongs(display, root, check, XA_WINDOW, &manager, 1) != 1 || manager == 0) return false;
    // A check window left behind by a manager that has gone has no such property, or
    // no longer exists (an error the caller's handler ignores, and the read is empty).
    if (readLongs(display, static_cast<Window>(manager), check, XA_WINDOW, &self, 1) != 1 ||
        self != manager)
        return false;
    const Atom supported = xlib()->internAtom(display, "_NET_SUPPORTED", False);
    const Atom request = xlib()->internAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
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
        xlib()->sync(display, False); // earlier requests' errors go to the handler in force
        previous = xlib()->setErrorHandler(ignoreError);
    }
    ~IgnoredErrors() {
        xlib()->sync(display, False);
        xlib()->setErrorHandler(previous);
    }
    IgnoredErrors(const IgnoredErrors&) = delete;
    IgnoredErrors& operator=(const IgnoredErrors&) = delete;

  private:
    Display* display;
    XErrorHandler previous = nullptr;
};

bool x11FrameExtents(Display* display, Window window, FrameExtents& extents) {
    if (xlib() == nullptr) return false;
    const IgnoredErrors ignored(display);
    const Window root = DefaultRootWindow(display);
    if (!managerAnswersRequests(display, root)) return false;
    const Atom property = xlib()->internAtom(display, "_NET_FRAME_EXTENTS", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = xlib()->internAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    event.xclient.format = 32;
    xlib()->sendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask,
                      &event);
    xlib()->flush(display);
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
