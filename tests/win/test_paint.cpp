// The preview frame as it appears on screen: the real main window template,
// painted by PaintPreview, read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "payload/payload.h"
#include "preview/fit.h"
#include "preview/preview.h"
#include "test_support.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace {

using namespace test_support;

// A picture of one colour with exactly known proportions (GDI+ reads BMP as well as PNG).
bool MakeBlackBmp(const std::wstring& output, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    const std::vector<char> pixels(static_cast<std::size_t>(stride * height), 0);
    HANDLE handle = CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(handle, &file, sizeof file, &written, nullptr) &&
              WriteFile(handle, &info, sizeof info, &written, nullptr) &&
              WriteFile(handle, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(handle);
    return ok;
}

// Wine needs a few rounds to show what was drawn.
constexpr int SETTLE_ROUNDS = 5;

int g_paintCount = 0;

// The main window's template with only the painting wired up: the state that is
// painted is set by each test itself, not by a regeneration.
INT_PTR CALLBACK PaintOnlyProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAINT:
        ++g_paintCount;
        return PaintPreview(hwnd);
    default:
        return FALSE;
    }
}

// The client area as it stands on screen, one COLORREF-like 0x00RRGGBB value per pixel.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

bool operator==(const Shot& a, const Shot& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

Shot Capture(HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    Shot shot;
    shot.width = client.right;
    shot.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(hwnd);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    shot.pixels.assign(first, first + static_cast<std::size_t>(shot.width) * shot.height);
    for (std::uint32_t& pixel : shot.pixels) {
        pixel &= 0x00FFFFFF;
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    ReleaseDC(hwnd, screen);
    return shot;
}

bool IsBlack(std::uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r < 64 && g < 64 && b < 64;
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

class PreviewPaint : public ::testing::Test {
protected:
    // One window for the whole suite: under Wine without a window manager,
    // destroying a shown window waits two seconds for it to be withdrawn.
    static void SetUpTestSuite() {
        s_window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                      PaintOnlyProc, 0);
        if (s_window != nullptr) {
            ShowWindow(s_window, SW_SHOW);
            UpdateWindow(s_window);
            PumpMessages(SETTLE_ROUNDS);
        }
    }

    static void TearDownTestSuite() {
        if (s_window != nullptr) {
            DestroyWindow(s_window);
            s_window = nullptr;
        }
        PumpMessages(SETTLE_ROUNDS);
    }

    void SetUp() override {
        g_previewImage.Destroy();
        g_payload.clear();
        window_ = s_window;
        ASSERT_NE(window_, nullptr);
        frame_ = ChildRectInClient(window_, IDC_PREVIEW);
        ASSERT_GT(frame_.right - frame_.left, 50);
        ASSERT_GT(frame_.bottom - frame_.top, 50);
        // The static control draws a one-pixel black border over the frame's
        // edge: what the preview paints is judged inside it.
        interior_ = frame_;
        InflateRect(&interior_, -2, -2);
        // Between the "Preview" group box and the frame: plain dialog background.
        background_ = Capture(window_).At(frame_.left - 3, (frame_.top + frame_.bottom) / 2);
    }

    void TearDown() override {
        g_previewImage.Destroy();
        g_payload.clear();
    }

    // As a regeneration ends: the frame is invalidated with erasing, then painted.
    void Repaint(const RECT* area) {
        InvalidateRect(window_, area, TRUE);
        UpdateWindow(window_);
        PumpMessages(SETTLE_ROUNDS);
    }

    // Pixels of the frame's interior that are not the background.
    int InkInside(const Shot& shot, RECT* inkBounds) const {
        int ink = 0;
        SetRect(inkBounds, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
        for (int y = interior_.top; y < interior_.bottom; ++y) {
            for (int x = interior_.left; x < interior_.right; ++x) {
                if (shot.At(x, y) != background_) {
                    ++ink;
                    inkBounds->left = std::min<LONG>(inkBounds->left, x);
                    inkBounds->top = std::min<LONG>(inkBounds->top, y);
                    inkBounds->right = std::max<LONG>(inkBounds->right, x + 1);
                    inkBounds->bottom = std::max<LONG>(inkBounds->bottom, y + 1);
                }
            }
        }
        return ink;
    }

    static HWND s_window;
    HWND window_ = nullptr;
    RECT frame_ = {};
    RECT interior_ = {};
    std::uint32_t background_ = 0;
    ScratchFolder scratch_;  // removed after TearDown has let go of the picture
};

HWND PreviewPaint::s_window = nullptr;

TEST_F(PreviewPaint, NeitherPictureNorPayloadLeavesTheFrameBlank) {
    Repaint(&frame_);
    RECT bounds;
    EXPECT_EQ(InkInside(Capture(window_), &bounds), 0);
    RECT fitted = {1, 2, 3, 4};
    FitPreviewRect(window_, &fitted);
    EXPECT_TRUE(IsRectEmpty(&fitted) && fitted.left == 0 && fitted.top == 0) << "no picture, no fitted rectangle";
}

TEST_F(PreviewPaint, PictureFillsTheFittedRectangleAndLeavesTheMarginsErased) {
    struct Case {
        const char* name;
        int width, height;
        const wchar_t* payload;
        bool fullWidth;
    };
    const Case cases[] = {
        {"wide picture: margins above and below", 40, 20, L"", true},
        {"tall picture: margins left and right", 20, 40, L"", false},
        {"a payload changes nothing once there is a picture", 40, 20, L"text", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_previewImage.Destroy();
        g_payload = c.payload;
        const std::wstring bmp =
            scratch_.File((std::to_wstring(c.width) + L"x" + std::to_wstring(c.height) + L".bmp").c_str());
        ASSERT_TRUE(MakeBlackBmp(bmp, c.width, c.height));
        ASSERT_EQ(g_previewImage.Load(bmp.c_str()), S_OK);
        Repaint(&frame_);

        RECT fitted;
        FitPreviewRect(window_, &fitted);
        // The margins must really exist for this check to say anything.
        if (c.fullWidth) {
            ASSERT_GT(fitted.top - frame_.top, 10);
        } else {
            ASSERT_GT(fitted.left - frame_.left, 10);
        }
        const Shot shot = Capture(window_);
        int wrong = 0;
        for (int y = interior_.top; y < interior_.bottom; ++y) {
            for (int x = interior_.left; x < interior_.right; ++x) {
                const bool expectBlack = Inside(fitted, x, y);
                const std::uint32_t pixel = shot.At(x, y);
                if (expectBlack ? !IsBlack(pixel) : pixel != background_) {
                    if (++wrong <= 5) {
                        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel << std::dec
                                      << ", fitted (" << fitted.left << ", " << fitted.top << ", " << fitted.right
                                      << ", " << fitted.bottom << ")";
                    }
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(PreviewPaint, QrCodeFromTheEncoderIsStretchedOverTheFrame) {
    const std::wstring png = scratch_.File(L"qr.png");
    ASSERT_TRUE(MakeQrPng(png, L"hello"));
    ASSERT_EQ(g_previewImage.Load(png.c_str()), S_OK);
    Repaint(&frame_);

    RECT fitted;
    FitPreviewRect(window_, &fitted);
    const Shot shot = Capture(window_);
    // The three finder patterns sit in the corners of a QR code: black there,
    // white (the picture, not the background) inside them one module further in.
    const int module = (fitted.right - fitted.left) / 21;
    ASSERT_GE(module, 3);
    const POINT corners[] = {
        {fitted.left + module / 2 + 2, fitted.top + module / 2 + 2},
        {fitted.right - module / 2 - 2, fitted.top + module / 2 + 2},
        {fitted.left + module / 2 + 2, fitted.bottom - module / 2 - 2},
    };
    for (const POINT& p : corners) {
        EXPECT_TRUE(IsBlack(shot.At(p.x, p.y))) << "finder ring at (" << p.x << ", " << p.y << ")";
    }
    const int whiteX = fitted.left + module + module / 2;
    const int whiteY = fitted.top + module + module / 2;
    EXPECT_EQ(shot.At(whiteX, whiteY), 0xFFFFFFu) << "inside the finder ring";
    // Bottom right holds no finder pattern, so modules of both colours appear
    // across the picture: it is the code, not a filled box.
    int black = 0, white = 0;
    for (int y = fitted.top; y < fitted.bottom; ++y) {
        for (int x = fitted.left; x < fitted.right; ++x) {
            (IsBlack(shot.At(x, y)) ? black : white) += Inside(interior_, x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(black, 1000);
    EXPECT_GT(white, 1000);
}

TEST_F(PreviewPaint, PayloadWithoutPictureShowsTheErrorTextCentredInTheFrame) {
    g_payload = L"hello";
    Repaint(&frame_);
    const Shot shot = Capture(window_);
    RECT ink;
    ASSERT_GT(InkInside(shot, &ink), 50) << "no error text in the frame";

    // The text box the platform measures for the text in the paint DC's default
    // font, centred: no ink outside it.
    HDC dc = GetDC(window_);
    RECT measured = frame_;
    DrawTextW(dc, L"error: Could not generate QR code", -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    ReleaseDC(window_, dc);
    const Box box = CentreBox(Box{frame_.left, frame_.top, frame_.right, frame_.bottom},
                              measured.right - measured.left, measured.bottom - measured.top);
    EXPECT_GE(ink.left, box.left);
    EXPECT_GE(ink.top, box.top);
    EXPECT_LE(ink.right, box.right);
    EXPECT_LE(ink.bottom, box.bottom);
    // And as a person sees it: the ink stands in the middle of the frame.
    EXPECT_NEAR(ink.left - frame_.left, frame_.right - ink.right, 3);
    EXPECT_NEAR(ink.top - frame_.top, frame_.bottom - ink.bottom, measured.bottom - measured.top);
    EXPECT_GT(ink.top - frame_.top, 20) << "the text hangs at the frame's top";
    // (Whether the glyphs' background is left transparent cannot be seen here:
    // Wine fills no text background in either mode.)
}

TEST_F(PreviewPaint, DrawErrorTextWithoutDcOrRectangleDrawsNothing) {
    Repaint(&frame_);
    const Shot before = Capture(window_);
    HDC dc = GetDC(window_);
    DrawErrorText(dc, nullptr);
    DrawErrorText(nullptr, &frame_);
    ReleaseDC(window_, dc);
    PumpMessages(SETTLE_ROUNDS);
    EXPECT_TRUE(Capture(window_) == before);
}

TEST_F(PreviewPaint, EveryRepaintShowsTheSameContentAgain) {
    const std::wstring png = scratch_.File(L"again.png");
    ASSERT_TRUE(MakeQrPng(png, L"again"));
    struct Case {
        const char* name;
        bool picture;
        const wchar_t* payload;
        bool ink;
    };
    const Case cases[] = {
        {"picture", true, L"again", true},
        {"error text", false, L"again", true},
        {"blank", false, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_previewImage.Destroy();
        if (c.picture) {
            ASSERT_EQ(g_previewImage.Load(png.c_str()), S_OK);
        }
        g_payload = c.payload;
        Repaint(&frame_);
        const Shot first = Capture(window_);
        RECT bounds;
        ASSERT_EQ(InkInside(first, &bounds) > 0, c.ink);

        // What a window covering part of the frame exposes when it goes away
        // (Wine keeps a window's pixels under another one, so the exposure is
        // made by hand): the clipped paint must complete the same picture.
        RECT corner = frame_;
        corner.right = (frame_.left + frame_.right) / 2 + 7;
        corner.top = (frame_.top + frame_.bottom) / 2 - 5;
        const int paintsBefore = g_paintCount;
        Repaint(&corner);
        EXPECT_GT(g_paintCount, paintsBefore);
        EXPECT_TRUE(Capture(window_) == first) << "after a partial repaint";
        Repaint(nullptr);
        EXPECT_TRUE(Capture(window_) == first) << "after a whole repaint";
    }
}

}  // namespace
