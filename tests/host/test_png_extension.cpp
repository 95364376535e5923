// The extension forced onto a chosen save name.
#include <gtest/gtest.h>

#include <string>

#include "export/png_extension.h"

namespace {

TEST(EnsurePngExtension, ForcesTheLastExtensionOfTheFileName) {
    struct Case {
        const wchar_t* chosen;
        const wchar_t* written;
    };
    const Case cases[] = {
        {L"D:\\Codes\\qr", L"D:\\Codes\\qr.png"},
        {L"D:\\Codes\\qr.png", L"D:\\Codes\\qr.png"},
        {L"D:\\Codes\\qr.PnG", L"D:\\Codes\\qr.PnG"},
        {L"D:\\Codes\\qr.jpg", L"D:\\Codes\\qr.png"},
        {L"D:\\Codes\\qr.pngx", L"D:\\Codes\\qr.png"},
        {L"D:\\Codes\\qr.", L"D:\\Codes\\qr.png"},
        {L"D:\\Codes\\qr.png.txt", L"D:\\Codes\\qr.png.png"},
        {L"D:\\My.Codes\\qr", L"D:\\My.Codes\\qr.png"},
        {L"D:\\Codes\\.png", L"D:\\Codes\\.png"},
        {L"qr", L"qr.png"},
        {L"qr.PNG", L"qr.PNG"},
        {L"qr.pn", L"qr.png"},
        {L"D:\\Codes\\qr.p\\ng", L"D:\\Codes\\qr.p\\ng.png"},
    };
    for (const Case& c : cases) {
        std::wstring path = c.chosen;
        EnsurePngExtension(path);
        EXPECT_EQ(path, c.written);
    }
}

TEST(EnsurePngExtension, LongestChosenPathGrowsWithoutBeingCut) {
    const std::wstring chosen = L"D:\\" + std::wstring(256, L'q');  // 259 units
    std::wstring path = chosen;
    EnsurePngExtension(path);
    EXPECT_EQ(path.size(), 263u);
    EXPECT_EQ(path, chosen + L".png");

    std::wstring replaced = L"D:\\" + std::wstring(252, L'q') + L".jpg";
    EnsurePngExtension(replaced);
    EXPECT_EQ(replaced, L"D:\\" + std::wstring(252, L'q') + L".png");
}

}  // namespace
