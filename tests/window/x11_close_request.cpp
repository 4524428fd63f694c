// SPDX-License-Identifier: GPL-3.0-or-later
// Asks one X11 window to close, as a window manager's close box does: a WM_PROTOCOLS client
// message carrying WM_DELETE_WINDOW. On a bare virtual screen there is no window manager to send
// it, and destroying the window (what xdotool's windowclose does) skips the program's own close.
//
// Usage: x11_close_request WINDOW-ID
// Exit codes: 0 sent; 1 usage; 2 no display; 3 no such window; 4 the window does not take
// WM_DELETE_WINDOW.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool g_badWindow = false;

int noteError(Display *, XErrorEvent *error)
{
    if (error->error_code == BadWindow)
        g_badWindow = true;
    return 0;
}

bool takesDeleteWindow(Display *display, Window window, Atom deleteWindow)
{
    Atom *protocols = nullptr;
    int count = 0;
    if (!XGetWMProtocols(display, window, &protocols, &count))
        return false;
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || protocols[i] == deleteWindow;
    XFree(protocols);
    return found;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 1;
    }
    char *end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    if (!end || *end != '\0' || window == 0) {
        std::fprintf(stderr, "not a window id: %s\n", argv[1]);
        return 1;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(noteError);

    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || g_badWindow) {
        std::fprintf(stderr, "no window %s\n", argv[1]);
        XCloseDisplay(display);
        return 3;
    }
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!takesDeleteWindow(display, window, deleteWindow)) {
        std::fprintf(stderr, "window %s does not list WM_DELETE_WINDOW in WM_PROTOCOLS\n", argv[1]);
        XCloseDisplay(display);
        return 4;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    const bool gone = g_badWindow;
    XCloseDisplay(display);
    if (gone) {
        std::fprintf(stderr, "window %s went away before the request reached it\n", argv[1]);
        return 3;
    }
    return 0;
}
