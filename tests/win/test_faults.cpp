// The regeneration cycle when things go wrong: an encoder that crashes, fails,
// writes no PNG or half of one; an output file held open by someone else; an
// output path that cannot be used. Each cycle starts from a shown picture with
// Save enabled, which it has to replace; each must end with Save enabled
// exactly when a picture is held, and must leave other people's files alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "payload/payload.h"
#include "pipeline/pipeline.h"
#include "preview/preview.h"
#include "preview_fixtures.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace {

using namespace preview_test;

const wchar_t WINDOW_CLASS[] = L"KelvoraFaultTest";

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// What the stand-in encoder writes for the data "png".
const std::string PNG_SIGNATURE("\x89PNG\r\n\x1a\n", 8);

// A main window as the cycle needs it (Save, the preview frame, a Free Text
// panel with its field), with the stand-in encoder beside this executable.
class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitPaths();
        std::copy(g_panels, g_panels + 5, m_savedPanels);
        m_savedType = g_contentType;
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        if (!GetClassInfoExW(instance, WINDOW_CLASS, &windowClass)) {
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = WINDOW_CLASS;
            ASSERT_NE(RegisterClassExW(&windowClass), 0);
        }
        // Hidden: the cycle needs the controls, not the screen.
        m_window = CreateWindowExW(0, WINDOW_CLASS, L"faults", WS_POPUP, 0, 0, 400, 300, nullptr,
                                   nullptr, instance, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_save = Child(m_window, L"BUTTON", 20, 230, 80, 24, IDOK);
        Child(m_window, L"STATIC", 20, 30, 200, 180, IDC_PREVIEW);
        HWND panel = Child(m_window, L"STATIC", 240, 30, 150, 60, 0);
        m_field = Child(panel, L"EDIT", 0, 0, 140, 24, IDC_FREETEXT_TEXT);
        ASSERT_TRUE(m_save && panel && m_field);
        std::fill(g_panels, g_panels + 5, nullptr);
        g_panels[0] = panel;
        g_contentType = FreeText;
        m_output = g_outputPath;
        m_standIn = ExeFolder() + L"\\stub_encoder.exe";
        ASSERT_TRUE(FileExists(m_standIn));
    }

    void TearDown() override {
        g_previewImage.Destroy();
        InitPaths();
        DeleteFileW(g_outputPath);
        std::copy(m_savedPanels, m_savedPanels + 5, g_panels);
        g_contentType = m_savedType;
        if (m_window) {
            DestroyWindow(m_window);
        }
    }

    static HWND Child(HWND parent, const wchar_t* cls, int x, int y, int width, int height, int id) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }

    void UseStandIn() { lstrcpynW(g_encoderPath, m_standIn.c_str(), MAX_PATH); }
    void UseRealEncoder() { lstrcpynW(g_encoderPath, (ExeFolder() + L"\\core\\zint.exe").c_str(), MAX_PATH); }

    // One cycle after typing `text` into the field.
    void Cycle(const wchar_t* text) {
        SetWindowTextW(m_field, text);
        Regenerate(m_window);
    }

    bool SaveEnabled() const { return IsWindowEnabled(m_save) != FALSE; }

    // A picture on show and Save enabled, the start of every case.
    void ShowAPicture() {
        UseStandIn();
        Cycle(L"png");
        ASSERT_FALSE(g_previewImage.IsNull());
        ASSERT_TRUE(SaveEnabled());
        ASSERT_EQ(ReadBytes(m_output).substr(0, 8), PNG_SIGNATURE);
    }

    HWND m_window = nullptr;
    HWND m_save = nullptr;
    HWND m_field = nullptr;
    std::wstring m_output;
    std::wstring m_standIn;

private:
    HWND m_savedPanels[5] = {};
    ContentType m_savedType = FreeText;
};

TEST_F(FaultTest, AnEncoderThatFailsLeavesNoPictureAndSaveDisabled) {
    struct Case {
        const wchar_t* data;  // picks the stand-in's behaviour
        bool picture;
        bool outputFile;
    };
    const Case cases[] = {
        {L"crash", false, false},      // dies of an access violation
        {L"fail", false, false},       // exit code 5, nothing written
        {L"garbage", false, true},     // a PNG signature and no PNG
        {L"truncated", false, true},   // the first half of a PNG
        {L"some text", false, true},   // the data itself, as UTF-8
        {L"slow", true, true},         // 2.5 s, more than one wait slice, then a PNG
        {L"png", true, true},          // the check that the cases can tell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.data, c.data + wcslen(c.data)));
        ASSERT_NO_FATAL_FAILURE(ShowAPicture());

        Cycle(c.data);

        EXPECT_EQ(SaveEnabled(), c.picture);
        EXPECT_EQ(!g_previewImage.IsNull(), c.picture);
        EXPECT_EQ(FileExists(m_output), c.outputFile);
    }
}

TEST_F(FaultTest, AnOutputFileHeldOpenIsLeftAloneAndNeverCrashes) {
    struct Case {
        const char* name;
        DWORD share;  // what the other holder lets others do
    };
    const Case cases[] = {{"sharing nothing", 0}, {"sharing reading", FILE_SHARE_READ}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(ShowAPicture());
        const std::string before = ReadBytes(m_output);
        HANDLE held = CreateFileW(m_output.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);

        // The stand-in would write this text over the picture if it could.
        Cycle(L"not written");
        const bool picture = !g_previewImage.IsNull();
        const bool save = SaveEnabled();
        CloseHandle(held);

        EXPECT_EQ(ReadBytes(m_output), before) << "the holder's file was changed";
        // The old file could not be removed, so it is not this cycle's picture:
        // even where it can still be read, it must not be shown or offered to Save.
        EXPECT_FALSE(picture);
        EXPECT_FALSE(save);

        // Once let go, the next cycle replaces the file again.
        Cycle(L"written");
        EXPECT_EQ(ReadBytes(m_output), "written");
        EXPECT_FALSE(SaveEnabled());
    }
}

TEST_F(FaultTest, AnUnusableOutputPathEndsWithoutAPicture) {
    ScratchFolder scratch;
    const std::wstring folderAsOutput = scratch.File(L"out.png");
    ASSERT_TRUE(CreateDirectoryW(folderAsOutput.c_str(), nullptr));
    const std::wstring paths[] = {
        L"",                                          // the folder query failed
        scratch.File(L"missing") + L"\\out.png",      // a folder that is not there
        folderAsOutput,                               // a folder where the file should be
    };
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        ASSERT_NO_FATAL_FAILURE(ShowAPicture());
        UseRealEncoder();
        lstrcpynW(g_outputPath, path.c_str(), MAX_PATH);

        Cycle(L"hello");

        EXPECT_TRUE(g_previewImage.IsNull());
        EXPECT_FALSE(SaveEnabled());
        InitPaths();
    }
    const DWORD attributes = GetFileAttributesW(folderAsOutput.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "the folder in the way was removed";
    RemoveDirectoryW(folderAsOutput.c_str());
}

}  // namespace
