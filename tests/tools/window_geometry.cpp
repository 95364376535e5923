// Tells end-to-end scripts where the running program's controls are, in screen
// pixels (which are the X root window's pixels under Wine without a virtual
// desktop), so that they click what a person would click whatever the fonts.
//
//   window_geometry controls  one line per control of the "Kelvora" window, its
//                             panels' fields included: id visible left top right bottom
//   window_geometry owned     one line per visible window that it owns: class, title
//   window_geometry enabled ID   1 when the control ID is enabled, else 0
//   window_geometry text ID      the text of the control ID (a panel field too),
//                                as UTF-8 bytes, nothing added
//   window_geometry answers MS   exit code 0 when the window handles a message
//                                within MS milliseconds, 2 when it does not
//
// Exit code 1 when there is no such window or control.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "win/test_support.h"

namespace {

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    RECT r = {};
    GetWindowRect(control, &r);
    std::printf("%d %d %ld %ld %ld %ld\n", GetDlgCtrlID(control), IsWindowVisible(control) ? 1 : 0, r.left,
                r.top, r.right, r.bottom);
    return TRUE;
}

BOOL CALLBACK PrintOwned(HWND window, LPARAM owner) {
    if (GetWindow(window, GW_OWNER) != reinterpret_cast<HWND>(owner) || !IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t className[64] = {};
    wchar_t title[256] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 256);
    std::printf("%ls %ls\n", className, title);
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND control, LPARAM parameter) {
    auto* search = reinterpret_cast<ControlSearch*>(parameter);
    if (GetDlgCtrlID(control) != search->id) {
        return TRUE;
    }
    search->found = control;
    return FALSE;
}

// The control with this id among all the window's descendants, panels' fields included.
HWND Control(HWND main, const wchar_t* id) {
    ControlSearch search{static_cast<int>(std::wcstol(id, nullptr, 10)), nullptr};
    EnumChildWindows(main, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Another process's edit text: WM_GETTEXT is carried across processes, and a
// program that does not answer within the limit yields an error, not a wait.
int PrintText(HWND control) {
    constexpr UINT LIMIT_MS = 5000;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, LIMIT_MS, &length)) {
        std::fprintf(stderr, "the window does not answer\n");
        return 2;
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, LIMIT_MS, &copied)) {
        std::fprintf(stderr, "the window does not answer\n");
        return 2;
    }
    text.resize(copied);
    const std::string bytes = test_support::Utf8(text);
    // Binary: a CR LF typed into the field must come out as it is.
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"controls";
    HWND main = FindWindowW(L"#32770", L"Kelvora");
    if (!main) {
        std::fprintf(stderr, "no Kelvora window\n");
        return 1;
    }
    if (mode == L"answers") {
        const UINT limitMs = argc > 2 ? static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10)) : 1000;
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, limitMs, &ignored) ? 0 : 2;
    }
    if (mode == L"enabled" || mode == L"text") {
        HWND control = argc > 2 ? Control(main, argv[2]) : nullptr;
        if (!control) {
            std::fprintf(stderr, "no such control\n");
            return 1;
        }
        if (mode == L"text") {
            return PrintText(control);
        }
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    } else if (mode == L"owned") {
        EnumWindows(PrintOwned, reinterpret_cast<LPARAM>(main));
    } else {
        EnumChildWindows(main, PrintControl, 0);
    }
    std::fflush(stdout);
    return 0;
}
