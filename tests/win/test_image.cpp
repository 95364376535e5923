// The preview picture on real GDI+ and GDI: what loads and what does not, that
// the file is let go of, that the colours of the file are what gets painted,
// and that loading and dropping pictures leaks nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "preview/image.h"
#include "preview_fixtures.h"
#include "support/process_counters.h"
#include "test_support.h"

namespace {

using namespace preview_test;

// Small PNG files written byte by byte (made offline with zlib), one per way a
// picture can be stored; ImageMagick reads the pixels listed in COLOUR_CASES.
const unsigned char PALETTE8_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x02, 0x08, 0x03, 0x00, 0x00, 0x00, 0x48, 0x76, 0x8d,
    0x51, 0x00, 0x00, 0x00, 0x12, 0x50, 0x4c, 0x54, 0x45, 0xff, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00,
    0x00, 0xff, 0x0a, 0xc8, 0x1e, 0xfa, 0xf0, 0x05, 0x7b, 0x2d, 0x43, 0x44, 0x57, 0x91, 0x1e, 0x00,
    0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0x60, 0x60, 0x64, 0x62, 0x66, 0x60,
    0x61, 0x65, 0x66, 0x00, 0x00, 0x00, 0x57, 0x00, 0x13, 0xba, 0xd0, 0xd8, 0xa6, 0x00, 0x00, 0x00,
    0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};
const unsigned char PALETTE4_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x04, 0x03, 0x00, 0x00, 0x00, 0x6f, 0x5a, 0x7b,
    0x29, 0x00, 0x00, 0x00, 0x09, 0x50, 0x4c, 0x54, 0x45, 0xc8, 0x0a, 0x0a, 0x14, 0x1e, 0xf0, 0x5a,
    0xb4, 0x46, 0x0a, 0x00, 0x50, 0xa0, 0x00, 0x00, 0x00, 0x0e, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda,
    0x63, 0x50, 0x10, 0x60, 0x10, 0x62, 0x00, 0x00, 0x01, 0x0a, 0x00, 0x43, 0xa3, 0x72, 0x27, 0x1c,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};
const unsigned char RGB24_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a,
    0x73, 0x00, 0x00, 0x00, 0x16, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xe0, 0x51, 0xb2, 0x38,
    0x91, 0x62, 0xc4, 0xc0, 0xc8, 0xc4, 0xfc, 0xeb, 0xf7, 0x1f, 0x00, 0x17, 0x8a, 0x04, 0xbc, 0xb8,
    0xf0, 0x96, 0xac, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};
const unsigned char RGBA32_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d,
    0x24, 0x00, 0x00, 0x00, 0x1a, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0x38, 0x91, 0x62, 0xd4,
    0xc0, 0x25, 0x22, 0xc7, 0xc0, 0x60, 0xe3, 0x16, 0xf0, 0xff, 0x43, 0x93, 0x08, 0x23, 0x00, 0x30,
    0x58, 0x05, 0x73, 0xd6, 0xb5, 0xc6, 0xda, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae,
    0x42, 0x60, 0x82,
};
const unsigned char RGB48_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x10, 0x02, 0x00, 0x00, 0x00, 0x2b, 0xd0, 0x34,
    0x9e, 0x00, 0x00, 0x00, 0x15, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xa8, 0xaf, 0x17, 0x10,
    0x78, 0xf0, 0xc0, 0xd8, 0xf8, 0xcc, 0x99, 0xb4, 0x34, 0x00, 0x22, 0xbd, 0x05, 0xa9, 0xe5, 0x6d,
    0x61, 0x8c, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};
const unsigned char GRAY8_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3e, 0x8b, 0x4b,
    0x68, 0x00, 0x00, 0x00, 0x0c, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0x60, 0xf0, 0x3d, 0x01,
    0x00, 0x01, 0x66, 0x01, 0x16, 0x07, 0x13, 0xc8, 0x77, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e,
    0x44, 0xae, 0x42, 0x60, 0x82,
};

struct ColourCase {
    const char* name;
    const unsigned char* bytes;
    DWORD size;
    int width;
    int height;
    std::vector<Rgb> pixels;  // row by row from the top
};

const ColourCase COLOUR_CASES[] = {
    {"8-bit palette", PALETTE8_PNG, sizeof(PALETTE8_PNG), 4, 2,
     {{255, 0, 0}, {0, 128, 0}, {0, 0, 255}, {10, 200, 30},
      {250, 240, 5}, {123, 45, 67}, {10, 200, 30}, {255, 0, 0}}},
    {"4-bit palette", PALETTE4_PNG, sizeof(PALETTE4_PNG), 3, 2,
     {{90, 180, 70}, {200, 10, 10}, {20, 30, 240}, {20, 30, 240}, {90, 180, 70}, {200, 10, 10}}},
    {"24-bit colour", RGB24_PNG, sizeof(RGB24_PNG), 2, 2,
     {{12, 34, 56}, {200, 100, 50}, {1, 2, 3}, {250, 251, 252}}},
    // Alpha 128, 0, 255 and 1: painted as they are, not blended with the white below.
    {"colour with alpha", RGBA32_PNG, sizeof(RGBA32_PNG), 2, 2,
     {{200, 100, 50}, {10, 20, 30}, {60, 70, 80}, {240, 130, 20}}},
    {"16 bits a channel", RGB48_PNG, sizeof(RGB48_PNG), 2, 1, {{127, 16, 224}, {51, 204, 102}}},
    {"grey levels", GRAY8_PNG, sizeof(GRAY8_PNG), 3, 1, {{0, 0, 0}, {77, 77, 77}, {200, 200, 200}}},
};

// Modules of the encoder's version-1 symbol (21 x 21, 8 pixels each) that every
// QR code has: finder patterns, their separators, the timing row, the dark module.
struct Module {
    int x;
    int y;
    Rgb colour;
};
const Module FIXED_MODULES[] = {
    {0, 0, BLACK},  {6, 6, BLACK},  {1, 1, WHITE},   {5, 3, WHITE},  {3, 3, BLACK},
    {20, 0, BLACK}, {15, 1, WHITE}, {17, 3, BLACK},  {0, 20, BLACK}, {1, 19, WHITE},
    {3, 17, BLACK}, {7, 0, WHITE},  {7, 7, WHITE},   {0, 7, WHITE},  {13, 3, WHITE},
    {8, 6, BLACK},  {9, 6, WHITE},  {10, 6, BLACK},  {11, 6, WHITE}, {12, 6, BLACK},
    {8, 13, BLACK},
};
constexpr int HELLO_SIZE = 168;
constexpr int HELLO_MODULE = 8;
// ImageMagick counts this many black pixels in the encoder's picture of "hello".
constexpr int HELLO_BLACK_PIXELS = 13952;

TEST(PreviewImageLoad, WhatHoldsNoPictureFailsAndLeavesTheObjectNull) {
    ScratchFolder folder;
    const std::wstring garbage = folder.File(L"garbage.png");
    const char junk[] = "this is not a picture at all, only some text";
    ASSERT_TRUE(WriteBytes(garbage, junk, sizeof(junk)));
    const std::wstring empty = folder.File(L"empty.png");
    ASSERT_TRUE(WriteBytes(empty, "", 0));
    const std::wstring missing = folder.File(L"missing.png");
    const std::wstring aFolder = folder.File(L"");

    struct Case {
        const char* name;
        const wchar_t* path;
    };
    const Case cases[] = {
        {"missing file", missing.c_str()}, {"empty path", L""},
        {"not a picture", garbage.c_str()}, {"empty file", empty.c_str()},
        {"a folder", aFolder.c_str()},      {"no path at all", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImage image;
        EXPECT_EQ(image.Load(c.path), E_FAIL);
        EXPECT_TRUE(image.IsNull());
        EXPECT_EQ(image.GetWidth(), 0);
        EXPECT_EQ(image.GetHeight(), 0);
    }
}

TEST(PreviewImageLoad, TheEncodersPictureLoadsWholeAndTheFileIsLetGo) {
    ScratchFolder folder;
    const std::wstring png = folder.File(L"t.png");
    ASSERT_TRUE(MakeHelloPng(png));

    CImage image;
    ASSERT_EQ(image.Load(png.c_str()), S_OK);
    EXPECT_FALSE(image.IsNull());
    EXPECT_EQ(image.GetWidth(), HELLO_SIZE);
    EXPECT_EQ(image.GetHeight(), HELLO_SIZE);
    // The next encoder run deletes and rewrites the file while this picture is held.
    EXPECT_TRUE(DeleteFileW(png.c_str())) << "error " << GetLastError();

    Canvas canvas(HELLO_SIZE, HELLO_SIZE, Rgb{255, 0, 0});
    ASSERT_TRUE(canvas.Ready());
    EXPECT_TRUE(image.StretchBlt(canvas.Dc(), 0, 0, HELLO_SIZE, HELLO_SIZE, SRCCOPY));
    EXPECT_EQ(canvas.Count(BLACK), HELLO_BLACK_PIXELS);
    EXPECT_EQ(canvas.Count(WHITE), HELLO_SIZE * HELLO_SIZE - HELLO_BLACK_PIXELS);
    for (const Module& m : FIXED_MODULES) {
        SCOPED_TRACE("module " + std::to_string(m.x) + "," + std::to_string(m.y));
        // Both corners of the module, so rows or columns out of place show.
        EXPECT_EQ(canvas.At(m.x * HELLO_MODULE, m.y * HELLO_MODULE), m.colour);
        EXPECT_EQ(canvas.At(m.x * HELLO_MODULE + 7, m.y * HELLO_MODULE + 7), m.colour);
    }
}

// An output file cut short or damaged (an encoder stopped while writing) is
// never taken for a whole picture: no picture, or a blank one of the file's size.
TEST(PreviewImageLoad, ADamagedPngIsNeverAWholePicture) {
    ScratchFolder folder;
    const std::wstring png = folder.File(L"t.png");
    ASSERT_TRUE(MakeHelloPng(png));
    const std::string whole = ReadBytes(png);
    const std::size_t data = whole.find("IDAT");
    ASSERT_NE(data, std::string::npos);
    std::string scrambled = whole;
    for (std::size_t i = data + 14; i < data + 40; ++i) {
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5a);
    }

    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut inside the header", whole.substr(0, 20)},
        {"cut inside the pixel data", whole.substr(0, data + 20)},
        {"cut before the end marker", whole.substr(0, whole.size() - 12)},
        {"scrambled pixel data", scrambled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring damaged = folder.File(L"damaged.png");
        ASSERT_TRUE(WriteBytes(damaged, c.bytes.data(), static_cast<DWORD>(c.bytes.size())));
        CImage image;
        EXPECT_NE(image.Load(damaged.c_str()), S_OK);
        const int size = image.IsNull() ? 0 : HELLO_SIZE;
        EXPECT_EQ(image.GetWidth(), size);
        EXPECT_EQ(image.GetHeight(), size);
    }
}

TEST(PreviewImagePaint, PaintsTheColoursOfTheFile) {
    ScratchFolder folder;
    for (const ColourCase& c : COLOUR_CASES) {
        SCOPED_TRACE(c.name);
        const std::wstring png = folder.File(L"colours.png");
        ASSERT_TRUE(WriteBytes(png, c.bytes, c.size));
        CImage image;
        ASSERT_EQ(image.Load(png.c_str()), S_OK);
        ASSERT_EQ(image.GetWidth(), c.width);
        ASSERT_EQ(image.GetHeight(), c.height);

        Canvas canvas(c.width, c.height, WHITE);
        ASSERT_TRUE(canvas.Ready());
        EXPECT_TRUE(image.StretchBlt(canvas.Dc(), 0, 0, c.width, c.height, SRCCOPY));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const Rgb expected = c.pixels[static_cast<size_t>(y * c.width + x)];
                EXPECT_EQ(canvas.At(x, y), expected)
                    << "pixel " << x << "," << y << " is " << ToString(canvas.At(x, y))
                    << ", the file has " << ToString(expected);
            }
        }
    }
}

TEST(PreviewImagePaint, TheWholePictureFillsAnyRectangleWithTheRasterOperation) {
    ScratchFolder folder;
    const std::wstring png = folder.File(L"t.png");
    ASSERT_TRUE(MakeHelloPng(png));
    CImage image;
    ASSERT_EQ(image.Load(png.c_str()), S_OK);

    // Half as wide and twice as tall as the picture: a module becomes 4 x 16.
    const Rgb red{255, 0, 0};
    const int left = 10, top = 20, width = 84, height = 336;
    Canvas canvas(120, 380, red);
    ASSERT_TRUE(canvas.Ready());
    EXPECT_TRUE(image.StretchBlt(canvas.Dc(), left, top, width, height, SRCCOPY));
    for (const Module& m : FIXED_MODULES) {
        SCOPED_TRACE("module " + std::to_string(m.x) + "," + std::to_string(m.y));
        EXPECT_EQ(canvas.At(left + m.x * 4 + 2, top + m.y * 16 + 8), m.colour);
    }
    // The picture's corners reach the rectangle's and nothing lies outside it.
    EXPECT_EQ(canvas.At(left, top), BLACK);
    EXPECT_EQ(canvas.At(left + width - 1, top), BLACK);
    EXPECT_EQ(canvas.At(left, top + height - 1), BLACK);
    EXPECT_EQ(canvas.At(left - 1, top), red);
    EXPECT_EQ(canvas.At(left + width, top), red);
    EXPECT_EQ(canvas.At(left, top - 1), red);
    EXPECT_EQ(canvas.At(left, top + height), red);

    Canvas inverted(HELLO_SIZE, HELLO_SIZE, red);
    ASSERT_TRUE(inverted.Ready());
    EXPECT_TRUE(image.StretchBlt(inverted.Dc(), 0, 0, HELLO_SIZE, HELLO_SIZE, NOTSRCCOPY));
    EXPECT_EQ(inverted.Count(WHITE), HELLO_BLACK_PIXELS);
}

TEST(PreviewImagePaint, DrawsNothingWithoutAPictureOrADc) {
    const Rgb red{255, 0, 0};
    Canvas canvas(8, 8, red);
    ASSERT_TRUE(canvas.Ready());
    CImage empty;
    EXPECT_FALSE(empty.StretchBlt(canvas.Dc(), 0, 0, 8, 8, SRCCOPY));
    EXPECT_EQ(canvas.Count(red), 64);

    ScratchFolder folder;
    const std::wstring png = folder.File(L"p.png");
    ASSERT_TRUE(WriteBytes(png, PALETTE8_PNG, sizeof(PALETTE8_PNG)));
    CImage image;
    ASSERT_EQ(image.Load(png.c_str()), S_OK);
    EXPECT_FALSE(image.StretchBlt(nullptr, 0, 0, 8, 8, SRCCOPY));
    image.Destroy();
    EXPECT_FALSE(image.StretchBlt(canvas.Dc(), 0, 0, 8, 8, SRCCOPY));
    EXPECT_EQ(canvas.Count(red), 64);
}

TEST(PreviewImageLifecycle, DestroyLeavesANullObjectAndChangesNothingOnOne) {
    CImage image;
    image.Destroy();
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);

    ScratchFolder folder;
    const std::wstring png = folder.File(L"p.png");
    ASSERT_TRUE(WriteBytes(png, PALETTE8_PNG, sizeof(PALETTE8_PNG)));
    ASSERT_EQ(image.Load(png.c_str()), S_OK);
    ASSERT_FALSE(image.IsNull());
    const int before = CountGdiObjects();
    image.Destroy();
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_EQ(CountGdiObjects(), before - 1) << "the pixel store is released";
    image.Destroy();
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(CountGdiObjects(), before - 1);

    // A null object loads again as a fresh one.
    ASSERT_EQ(image.Load(png.c_str()), S_OK);
    EXPECT_EQ(image.GetWidth(), 4);
    EXPECT_EQ(image.GetHeight(), 2);
}

// 500 loads, paints on a real window and drops: every GDI object, kernel
// handle and pixel store made on the way is given back.
TEST(PreviewImageLifecycle, FiveHundredLoadsPaintsAndDropsLeakNothing) {
    ScratchFolder folder;
    const std::wstring png = folder.File(L"big.png");
    // 840 x 840: a leaked pixel store (88 KB) or decoder bitmap shows in the working set.
    ASSERT_TRUE(test_support::MakeQrPng(png, L"hello", 20));
    HWND window = CreateWindowExW(0, L"STATIC", L"leak check", WS_POPUP | WS_VISIBLE, 0, 0, 300,
                                  300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);

    CImage image;
    auto cycle = [&]() {
        const HRESULT loaded = image.Load(png.c_str());
        HDC dc = GetDC(window);
        image.StretchBlt(dc, 10, 10, 280, 280, SRCCOPY);
        ReleaseDC(window, dc);
        image.Destroy();
        return loaded;
    };
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(cycle(), S_OK);  // GDI+ and the window's DC settle first
    }

    // The probes see what they are meant to see.
    const int gdiBefore = CountGdiObjects();
    HBITMAP extra = CreateBitmap(1, 1, 1, 1, nullptr);
    ASSERT_EQ(CountGdiObjects(), gdiBefore + 1);
    DeleteObject(extra);
    const long handlesBefore = CountKernelHandles();
    ASSERT_GT(handlesBefore, 0);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(CountKernelHandles(), handlesBefore + 1);
    CloseHandle(event);
    const SIZE_T workingSetBefore = ReadProcessCounters().workingSet;
    ASSERT_GT(workingSetBefore, 0u);

    int failures = 0;
    for (int i = 0; i < 500; ++i) {
        failures += cycle() == S_OK ? 0 : 1;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(CountGdiObjects(), gdiBefore);
    EXPECT_EQ(CountKernelHandles(), handlesBefore);
    // 500 leaked pixel stores of this picture would be 44 MB.
    const SIZE_T workingSetAfter = ReadProcessCounters().workingSet;
    EXPECT_LT(workingSetAfter, workingSetBefore + 8u * 1024 * 1024)
        << "working set grew from " << workingSetBefore << " to " << workingSetAfter;
    DestroyWindow(window);
}

}  // namespace
