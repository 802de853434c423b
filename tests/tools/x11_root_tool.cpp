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

bool gError = false;
int NoteError(Display*, XErrorEvent*) { return gError = true, 0; }

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return std::fprintf(stderr, "x11_root_tool: cannot open the display\n"), 2;
    XSetErrorHandler(NoteError);
    const std::string command = argc > 1 ? argv[1] : "";
    const unsigned long id = argc > 2 ? std::strtoul(argv[2], nullptr, 0) : 0;
    int result = 2;
    if (command == "alive" && argc == 3) {
        Window root;
        int x, y;
        unsigned w, h, border, depth;
        result = XGetGeometry(d, id, &root, &x, &y, &w, &h, &border, &depth) != 0 ? 0 : 1;
    } else if (command == "stale" && argc == 2) {  // closing the connection frees the pixmap
        const Window root = DefaultRootWindow(d);
        const unsigned long pixmap = XCreatePixmap(d, root, 1, 1, static_cast<unsigned>(DefaultDepth(d, DefaultScreen(d))));
        for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
            XChangeProperty(d, root, XInternAtom(d, name, False), XA_PIXMAP, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pixmap), 1);
        result = std::printf("0x%lx\n", pixmap) > 0 ? 0 : 2;
    } else if (command == "close" && argc == 3) {
        XEvent event{};
        event.xclient = {ClientMessage, 0, False, d, id, XInternAtom(d, "WM_PROTOCOLS", False), 32, {}};
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
        result = XSendEvent(d, id, False, NoEventMask, &event) != 0 ? 0 : 2;
    } else {
        std::fprintf(stderr, "x11_root_tool: alive PIXMAP | stale | close WINDOW\n");
    }
    XSync(d, False);
    XCloseDisplay(d);
    return gError ? (command == "alive" ? 1 : 2) : result;
}
