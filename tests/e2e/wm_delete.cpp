// Asks a top-level window to close the way a window manager's close button
// does: a WM_DELETE_WINDOW client message. The end-to-end tests run without
// a window manager, so they send it themselves.
//
//   e2e_wm_delete WINDOW_ID
//
// Fails when the window does not take part in the WM_DELETE_WINDOW protocol.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    char *end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0') {
        std::fprintf(stderr, "bad window id '%s'\n", argv[1]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const Window window = static_cast<Window>(id);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

    Atom *list = nullptr;
    int count = 0;
    bool supported = false;
    if (XGetWMProtocols(display, window, &list, &count) != 0) {
        for (int i = 0; i < count; ++i)
            supported = supported || list[i] == deleteWindow;
        XFree(list);
    }
    if (!supported) {
        std::fprintf(stderr, "window 0x%lx does not take WM_DELETE_WINDOW\n", id);
        XCloseDisplay(display);
        return 1;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (sent == 0) {
        std::fprintf(stderr, "XSendEvent failed\n");
        return 1;
    }
    return 0;
}
