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
