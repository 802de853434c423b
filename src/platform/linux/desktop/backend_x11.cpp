// The root-window wallpaper. The sequence follows the convention that root
// setters share:
//   - draw into a pixmap of the screen's size and make it the root's
//     background, then publish it in _XROOTPMAP_ID and ESETROOT_PMAP_ID;
//   - before that, free the previous setter's pixmap by killing its retained
//     client, but only when both properties name the same pixmap (a live
//     compositor or desktop may own _XROOTPMAP_ID alone);
//   - keep our pixmap after we disconnect (RetainPermanent), so the next
//     setter can free it the same way.
// The previous owner may be long gone with the properties left behind: the
// kill then fails with BadValue, which the recording error handler absorbs.
#include "desktop/backend_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/pure/bmp_view.h"
#include "core/pure/compose.h"
#include "mapped_file_linux.h"
#include "x11_linux.h"

namespace sarvo::platform::x11root {

namespace {

bool Open(const x11::Connection& connection, std::string& why) {
    if (connection.get() == nullptr) {
        why = connection.why();
        return false;
    }
    x11::InstallErrorHandler();
    x11::ForgetErrors();
    return true;
}

// Where the 8 bits of one colour channel go in a pixel of the visual.
bool ChannelShift(unsigned long mask, int& shift) {
    if (mask == 0) return false;
    shift = std::countr_zero(mask);
    return (mask >> shift) == 0xff;
}

// How composed 0x00RRGGBB pixels become pixels of the root's visual.
struct PixelFormat {
    bool identity = true;  // the visual is 0x00RRGGBB already
    int redShift = 16, greenShift = 8, blueShift = 0;
    std::uint32_t fill = 0;  // bits of no channel (alpha of a 32-bit visual): all set

    std::uint32_t Convert(std::uint32_t rgb) const {
        return ((rgb >> 16 & 0xff) << redShift) | ((rgb >> 8 & 0xff) << greenShift) |
               ((rgb & 0xff) << blueShift) | fill;
    }
};

bool PixelFormatOf(Display* d, int screen, PixelFormat& format, std::string& why) {
    const Visual* visual = DefaultVisual(d, screen);
    const int depth = DefaultDepth(d, screen);
    const auto refuse = [&](const std::string& what) {
        why = "X の画面のビジュアル（深さ " + std::to_string(depth) + "、" + what +
              "）には対応していません。24 ビットか 32 ビットの TrueColor のビジュアルが必要です。";
        return false;
    };
    if (depth != 24 && depth != 32) return refuse("24 ビットでも 32 ビットでもありません");
    if (visual->c_class != TrueColor) return refuse("TrueColor ではありません");
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(d, &count);
    int bitsPerPixel = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) bitsPerPixel = formats[i].bits_per_pixel;
    if (formats != nullptr) XFree(formats);
    if (bitsPerPixel != 32) return refuse("1 ピクセル " + std::to_string(bitsPerPixel) + " ビット");
    if (!ChannelShift(visual->red_mask, format.redShift) ||
        !ChannelShift(visual->green_mask, format.greenShift) ||
        !ChannelShift(visual->blue_mask, format.blueShift))
        return refuse("色が 8 ビットずつではありません");
    const unsigned long channels = visual->red_mask | visual->green_mask | visual->blue_mask;
    format.fill = depth == 32 ? static_cast<std::uint32_t>(~channels) : 0u;
    format.identity = format.redShift == 16 && format.greenShift == 8 && format.blueShift == 0 &&
                      format.fill == 0;
    return true;
}

// The monitors clipped to the screen; the whole screen when none is left.
std::vector<ScreenRect> Monitors(Display* d, int width, int height) {
    std::vector<ScreenRect> monitors;
    for (const x11::Monitor& monitor : x11::Monitors(d)) {
        const ScreenRect& r = monitor.rect;
        const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
        const int x1 = std::min(width, r.x + r.width), y1 = std::min(height, r.y + r.height);
        if (x1 > x0 && y1 > y0) monitors.push_back({x0, y0, x1 - x0, y1 - y0});
    }
    if (monitors.empty()) monitors.push_back({0, 0, width, height});
    return monitors;
}

// Draws the composed screen into `pixmap`, a band of rows at a time so that
// the client never holds more than a megabyte of screen pixels, nor more of
// the bitmap file than one band needs.
void DrawScreen(Display* d, int screen, Pixmap pixmap, const BgrPicture& picture,
                Placement placement, const std::vector<ScreenRect>& monitors,
                const PixelFormat& format, const linux_files::MappedFile& file) {
    const int width = DisplayWidth(d, screen);
    const int height = DisplayHeight(d, screen);
    const int bandRows = std::clamp((1 << 20) / (4 * width), 1, height);
    std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * static_cast<std::size_t>(bandRows));
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    for (int y = 0; y < height; y += bandRows) {
        const int rows = std::min(bandRows, height - y);
        ComposeRows(picture, placement, monitors, width, y, rows, band.data());
        if (!format.identity)
            for (std::uint32_t& p : band) p = format.Convert(p);
        XImage* image = XCreateImage(d, DefaultVisual(d, screen), static_cast<unsigned>(DefaultDepth(d, screen)),
                                     ZPixmap, 0, reinterpret_cast<char*>(band.data()),
                                     static_cast<unsigned>(width), static_cast<unsigned>(rows), 32,
                                     width * 4);
        // The band is in this machine's byte order; Xlib swaps when the
        // server's differs.
        image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        XPutImage(d, pixmap, gc, image, 0, 0, 0, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(rows));
        image->data = nullptr;  // the band is ours, not Xlib's to free
        XDestroyImage(image);
        file.Forget();
    }
    XFreeGC(d, gc);
}

// The pixmap a root property names, or None.
Pixmap PixmapProperty(Display* d, Window root, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    if (XGetWindowProperty(d, root, property, 0, 1, False, AnyPropertyType, &type, &format, &items,
                           &after, &data) == Success &&
        type == XA_PIXMAP && format == 32 && items == 1 && data != nullptr)
        pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    if (data != nullptr) XFree(data);
    return pixmap;
}

// Frees the previous setter's pixmap when both properties agree on it, then
// publishes `pixmap` in both, or deletes them for None.
void ReplaceRootProperties(Display* d, Window root, Pixmap pixmap) {
    const Atom rootAtom = XInternAtom(d, "_XROOTPMAP_ID", True);
    const Atom setrootAtom = XInternAtom(d, "ESETROOT_PMAP_ID", True);
    if (rootAtom != None && setrootAtom != None) {
        const Pixmap old = PixmapProperty(d, root, rootAtom);
        if (old != None && old != pixmap && old == PixmapProperty(d, root, setrootAtom)) {
            std::string ignored;
            x11::TakeError(d, ignored);  // errors before this point are not the kill's
            XKillClient(d, old);
            x11::TakeError(d, ignored);  // BadValue: the owner is gone already
        }
    }
    const Atom rootProperty = XInternAtom(d, "_XROOTPMAP_ID", False);
    const Atom setrootProperty = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    if (pixmap == None) {
        XDeleteProperty(d, root, rootProperty);
        XDeleteProperty(d, root, setrootProperty);
        return;
    }
    const unsigned long value = pixmap;
    XChangeProperty(d, root, rootProperty, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    XChangeProperty(d, root, setrootProperty, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
}

}  // namespace

bool Apply(const std::string& path, Placement placement, std::string& why) {
    linux_files::MappedFile file;
    if (!file.Open(path, why)) return false;
    BgrPicture picture;
    if (!ViewBmp24(file.data(), file.size(), picture, why)) {
        why = why + "：" + path;
        return false;
    }

    const x11::Connection connection;
    if (!Open(connection, why)) return false;
    Display* d = connection.get();
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    PixelFormat format;
    if (!PixelFormatOf(d, screen, format, why)) return false;
    const int width = DisplayWidth(d, screen);
    const int height = DisplayHeight(d, screen);

    const Pixmap pixmap = XCreatePixmap(d, root, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height),
                                        static_cast<unsigned>(DefaultDepth(d, screen)));
    DrawScreen(d, screen, pixmap, picture, placement, Monitors(d, width, height), format, file);
    if (x11::TakeError(d, why)) {
        why = "壁紙を描けませんでした。" + why;
        XFreePixmap(d, pixmap);
        XSync(d, False);
        return false;
    }

    // Our pixmap must outlive this connection; the next setter frees it, by
    // ending the client that made it. The grab is held until the connection
    // closes, so that a second changer at the same moment cannot end this
    // one while it still runs.
    XGrabServer(d);
    ReplaceRootProperties(d, root, pixmap);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    XSetCloseDownMode(d, RetainPermanent);
    if (x11::TakeError(d, why)) {
        XSetCloseDownMode(d, DestroyAll);
        why = "ルート ウィンドウの背景を設定できませんでした。" + why;
        return false;
    }
    return true;
}

bool Clear(std::string& why) {
    const x11::Connection connection;
    if (!Open(connection, why)) return false;
    Display* d = connection.get();
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    XGrabServer(d);
    ReplaceRootProperties(d, root, None);
    XSetWindowBackground(d, root, BlackPixel(d, screen));
    XClearWindow(d, root);
    XUngrabServer(d);
    if (x11::TakeError(d, why)) {
        why = "ルート ウィンドウを消去できませんでした。" + why;
        return false;
    }
    return true;
}

}  // namespace sarvo::platform::x11root

namespace sarvo::platform {

namespace {

// Whether the display opens; asked once per run.
bool Connect(std::string& why) {
    static const std::string failure = [] {
        const x11::Connection connection;
        return connection.why();
    }();
    why = failure;
    return failure.empty();
}

}  // namespace

bool DetectX11Root(const Environment& environment) {
    return !Value(environment, "DISPLAY").empty() && !IsWaylandSession(environment) &&
           !NamesKnownDesktop(environment);
}

const DesktopBackend kX11RootBackend{"x11", DetectX11Root, Connect, x11root::Apply, x11root::Clear};

}  // namespace sarvo::platform
