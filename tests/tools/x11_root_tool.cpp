// What the integration tests need of the X server (DISPLAY) that X's own tools lack:
//   alive PIXMAP   exit 0 while the pixmap (as xprop prints it) exists, else 1
//   stale          points _XROOTPMAP_ID and ESETROOT_PMAP_ID at a pixmap freed
//                  when this tool ends, as a setter that died leaves them
//   close WINDOW   WM_DELETE_WINDOW, as a window manager's close button sends
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool gError = false;
int NoteError(Display*, XErrorEvent*) { return gError = true, 0; }

int Alive(Display* d, const char* id) {
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    const Status ok = XGetGeometry(d, std::strtoul(id, nullptr, 0), &root, &x, &y, &w, &h, &border, &depth);
    XSync(d, False);
    return ok != 0 && !gError ? 0 : 1;
}

int Stale(Display* d) {
    const Window root = DefaultRootWindow(d);
    const Pixmap pixmap = XCreatePixmap(d, root, 1, 1, static_cast<unsigned>(DefaultDepth(d, DefaultScreen(d))));
    const unsigned long value = pixmap;
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
        XChangeProperty(d, root, XInternAtom(d, name, False), XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
    XSync(d, False);
    std::printf("0x%lx\n", pixmap);
    return 0;  // closing the connection frees the pixmap
}

int Close(Display* d, const char* id) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(id, nullptr, 0);
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d, event.xclient.window, False, NoEventMask, &event);
    XSync(d, False);
    return sent != 0 && !gError ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return std::fprintf(stderr, "x11_root_tool: cannot open the display\n"), 2;
    XSetErrorHandler(NoteError);
    const std::string command = argc > 1 ? argv[1] : "";
    const int result = command == "alive" && argc == 3 ? Alive(d, argv[2])
                       : command == "stale" && argc == 2 ? Stale(d)
                       : command == "close" && argc == 3 ? Close(d, argv[2])
                                                         : (std::fprintf(stderr, "x11_root_tool: alive PIXMAP | stale | close WINDOW\n"), 2);
    XCloseDisplay(d);
    return result;
}
