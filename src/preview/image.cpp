// The preview's picture: decoded by GDI+ (flat API, so no wrapper classes or
// ATL are needed) into a DIB section that this object owns.
#include "preview/image.h"

// WIN32_LEAN_AND_MEAN leaves out the COM types that <gdiplus.h> needs.
#include <objidl.h>
#include <gdiplus.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

// The one picture of the program. It lives here until the preview painting
// defines it beside the code that draws it.
CImage g_previewImage;

namespace {

namespace gdip = Gdiplus::DllExports;

// ImageLockModeRead: the MinGW headers lack the enum.
constexpr UINT IMAGE_LOCK_READ = 1;

// GDI+ runs from the first Load of the process until the last image object
// is gone; the count of live objects decides when that is.
struct GdiplusState {
    CRITICAL_SECTION lock;
    ULONG_PTR token = 0;
    int liveImages = 0;

    GdiplusState() noexcept { InitializeCriticalSection(&lock); }
    ~GdiplusState() {
        if (token != 0) {
            Gdiplus::GdiplusShutdown(token);
            token = 0;
        }
        DeleteCriticalSection(&lock);
    }
    GdiplusState(const GdiplusState&) = delete;
    GdiplusState& operator=(const GdiplusState&) = delete;
};

// Built by the first image object's constructor, so it is torn down only after
// every static image object (whatever their translation unit) is gone.
GdiplusState& SharedGdiplus() noexcept {
    static GdiplusState state;
    return state;
}

class GdiplusLock {
public:
    explicit GdiplusLock(GdiplusState& state) noexcept : m_state(state) {
        EnterCriticalSection(&m_state.lock);
    }
    ~GdiplusLock() { LeaveCriticalSection(&m_state.lock); }
    GdiplusLock(const GdiplusLock&) = delete;
    GdiplusLock& operator=(const GdiplusLock&) = delete;

private:
    GdiplusState& m_state;
};

bool StartGdiplus() noexcept {
    GdiplusState& state = SharedGdiplus();
    GdiplusLock lock(state);
    if (state.token == 0) {
        // Version 1, background thread left on: nothing here pumps GDI+'s hooks.
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
            return false;
        }
        state.token = token;
    }
    return true;
}

// The decoded file. Disposing it is what lets go of the file.
class SourceBitmap {
public:
    SourceBitmap() = default;
    ~SourceBitmap() {
        if (m_bitmap != nullptr) {
            gdip::GdipDisposeImage(m_bitmap);
        }
    }
    SourceBitmap(const SourceBitmap&) = delete;
    SourceBitmap& operator=(const SourceBitmap&) = delete;

    Gdiplus::GpBitmap** Receive() noexcept { return &m_bitmap; }
    Gdiplus::GpBitmap* Get() const noexcept { return m_bitmap; }

private:
    Gdiplus::GpBitmap* m_bitmap = nullptr;
};

// A memory DC with `bitmap` selected, compatible with `compatible` (the screen
// when null); the bitmap is deselected before the DC goes.
class BitmapDc {
public:
    BitmapDc(HDC compatible, HBITMAP bitmap) noexcept : m_dc(CreateCompatibleDC(compatible)) {
        if (m_dc != nullptr) {
            m_previous = SelectObject(m_dc, bitmap);
        }
    }
    ~BitmapDc() {
        if (m_dc != nullptr) {
            if (m_previous != nullptr && m_previous != HGDI_ERROR) {
                SelectObject(m_dc, m_previous);
            }
            DeleteDC(m_dc);
        }
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;

    // The DC, or null when it could not be made or the bitmap not selected.
    HDC Get() const noexcept {
        return m_previous != nullptr && m_previous != HGDI_ERROR ? m_dc : nullptr;
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
};

// How a decoded picture is stored: the depth of the DIB and the format in which
// GDI+ hands over the pixels for it.
struct StoreFormat {
    WORD bitsPerPixel;
    Gdiplus::PixelFormat lockFormat;
    bool indexed;
};

StoreFormat ChooseStoreFormat(Gdiplus::PixelFormat decoded) noexcept {
    if (Gdiplus::IsAlphaPixelFormat(decoded)) {
        // Kept, not blended: the paint copies the colour values as they are.
        return {32, PixelFormat32bppARGB, false};
    }
    if (Gdiplus::IsIndexedPixelFormat(decoded)) {
        const UINT bits = Gdiplus::GetPixelFormatSize(decoded);
        if (bits == 1 || bits == 4 || bits == 8) {
            return {static_cast<WORD>(bits), decoded, true};
        }
    }
    if (decoded == PixelFormat24bppRGB) {
        return {24, PixelFormat24bppRGB, false};
    }
    return {32, PixelFormat32bppRGB, false};
}

// Bytes per row of a DIB: rows are padded to 32 bits.
std::uint64_t DibStride(int width, WORD bitsPerPixel) noexcept {
    return (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

// Copies the palette of `source` into the colour table of `dib`.
HRESULT CopyPalette(Gdiplus::GpBitmap* source, HBITMAP dib) noexcept {
    INT size = 0;
    constexpr INT header = static_cast<INT>(offsetof(Gdiplus::ColorPalette, Entries));
    if (gdip::GdipGetImagePaletteSize(source, &size) != Gdiplus::Ok || size <= header) {
        return E_FAIL;
    }
    std::unique_ptr<unsigned char[]> storage(new (std::nothrow) unsigned char[size]);
    if (!storage) {
        return E_OUTOFMEMORY;
    }
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(storage.get());
    if (gdip::GdipGetImagePalette(source, palette, size) != Gdiplus::Ok) {
        return E_FAIL;
    }
    const UINT room = static_cast<UINT>((size - header) / sizeof(Gdiplus::ARGB));
    if (palette->Count == 0 || palette->Count > 256 || palette->Count > room) {
        return E_FAIL;
    }
    RGBQUAD table[256] = {};
    for (UINT i = 0; i < palette->Count; ++i) {
        const Gdiplus::ARGB entry = palette->Entries[i];
        // The entry's alpha is dropped: a DIB colour table has none.
        table[i].rgbRed = static_cast<BYTE>(entry >> 16);
        table[i].rgbGreen = static_cast<BYTE>(entry >> 8);
        table[i].rgbBlue = static_cast<BYTE>(entry);
    }
    BitmapDc dc(nullptr, dib);
    if (dc.Get() == nullptr || SetDIBColorTable(dc.Get(), 0, palette->Count, table) == 0) {
        return E_FAIL;
    }
    return S_OK;
}

// Copies the pixels of `source` into the top-down DIB memory at `bits`.
HRESULT CopyPixels(Gdiplus::GpBitmap* source, int width, int height, const StoreFormat& format,
                   unsigned char* bits) noexcept {
    Gdiplus::GpRect whole(0, 0, width, height);
    Gdiplus::BitmapData data = {};
    if (gdip::GdipBitmapLockBits(source, &whole, IMAGE_LOCK_READ, format.lockFormat, &data) !=
        Gdiplus::Ok) {
        return E_OUTOFMEMORY;
    }
    const std::size_t rowBytes =
        static_cast<std::size_t>((static_cast<std::uint64_t>(width) * format.bitsPerPixel + 7) / 8);
    const auto stride = static_cast<std::size_t>(DibStride(width, format.bitsPerPixel));
    const auto* from = static_cast<const unsigned char*>(data.Scan0);
    for (int y = 0; y < height; ++y) {
        // Stride may be negative (bottom-up data): step by it, whatever its sign.
        std::memcpy(bits + static_cast<std::size_t>(y) * stride,
                    from + static_cast<std::ptrdiff_t>(y) * data.Stride, rowBytes);
    }
    gdip::GdipBitmapUnlockBits(source, &data);
    return S_OK;
}

}  // namespace

CImage::CImage() noexcept {
    GdiplusState& state = SharedGdiplus();
    GdiplusLock lock(state);
    ++state.liveImages;
}

CImage::~CImage() {
    Destroy();
    GdiplusState& state = SharedGdiplus();
    GdiplusLock lock(state);
    if (--state.liveImages == 0 && state.token != 0) {
        Gdiplus::GdiplusShutdown(state.token);
        state.token = 0;
    }
}

void CImage::Destroy() noexcept {
    if (m_bitmap != nullptr) {
        DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
    m_width = 0;
    m_height = 0;
}

HRESULT CImage::Load(LPCWSTR fileName) {
    // Meant for a null object; a held picture is released rather than stranded.
    Destroy();
    if (!StartGdiplus()) {
        return E_FAIL;
    }
    const std::wstring path = fileName != nullptr ? fileName : L"";

    // Not the ICM variant: a colour profile in the file is not applied.
    SourceBitmap source;
    if (gdip::GdipCreateBitmapFromFile(path.c_str(), source.Receive()) != Gdiplus::Ok ||
        source.Get() == nullptr) {
        return E_FAIL;
    }
    UINT width = 0;
    UINT height = 0;
    Gdiplus::PixelFormat decoded = PixelFormatUndefined;
    if (gdip::GdipGetImageWidth(source.Get(), &width) != Gdiplus::Ok ||
        gdip::GdipGetImageHeight(source.Get(), &height) != Gdiplus::Ok ||
        gdip::GdipGetImagePixelFormat(source.Get(), &decoded) != Gdiplus::Ok || width == 0 ||
        height == 0 || width > INT32_MAX || height > INT32_MAX) {
        return E_FAIL;
    }
    const StoreFormat format = ChooseStoreFormat(decoded);

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = static_cast<LONG>(width);
    // Top-down, the row order GDI+ hands the rows over in.
    info.header.biHeight = -static_cast<LONG>(height);
    info.header.biPlanes = 1;
    info.header.biBitCount = format.bitsPerPixel;
    info.header.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) {
        if (dib != nullptr) {
            DeleteObject(dib);
        }
        return E_FAIL;
    }
    // From here on the object holds a picture, blank until the copies succeed.
    m_bitmap = dib;
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    auto* store = static_cast<unsigned char*>(bits);
    std::memset(store, 0,
                static_cast<std::size_t>(DibStride(m_width, format.bitsPerPixel) * height));

    if (format.indexed) {
        const HRESULT copied = CopyPalette(source.Get(), m_bitmap);
        if (copied != S_OK) {
            return copied;
        }
    }
    return CopyPixels(source.Get(), m_width, m_height, format, store);
}

bool CImage::IsNull() const noexcept { return m_bitmap == nullptr; }

int CImage::GetWidth() const noexcept { return m_width; }

int CImage::GetHeight() const noexcept { return m_height; }

BOOL CImage::StretchBlt(HDC dest, int x, int y, int width, int height, DWORD rop) const noexcept {
    if (dest == nullptr || m_bitmap == nullptr) {
        return FALSE;
    }
    BitmapDc source(dest, m_bitmap);
    if (source.Get() == nullptr) {
        return FALSE;
    }
    return ::StretchBlt(dest, x, y, width, height, source.Get(), 0, 0, m_width, m_height, rop);
}
