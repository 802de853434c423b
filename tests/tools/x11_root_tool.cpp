// What the integration tests need to see of an X server's root window:
//   x11_root_tool dump FILE.ppm   the root window's pixels as a binary PPM
//   x11_root_tool alive PIXMAP    exit 0 when the pixmap (an id as xprop
//                                 prints it, e.g. 0x400001) still exists, 1
//                                 when it is gone
//   x11_root_tool stale           points _XROOTPMAP_ID and ESETROOT_PMAP_ID
//                                 at a pixmap that is freed when this tool
//                                 ends, as a setter that died leaves them
//   x11_root_tool split           makes the screen two monitors side by side
//                                 (left and right halves)
//   x11_root_tool unsplit         removes them again
// The display is the one DISPLAY names. Exit 2 on any other failure.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool gError = false;

int NoteError(Display*, XErrorEvent*) {
    gError = true;
    return 0;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "x11_root_tool: %s\n", what.c_str());
    return 2;
}

int Shift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int Dump(Display* d, const char* path) {
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const unsigned width = static_cast<unsigned>(DisplayWidth(d, screen));
    const unsigned height = static_cast<unsigned>(DisplayHeight(d, screen));
    XImage* image = XGetImage(d, root, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return Fail("cannot read the root window");
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return Fail(std::string("cannot write ") + path);
    std::fprintf(out, "P6\n%u %u\n255\n", width, height);
    const int rs = Shift(image->red_mask), gs = Shift(image->green_mask), bs = Shift(image->blue_mask);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, static_cast<int>(x), static_cast<int>(y));
            const unsigned char rgb[3] = {static_cast<unsigned char>((p & image->red_mask) >> rs),
                                          static_cast<unsigned char>((p & image->green_mask) >> gs),
                                          static_cast<unsigned char>((p & image->blue_mask) >> bs)};
            std::fwrite(rgb, 1, 3, out);
        }
    }
    XDestroyImage(image);
    return std::fclose(out) == 0 ? 0 : Fail(std::string("cannot write ") + path);
}

int Alive(Display* d, const char* id) {
    const Pixmap pixmap = std::strtoul(id, nullptr, 0);
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    const Status ok = XGetGeometry(d, pixmap, &root, &x, &y, &w, &h, &border, &depth);
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

constexpr const char* kMonitorNames[] = {"SARVO-LEFT", "SARVO-RIGHT"};

// The left half takes over the screen's first output, so that RandR lists
// no monitor of its own for it; the right half has none.
int Split(Display* d) {
    const Window root = DefaultRootWindow(d);
    XRRScreenResources* resources = XRRGetScreenResources(d, root);
    if (resources == nullptr || resources->noutput < 1) return Fail("no RandR output");
    RROutput output = resources->outputs[0];
    const int width = DisplayWidth(d, DefaultScreen(d));
    const int height = DisplayHeight(d, DefaultScreen(d));
    for (int i = 0; i < 2; ++i) {
        XRRMonitorInfo* monitor = XRRAllocateMonitor(d, i == 0 ? 1 : 0);
        monitor->name = XInternAtom(d, kMonitorNames[i], False);
        monitor->primary = i == 0;
        monitor->x = i == 0 ? 0 : width / 2;
        monitor->y = 0;
        monitor->width = i == 0 ? width / 2 : width - width / 2;
        monitor->height = height;
        monitor->mwidth = monitor->width;
        monitor->mheight = monitor->height;
        if (i == 0) monitor->outputs[0] = output;
        XRRSetMonitor(d, root, monitor);
        XRRFreeMonitors(monitor);
    }
    XRRFreeScreenResources(resources);
    XSync(d, False);
    return gError ? Fail("cannot set the monitors") : 0;
}

int Unsplit(Display* d) {
    for (const char* name : kMonitorNames)
        XRRDeleteMonitor(d, DefaultRootWindow(d), XInternAtom(d, name, False));
    XSync(d, False);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Fail("usage: x11_root_tool dump FILE | alive PIXMAP | stale | split | unsplit");
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return Fail("cannot open the display");
    XSetErrorHandler(NoteError);
    const std::string command = argv[1];
    int result;
    if (command == "dump" && argc == 3)
        result = Dump(d, argv[2]);
    else if (command == "alive" && argc == 3)
        result = Alive(d, argv[2]);
    else if (command == "stale" && argc == 2)
        result = Stale(d);
    else if (command == "split" && argc == 2)
        result = Split(d);
    else if (command == "unsplit" && argc == 2)
        result = Unsplit(d);
    else
        result = Fail("unknown command " + command);
    XCloseDisplay(d);
    return result;
}
