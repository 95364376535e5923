// Helpers of the picture and regeneration tests: the encoder's picture of
// "hello", a canvas whose pixels can be read back, and a count of GDI objects.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "support/process_counters.h"
#include "test_support.h"

namespace preview_test {

// The shared helpers, still reachable under this namespace for its users.
using test_support::ExeFolder;
using test_support::FileExists;
using test_support::ReadBytes;
using test_support::RunZint;
using test_support::ScratchFolder;
using test_support::WriteBytes;

// The encoder's picture of "hello": 168 x 168 pixels, 1 bit a pixel with a palette.
inline bool MakeHelloPng(const std::wstring& path) {
    return test_support::MakeQrPng(path, L"hello");
}

struct Rgb {
    BYTE r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::string ToString(const Rgb& c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// A 32-bit top-down DIB in a memory DC: a destination whose pixels can be read.
class Canvas {
public:
    Canvas(int width, int height, Rgb fill) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<std::uint32_t*>(bits);
        m_dc = CreateCompatibleDC(nullptr);
        m_previous = SelectObject(m_dc, m_bitmap);
        const std::uint32_t packed = (fill.r << 16) | (fill.g << 8) | fill.b;
        for (int i = 0; i < width * height; ++i) {
            m_pixels[i] = packed;
        }
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    bool Ready() const { return m_dc != nullptr && m_pixels != nullptr; }
    Rgb At(int x, int y) const {
        GdiFlush();  // drawing may still be batched
        return Unpack(m_pixels[y * m_width + x]);
    }
    int Count(Rgb colour) const {
        GdiFlush();
        int n = 0;
        for (int i = 0; i < m_width * m_height; ++i) {
            n += Unpack(m_pixels[i]) == colour ? 1 : 0;
        }
        return n;
    }

private:
    static Rgb Unpack(std::uint32_t p) {
        return Rgb{static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p)};
    }
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    std::uint32_t* m_pixels = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};

using ::CountGdiObjects;

}  // namespace preview_test
