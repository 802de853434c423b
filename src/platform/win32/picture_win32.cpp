// Pictures through the system's own picture loader: OleLoadPicture reads BMP,
// GIF and JPEG from a stream over the file's bytes, the picture is drawn into
// a 24-bit device-independent bitmap, and its rows are copied into the
// suite's Bitmap, which is the BMP file as it will be written. No clipboard
// is involved, so nothing the user copied is lost.
//
// With MoreFormats=1 the further formats (told by their first bytes, like
// every picture here) go to the Windows Imaging Component instead: PNG is
// read on every Windows, WebP, HEIF, AVIF and JPEG XL where the system has
// their codecs (extensions from the Store on some versions). A system
// without the codec is told apart from a damaged file, so that the user
// learns which format is missing. WIC hands the pixels as stored; the
// orientation comes from the file's Exif chunk (PNG, WebP) or from the
// codec's orientation property (HEIF, AVIF, JPEG XL, whose rotation and
// mirror it reports rather than applies), and is applied once here.
// Transparent pixels are laid on black: the pixels are asked for with
// premultiplied alpha, which is exactly that.
//
// The file's bytes are read first and the stream made from memory: the
// loader never holds the file open, and a path in any code page works.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/pure/bmp_reader.h"
#include "core/pure/exif.h"
#include "core/pure/picture_format.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "picture_size_win32.h"

namespace sarvo::platform {

namespace {

// Enough for the largest bitmap the suite accepts, with its headers and palette.
constexpr std::size_t kMaxFileBytes = Bitmap::kMaxBytes + (std::size_t{1} << 20);
// The Exif block lies in the first 64 KiB of a JPEG file.
constexpr std::size_t kHeadBytes = std::size_t{1} << 17;

// COM for this thread, for as long as a picture is being loaded.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_ != nullptr) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

std::string HresultText(HRESULT hr) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// A stream over a copy of `bytes` in movable global memory, which the
// stream frees when it is released.
bool MakeStream(const std::vector<unsigned char>& bytes, ComPtr<IStream>& stream,
                std::string& why) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (memory == nullptr) {
        why = "not enough memory for the file";
        return false;
    }
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        why = "not enough memory for the file";
        return false;
    }
    if (!bytes.empty()) std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    const HRESULT hr = CreateStreamOnHGlobal(memory, TRUE, stream.out());
    if (FAILED(hr)) {
        GlobalFree(memory);
        why = "cannot make a stream: " + HresultText(hr);
        return false;
    }
    return true;
}

// Draws `picture` (width x height pixels) into `bitmap`, allocated to that
// size. The DIB is laid out bottom-up with rows padded to four bytes, as the
// bitmap holds its pixels.
//
// Where the picture leaves pixels undrawn (the transparent parts of a GIF),
// `ground` (0xRRGGBB) shows, as on every platform of the suite.
bool Draw(IPicture* picture, long width, long height, std::uint32_t ground, Bitmap& bitmap, std::string& why) {
    if (!bitmap.Allocate(width, height, why)) return false;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = dc != nullptr ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                                : nullptr;
    bool ok = dib != nullptr && bits != nullptr;
    if (!ok) {
        why = "not enough memory to draw the picture";
    } else {
        auto* fill = static_cast<unsigned char*>(bits);
        for (long y = 0; y < height; ++y, fill += bitmap.Stride())
            for (long x = 0; x < width; ++x) {
                fill[x * 3] = static_cast<unsigned char>(ground);
                fill[x * 3 + 1] = static_cast<unsigned char>(ground >> 8);
                fill[x * 3 + 2] = static_cast<unsigned char>(ground >> 16);
            }
        HGDIOBJ old = SelectObject(dc, dib);
        const HRESULT hr =
            picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
        GdiFlush();
        SelectObject(dc, old);
        if (FAILED(hr)) {
            why = "the picture cannot be drawn: " + HresultText(hr);
            ok = false;
        } else {
            // Row by row, so that the padding at the end of each row keeps
            // the zeros the bitmap gave it.
            const auto* row = static_cast<const unsigned char*>(bits);
            const std::size_t pixels = static_cast<std::size_t>(width) * 3;
            for (long y = height - 1; y >= 0; --y, row += bitmap.Stride())
                std::memcpy(bitmap.Row(static_cast<int>(y)), row, pixels);
        }
    }
    if (dib != nullptr) DeleteObject(dib);
    if (dc != nullptr) DeleteDC(dc);
    if (!ok) bitmap.Release();
    return ok;
}

// A GIF's background: the colour its global colour table gives the
// background index, black without a table or an index outside it.
std::uint32_t GifBackground(const std::vector<unsigned char>& b) {
    if (b.size() < 13 || std::memcmp(b.data(), "GIF", 3) != 0 || (b[10] & 0x80) == 0) return 0;
    const std::size_t entries = std::size_t{1} << ((b[10] & 7) + 1), index = b[11];
    if (index >= entries || 13 + 3 * (index + 1) > b.size()) return 0;
    const unsigned char* c = b.data() + 13 + 3 * index;
    return (std::uint32_t{c[0]} << 16) | (std::uint32_t{c[1]} << 8) | c[2];
}

// The orientation the codec reports (System.Photo.Orientation), 1 when it
// reports none.
int ReportedOrientation(IWICBitmapFrameDecode* frame) {
    ComPtr<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(reader.out())) || reader.get() == nullptr) return 1;
    PROPVARIANT value;
    PropVariantInit(&value);
    int orientation = 1;
    if (SUCCEEDED(reader->GetMetadataByName(L"System.Photo.Orientation", &value)) && value.vt == VT_UI2 &&
        value.uiVal >= 1 && value.uiVal <= 8)
        orientation = value.uiVal;
    PropVariantClear(&value);
    return orientation;
}

// A picture of a further format through WIC, into `bitmap`, upright.
bool LoadThroughWic(const std::vector<unsigned char>& bytes, PictureFormat format, Bitmap& bitmap, std::string& why,
                    std::string& missingDecoder) {
    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.out()));
    if (FAILED(hr)) {
        // A system without WIC at all (an early Windows XP) reads none of them.
        missingDecoder = PictureFormatName(format);
        why = "the Windows Imaging Component cannot start (" + HresultText(hr) + ")";
        return false;
    }
    ComPtr<IStream> stream;
    if (!MakeStream(bytes, stream, why)) return false;
    ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.out());
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND) {
        // The signature said what the file is; no codec on this system reads it.
        missingDecoder = PictureFormatName(format);
        why = std::string("this system has no decoder for ") + PictureFormatName(format) + " pictures";
        return false;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(hr) || FAILED(hr = decoder->GetFrame(0, frame.out())) || FAILED(hr = frame->GetSize(&width, &height))) {
        why = std::string(PictureFormatName(format)) + " file is damaged (" + HresultText(hr) + ")";
        return false;
    }
    // A size too large to hold is refused before any pixel is asked for.
    Bitmap decoded;
    if (!decoded.Allocate(static_cast<long>(width), static_cast<long>(height), why)) return false;
    // Through the factory's converter rather than WICConvertBitmapSource, so
    // that the programs import nothing from WindowsCodecs.dll and still start
    // where it is missing.
    ComPtr<IWICFormatConverter> premultiplied;
    if (FAILED(hr = factory->CreateFormatConverter(premultiplied.out())) ||
        FAILED(hr = premultiplied->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                              nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        why = std::string(PictureFormatName(format)) + " picture cannot be converted (" + HresultText(hr) + ")";
        return false;
    }
    // A band of rows at a time, each taken as blue, green, red.
    const UINT bandRows = std::max<UINT>(1, static_cast<UINT>((std::size_t{1} << 20) / (std::size_t{width} * 4)));
    std::vector<unsigned char> band(std::size_t{width} * 4 * std::min(bandRows, height));
    for (UINT top = 0; top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(hr = premultiplied->CopyPixels(&rect, width * 4, width * 4 * rows, band.data()))) {
            why = std::string(PictureFormatName(format)) + " file is damaged (" + HresultText(hr) + ")";
            return false;
        }
        for (UINT i = 0; i < rows; ++i) {
            const unsigned char* src = band.data() + std::size_t{i} * width * 4;
            unsigned char* dst = decoded.Row(static_cast<int>(top + i));
            for (UINT x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
    }
    int orientation = 1;
    if (format == PictureFormat::Png) orientation = PngExifOrientation(bytes.data(), bytes.size());
    else if (format == PictureFormat::WebP) orientation = WebPExifOrientation(bytes.data(), bytes.size());
    else orientation = ReportedOrientation(frame.get());
    if (!ApplyExifOrientation(decoded, orientation, why)) return false;
    bitmap = std::move(decoded);
    return true;
}

bool IsFurtherFormat(PictureFormat format) {
    return format != PictureFormat::Unknown && format != PictureFormat::Bmp && format != PictureFormat::Gif &&
           format != PictureFormat::Jpeg;
}

}  // namespace

bool LoadPicture(const std::string& path, Bitmap& bitmap, PictureFormats formats, std::string& why,
                 std::string& missingDecoder) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes, kMaxFileBytes, why)) return false;

    const PictureFormat format =
        DetectPictureFormat(bytes.data(), std::min(bytes.size(), kFormatHeadBytes), formats);
    if (IsFurtherFormat(format)) {
        if (!LoadThroughWic(bytes, format, bitmap, why, missingDecoder)) {
            why = path + ": " + why;
            return false;
        }
        return true;
    }
    // A size too large to hold is refused before the decoder sees the file.
    win32::DeclaredSize declared;
    if (win32::ReadDeclaredSize(bytes.data(), bytes.size(), declared) &&
        Bitmap::FileSizeFor(declared.width, declared.height) == 0) {
        why = path + ": picture size " + std::to_string(declared.width) + " x " +
              std::to_string(declared.height) + " is empty or too large";
        return false;
    }
    // BMP files are read by our own reader, as on every platform: it knows
    // the RLE, OS/2 and bit-field variants, and gives the same pixels.
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        Bitmap decoded;
        if (!DecodeBmp(bytes.data(), bytes.size(), decoded, why)) {
            why = path + ": " + why;
            return false;
        }
        bitmap = std::move(decoded);
        return true;
    }
    const std::uint32_t ground = GifBackground(bytes);
    const std::vector<unsigned char> head(bytes.begin(),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(
                                                              std::min(bytes.size(), kHeadBytes)));

    ComScope com;
    ComPtr<IStream> stream;
    if (!MakeStream(bytes, stream, why)) return false;
    const auto size = static_cast<LONG>(bytes.size());
    bytes = {};  // the stream holds its own copy

    ComPtr<IPicture> picture;
    const HRESULT hr = OleLoadPicture(stream.get(), size, FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(picture.out()));
    if (FAILED(hr) || picture.get() == nullptr) {
        why = path + ": not a picture that can be read (" + HresultText(hr) + ")";
        return false;
    }
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    BITMAP info{};
    if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP ||
        FAILED(picture->get_Handle(&handle)) ||
        GetObjectA(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof info, &info) == 0) {
        why = path + ": not a BMP, GIF or JPEG picture";
        return false;
    }
    // The size in pixels comes from the bitmap itself: the picture's size in
    // HIMETRIC depends on the resolution stored in the file.
    Bitmap decoded;
    if (!Draw(picture.get(), info.bmWidth, info.bmHeight, ground, decoded, why)) {
        why = path + ": " + why;
        return false;
    }

    const int orientation = JpegExifOrientation(head.data(), head.size());
    if (!ApplyExifOrientation(decoded, orientation, why)) {
        why = path + ": " + why;
        return false;
    }
    // The caller's bitmap is replaced only by a complete picture.
    bitmap = std::move(decoded);
    return true;
}

// OleLoadPicture hands over the whole picture at once, so there is nothing
// to stream: the bitmap is written as one piece.
bool ConvertPicture(const std::string& path, ByteSink& file, PictureFormats formats, std::string& why,
                    std::string& missingDecoder) {
    Bitmap picture;
    if (!LoadPicture(path, picture, formats, why, missingDecoder)) return false;
    file.Reserve(picture.FileSize());
    file.WriteAt(0, picture.FileData(), picture.FileSize());
    return true;
}

}  // namespace sarvo::platform
