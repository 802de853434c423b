// sarvo-bench-one-process FOLDER BMP
//
// The least a program must do for what a changer run does, in one process
// and in the plainest way: walk FOLDER with opendir and readdir (the type
// from d_type), pick one picture at random, decode it with TurboJPEG
// straight into a BMP buffer, write BMP with fwrite (no flush to disk, no
// rename), and make it the X root window's background, centred on a screen
// of its own pixmap, published in _XROOTPMAP_ID and ESETROOT_PMAP_ID with
// the previous setter's pixmap freed, as root setters do. No settings, no
// message, no check beyond what keeps it from crashing.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <sys/stat.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
    return true;
}

void Walk(const std::string& folder, std::vector<std::string>& found) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        if (e->d_type == DT_DIR) Walk(folder + "/" + e->d_name, found);
        else if (e->d_type == DT_REG && (EndsWithNoCase(e->d_name, "jpg") || EndsWithNoCase(e->d_name, "jpeg")))
            found.push_back(folder + "/" + e->d_name);
    }
    closedir(dir);
}

int Fail(const char* what) {
    std::fprintf(stderr, "sarvo-bench-one-process: %s\n", what);
    return 1;
}

void PutLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

Pixmap PixmapProperty(Display* d, Window root, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    if (XGetWindowProperty(d, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &items, &after, &data) ==
            Success &&
        type == XA_PIXMAP && items == 1)
        pixmap = *reinterpret_cast<Pixmap*>(data);
    if (data != nullptr) XFree(data);
    return pixmap;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-one-process FOLDER BMP\n");
        return 2;
    }
    std::vector<std::string> pictures;
    Walk(argv[1], pictures);
    if (pictures.empty()) return Fail("no picture");
    std::mt19937_64 random{std::random_device{}()};
    const std::string& chosen = pictures[std::uniform_int_distribution<std::size_t>(0, pictures.size() - 1)(random)];

    std::FILE* in = std::fopen(chosen.c_str(), "rb");
    if (in == nullptr) return Fail("cannot open the picture");
    std::fseek(in, 0, SEEK_END);
    const long jpegSize = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    std::vector<unsigned char> jpeg(static_cast<std::size_t>(std::max(jpegSize, 0L)));
    if (std::fread(jpeg.data(), 1, jpeg.size(), in) != jpeg.size()) return Fail("cannot read the picture");
    std::fclose(in);

    tjhandle tj = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tj == nullptr ||
        tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colourspace) != 0)
        return Fail("cannot read the JPEG header");
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = 54 + stride * static_cast<std::size_t>(height);
    std::vector<unsigned char> bmp(size, 0);
    if (tjDecompress2(tj, jpeg.data(), jpeg.size(), bmp.data() + 54, width, static_cast<int>(stride), height,
                      TJPF_BGR, TJFLAG_BOTTOMUP) != 0)
        return Fail("cannot decode the JPEG");
    tjDestroy(tj);
    bmp[0] = 'B', bmp[1] = 'M';
    PutLe32(&bmp[2], static_cast<std::uint32_t>(size));
    PutLe32(&bmp[10], 54);
    PutLe32(&bmp[14], 40);
    PutLe32(&bmp[18], static_cast<std::uint32_t>(width));
    PutLe32(&bmp[22], static_cast<std::uint32_t>(height));
    bmp[26] = 1, bmp[28] = 24;
    PutLe32(&bmp[34], static_cast<std::uint32_t>(size - 54));
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr || std::fwrite(bmp.data(), 1, size, out) != size || std::fclose(out) != 0)
        return Fail("cannot write the BMP file");

    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return Fail("cannot open the display");
    XSetErrorHandler(IgnoreErrors);
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const int sw = DisplayWidth(d, screen), sh = DisplayHeight(d, screen);
    // The screen, centred picture on black, drawn from the bitmap's rows.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh), 0);
    const int dx = (sw - width) / 2, dy = (sh - height) / 2;
    for (int y = std::max(0, dy); y < std::min(sh, dy + height); ++y) {
        const unsigned char* row = bmp.data() + 54 + static_cast<std::size_t>(height - 1 - (y - dy)) * stride;
        for (int x = std::max(0, dx); x < std::min(sw, dx + width); ++x) {
            const unsigned char* p = row + static_cast<std::size_t>(x - dx) * 3;
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(sw) + static_cast<std::size_t>(x)] =
                (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }
    const Pixmap pixmap = XCreatePixmap(d, root, static_cast<unsigned>(sw), static_cast<unsigned>(sh),
                                        static_cast<unsigned>(DefaultDepth(d, screen)));
    XImage* image = XCreateImage(d, DefaultVisual(d, screen), static_cast<unsigned>(DefaultDepth(d, screen)), ZPixmap,
                                 0, reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(sw),
                                 static_cast<unsigned>(sh), 32, sw * 4);
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(sw), static_cast<unsigned>(sh));
    image->data = nullptr;
    XDestroyImage(image);
    XFreeGC(d, gc);

    const Atom rootAtom = XInternAtom(d, "_XROOTPMAP_ID", False);
    const Atom setrootAtom = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    XGrabServer(d);
    const Pixmap old = PixmapProperty(d, root, rootAtom);
    if (old != None && old == PixmapProperty(d, root, setrootAtom)) XKillClient(d, old);
    XChangeProperty(d, root, rootAtom, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap),
                    1);
    XChangeProperty(d, root, setrootAtom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    XUngrabServer(d);
    XSetCloseDownMode(d, RetainPermanent);
    XCloseDisplay(d);
    return 0;
}
