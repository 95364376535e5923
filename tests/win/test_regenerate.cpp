// The regeneration cycle on a real window with the real encoder: the states it
// ends in, the one rectangle it invalidates, and cycle after cycle leaking nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "payload/payload.h"
#include "pipeline/pipeline.h"
#include "pipeline/regenerate.h"
#include "preview/preview.h"
#include "preview_fixtures.h"
#include "support/process_counters.h"
#include "test_support.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace {

using namespace preview_test;
using test_support::PumpMessages;

// Where the test window puts its preview frame, in client coordinates.
constexpr RECT FRAME = {20, 30, 220, 210};
const wchar_t WINDOW_CLASS[] = L"KelvoraRegenerateTest";

int erasures = 0;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        ++erasures;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Processes started by this one since it began: the test process sits in a job,
// and every process that it starts joins the job too.
DWORD ProcessesStarted() {
    static HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        AssignProcessToJobObject(made, GetCurrentProcess());
        return made;
    }();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof(info),
                                   nullptr)) {
        return 0;
    }
    return info.TotalProcesses - 1;  // less this process
}

// Rounds of message handling that let the X server's answers arrive.
constexpr int SETTLE_ROUNDS = 3;

// A main window as the cycle needs it: Save (IDOK), the preview frame and a
// Free Text panel with its field, the panel placed in g_panels.
class RegenerateTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitPaths();
        std::copy(g_encoderPath, g_encoderPath + MAX_PATH, m_savedEncoderPath);
        std::copy(g_panels, g_panels + 5, m_savedPanels);
        m_savedType = g_contentType;

        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        if (!GetClassInfoExW(instance, WINDOW_CLASS, &windowClass)) {
            windowClass.lpfnWndProc = TestWindowProc;
            windowClass.hInstance = instance;
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            windowClass.lpszClassName = WINDOW_CLASS;
            ASSERT_NE(RegisterClassExW(&windowClass), 0);
        }
        // The frame puts the client area away from the window's corner. (No
        // caption: without a window manager Wine takes 2 s to destroy one.)
        m_window = CreateWindowExW(0, WINDOW_CLASS, L"regenerate", WS_POPUP | WS_DLGFRAME, 100,
                                   100, 500, 320, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_save = Child(m_window, L"BUTTON", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 230, 80, 24,
                       IDOK);
        Child(m_window, L"STATIC", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, FRAME.left, FRAME.top,
              FRAME.right - FRAME.left, FRAME.bottom - FRAME.top, IDC_PREVIEW);
        m_panel = Child(m_window, L"STATIC", WS_CHILD | WS_VISIBLE, 240, 30, 220, 60, 0);
        m_field = Child(m_panel, L"EDIT", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 200, 24,
                        IDC_FREETEXT_TEXT);
        ASSERT_TRUE(m_save && m_panel && m_field);
        std::fill(g_panels, g_panels + 5, nullptr);
        g_panels[FreeText - FreeText] = m_panel;
        g_contentType = FreeText;
        ShowWindow(m_window, SW_SHOWNOACTIVATE);
        UpdateWindow(m_window);
        PumpMessages(SETTLE_ROUNDS);
    }

    void TearDown() override {
        g_previewImage.Destroy();
        DeleteFileW(g_outputPath);
        std::copy(m_savedEncoderPath, m_savedEncoderPath + MAX_PATH, g_encoderPath);
        std::copy(m_savedPanels, m_savedPanels + 5, g_panels);
        g_contentType = m_savedType;
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }

    static HWND Child(HWND parent, const wchar_t* cls, DWORD style, int x, int y, int width,
                      int height, int id) {
        return CreateWindowExW(0, cls, L"", style, x, y, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }

    void Type(const wchar_t* text) { SetWindowTextW(m_field, text); }
    bool SaveEnabled() const { return IsWindowEnabled(m_save) != FALSE; }
    void UseEncoder(bool present) {
        std::copy(m_savedEncoderPath, m_savedEncoderPath + MAX_PATH, g_encoderPath);
        if (!present) {
            lstrcpynW(g_encoderPath, (m_nowhere.File(L"zint.exe")).c_str(), MAX_PATH);
        }
    }

    HWND m_window = nullptr;
    HWND m_save = nullptr;
    HWND m_panel = nullptr;
    HWND m_field = nullptr;

private:
    wchar_t m_savedEncoderPath[MAX_PATH] = {};
    HWND m_savedPanels[5] = {};
    ContentType m_savedType = FreeText;
    ScratchFolder m_nowhere;
};

TEST_F(RegenerateTest, EndsInTheStateThatThePayloadAndTheEncoderDecide) {
    struct EndState {
        const char* name;
        const wchar_t* text;
        bool encoderPresent;
        bool picture;
        bool saveEnabled;
        bool outputFile;
        bool encoderStarted;
    };
    const EndState cases[] = {
        {"empty payload", L"", true, false, false, false, false},
        {"payload that encodes", L"hello", true, true, true, true, true},
        {"encoder missing", L"hello", false, false, false, false, false},
    };
    for (const EndState& c : cases) {
        SCOPED_TRACE(c.name);
        // A picture, a file and a Save state left by an earlier cycle, which this
        // one has to replace.
        ASSERT_TRUE(MakeHelloPng(g_outputPath));
        ASSERT_EQ(g_previewImage.Load(g_outputPath), S_OK);
        EnableWindow(m_save, !c.saveEnabled);
        UseEncoder(c.encoderPresent);
        Type(c.text);
        const DWORD startedBefore = ProcessesStarted();

        Regenerate(m_window);

        EXPECT_EQ(!g_previewImage.IsNull(), c.picture);
        if (c.picture) {
            EXPECT_EQ(g_previewImage.GetWidth(), 168);
            EXPECT_EQ(g_previewImage.GetHeight(), 168);
        }
        EXPECT_EQ(SaveEnabled(), c.saveEnabled);
        EXPECT_EQ(FileExists(g_outputPath), c.outputFile);
        EXPECT_EQ(ProcessesStarted() > startedBefore, c.encoderStarted);
    }
}

TEST_F(RegenerateTest, TheCycleDecidesSaveAndTheFrameBeforeTheWindowIsTouched) {
    struct Case {
        const wchar_t* text;
        bool saveEnabled;
    };
    const Case cases[] = {{L"", false}, {L"hello", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saveEnabled ? "payload" : "no payload");
        Type(c.text);
        EnableWindow(m_save, !c.saveEnabled);
        PumpMessages(SETTLE_ROUNDS);
        ValidateRect(m_window, nullptr);

        const RegenerationOutcome outcome = RunRegeneration(m_window);

        EXPECT_EQ(outcome.saveEnabled, c.saveEnabled);
        EXPECT_EQ(Describe(outcome.repaint), Describe(FRAME));
        EXPECT_EQ(!g_previewImage.IsNull(), c.saveEnabled);
        EXPECT_EQ(SaveEnabled(), !c.saveEnabled) << "the button is Regenerate's to set";
        EXPECT_FALSE(GetUpdateRect(m_window, nullptr, FALSE));
    }
}

TEST_F(RegenerateTest, OnlyThePreviewFrameIsInvalidatedAndItIsErased) {
    for (const wchar_t* text : {L"hello", L""}) {
        SCOPED_TRACE(*text ? "payload" : "no payload");
        Type(text);
        PumpMessages(SETTLE_ROUNDS);
        ValidateRect(m_window, nullptr);
        ASSERT_FALSE(GetUpdateRect(m_window, nullptr, FALSE));

        Regenerate(m_window);

        HRGN updated = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetUpdateRgn(m_window, updated, FALSE), SIMPLEREGION);
        RECT box = {};
        GetRgnBox(updated, &box);
        DeleteObject(updated);
        EXPECT_EQ(Describe(box), Describe(FRAME));

        erasures = 0;
        UpdateWindow(m_window);
        EXPECT_EQ(erasures, 1) << "the frame is erased before it is painted again";
    }
}

TEST_F(RegenerateTest, ChildRectInClientIsTheControlInItsParentsClientArea) {
    EXPECT_EQ(Describe(ChildRectInClient(m_window, IDC_PREVIEW)), Describe(FRAME));
    SetWindowPos(m_window, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Describe(ChildRectInClient(m_window, IDC_PREVIEW)), Describe(FRAME));
    EXPECT_EQ(Describe(ChildRectInClient(m_panel, IDC_FREETEXT_TEXT)), Describe({0, 0, 200, 24}));
    EXPECT_EQ(Describe(ChildRectInClient(m_window, 4242)), Describe({0, 0, 0, 0}));
}

// Full cycles with the encoder cost about 0.1 s each under Wine, so this runs
// fewer than the 500 load-paint-drop cycles of the picture's own check; the
// GDI and handle counts are exact, so one leak a cycle shows all the same.
TEST_F(RegenerateTest, CycleAfterCycleLeaksNothing) {
    const wchar_t* const texts[] = {L"hello", L"hello world", L"", L"http://example.com"};
    auto cycle = [&](int i) {
        Type(texts[i % 4]);
        Regenerate(m_window);
        PumpMessages();
    };
    for (int i = 0; i < 4; ++i) {
        cycle(i);  // GDI+, the encoder's first start and the window settle first
    }
    const int gdiBefore = CountGdiObjects();
    HBITMAP extra = CreateBitmap(1, 1, 1, 1, nullptr);
    ASSERT_EQ(CountGdiObjects(), gdiBefore + 1) << "the GDI probe sees objects";
    DeleteObject(extra);
    const long handlesBefore = CountKernelHandles();
    ASSERT_GT(handlesBefore, 0);
    const SIZE_T workingSetBefore = ReadProcessCounters().workingSet;

    int pictures = 0;
    for (int i = 0; i < 60; ++i) {
        cycle(i);
        pictures += g_previewImage.IsNull() ? 0 : 1;
    }
    EXPECT_EQ(pictures, 45);
    EXPECT_EQ(CountGdiObjects(), gdiBefore);
    EXPECT_EQ(CountKernelHandles(), handlesBefore);
    EXPECT_LT(ReadProcessCounters().workingSet, workingSetBefore + 8u * 1024 * 1024);
}

}  // namespace
