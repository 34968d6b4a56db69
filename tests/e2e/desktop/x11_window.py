"""Asks an X window to close as its close box does (the WM_DELETE_WINDOW message a
window manager sends), through libX11 with ctypes: xdotool can only destroy a window
or kill its client, neither of which is the close box."""

import ctypes
import ctypes.util


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


_CLIENT_MESSAGE = 33
_NO_EVENT_MASK = 0


def _xlib():
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    lib = ctypes.CDLL(name)
    lib.XOpenDisplay.restype = ctypes.c_void_p
    lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    lib.XInternAtom.restype = ctypes.c_ulong
    lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_Event)]
    lib.XFlush.argtypes = [ctypes.c_void_p]
    lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return lib


def request_close(display_name, window_id):
    """Sends WM_DELETE_WINDOW to the window; False when the display cannot be opened."""
    lib = _xlib()
    display = lib.XOpenDisplay(display_name.encode())
    if not display:
        return False
    try:
        protocols = lib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        delete = lib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event = _Event()
        event.client.type = _CLIENT_MESSAGE
        event.client.window = int(window_id)
        event.client.message_type = protocols
        event.client.format = 32
        event.client.data[0] = delete
        event.client.data[1] = 0  # CurrentTime
        lib.XSendEvent(display, int(window_id), 0, _NO_EVENT_MASK, ctypes.byref(event))
        lib.XFlush(display)
        return True
    finally:
        lib.XCloseDisplay(display)


_PROP_MODE_REPLACE = 0
_XA_ATOM = 4
_XA_CARDINAL = 6
_XA_WINDOW = 33
_XA_WM_SIZE_HINTS = 41


def _longs(values):
    return (ctypes.c_long * len(values))(*values)


def _set_property(lib, display, window, name, type_atom, values):
    lib.XChangeProperty(display, window, lib.XInternAtom(display, name, 0), type_atom, 32,
                        _PROP_MODE_REPLACE, ctypes.cast(_longs(values), ctypes.c_void_p),
                        len(values))


class Panel:
    """A dock window along one or more edges of the screen that reserves them, as a
    desktop panel does: a window of type _NET_WM_WINDOW_TYPE_DOCK with
    _NET_WM_STRUT_PARTIAL (and the older _NET_WM_STRUT), which a window manager takes
    out of the work area. struts = {"left": pixels, "right": ..., "top": ..., "bottom":
    ...}. It lives as long as its connection: close() takes it away."""

    def __init__(self, display_name, screen, struts):
        self._lib = lib = _xlib()
        lib.XDefaultRootWindow.restype = ctypes.c_ulong
        lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        lib.XCreateSimpleWindow.restype = ctypes.c_ulong
        lib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                            ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                            ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        lib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                        ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_void_p, ctypes.c_int]
        lib.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._display = lib.XOpenDisplay(display_name.encode())
        if not self._display:
            raise OSError(f"cannot open the display {display_name}")
        width, height = screen
        left, right = struts.get("left", 0), struts.get("right", 0)
        top, bottom = struts.get("top", 0), struts.get("bottom", 0)
        # The window covers the first reserved edge; a grey bar, as a panel is.
        if top:
            x, y, w, h = 0, 0, width, top
        elif bottom:
            x, y, w, h = 0, height - bottom, width, bottom
        elif left:
            x, y, w, h = 0, 0, left, height
        else:
            x, y, w, h = width - right, 0, right, height
        root = lib.XDefaultRootWindow(self._display)
        self.window = lib.XCreateSimpleWindow(self._display, root, x, y, w, h, 0, 0, 0x808080)
        atom = lambda name: lib.XInternAtom(self._display, name, 0)  # noqa: E731
        _set_property(lib, self._display, self.window, b"_NET_WM_WINDOW_TYPE", _XA_ATOM,
                      [atom(b"_NET_WM_WINDOW_TYPE_DOCK")])
        # left, right, top, bottom, then the start and end of each along its edge.
        _set_property(lib, self._display, self.window, b"_NET_WM_STRUT_PARTIAL", _XA_CARDINAL,
                      [left, right, top, bottom, 0, height - 1 if left else 0,
                       0, height - 1 if right else 0, 0, width - 1 if top else 0,
                       0, width - 1 if bottom else 0])
        _set_property(lib, self._display, self.window, b"_NET_WM_STRUT", _XA_CARDINAL,
                      [left, right, top, bottom])
        # Where it asks to be (USPosition, USSize): on its edge, not where the window
        # manager would put a new window.
        _set_property(lib, self._display, self.window, b"WM_NORMAL_HINTS", _XA_WM_SIZE_HINTS,
                      [1 | 2, x, y, w, h] + [0] * 13)
        lib.XMapWindow(self._display, self.window)
        lib.XFlush(self._display)

    def close(self):
        if self._display:
            self._lib.XCloseDisplay(self._display)
            self._display = None


class _SetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("cursor", ctypes.c_ulong)]


_CW_OVERRIDE_REDIRECT = 1 << 9


class FocusSink:
    """A one-pixel window in the screen's corner that no window manager manages
    (override-redirect), to give the keyboard focus to: the game loses it to another
    window, as when a player clicks elsewhere. Under a window manager, focus given to
    the root window is handed straight back to the last window that had it."""

    def __init__(self, display_name):
        self._lib = lib = _xlib()
        lib.XDefaultRootWindow.restype = ctypes.c_ulong
        lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        lib.XCreateSimpleWindow.restype = ctypes.c_ulong
        lib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                            ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                            ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        lib.XChangeWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                                ctypes.POINTER(_SetWindowAttributes)]
        lib.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._display = lib.XOpenDisplay(display_name.encode())
        if not self._display:
            raise OSError(f"cannot open the display {display_name}")
        root = lib.XDefaultRootWindow(self._display)
        self.window = lib.XCreateSimpleWindow(self._display, root, 0, 0, 1, 1, 0, 0, 0xFFFFFF)
        attributes = _SetWindowAttributes(override_redirect=1)
        lib.XChangeWindowAttributes(self._display, self.window, _CW_OVERRIDE_REDIRECT,
                                    ctypes.byref(attributes))
        lib.XMapWindow(self._display, self.window)
        lib.XFlush(self._display)

    def close(self):
        if self._display:
            self._lib.XCloseDisplay(self._display)
            self._display = None


def set_root_window_property(display_name, name, window_id):
    """Sets a property of type WINDOW on the root window; False when the display cannot
    be opened."""
    lib = _xlib()
    lib.XDefaultRootWindow.restype = ctypes.c_ulong
    lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    lib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                    ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                    ctypes.c_void_p, ctypes.c_int]
    display = lib.XOpenDisplay(display_name.encode())
    if not display:
        return False
    try:
        _set_property(lib, display, lib.XDefaultRootWindow(display), name.encode(), _XA_WINDOW,
                      [window_id])
        lib.XFlush(display)
        return True
    finally:
        lib.XCloseDisplay(display)
