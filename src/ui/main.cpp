// The entry point: the main window and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "ui/resource.h"
#include "ui/ui.h"

// Exit code when the window could not be made or the loop failed.
constexpr int EXIT_NO_WINDOW = 1;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    g_hInstance = hInstance;
    // The manifest asks for version 6 of the common controls; make sure they
    // are loaded and registered before the dialog needs them.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    HWND window = CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    // Without a window nothing would ever post WM_QUIT.
    if (!window || !IsWindow(window)) return EXIT_NO_WINDOW;
    ShowWindow(window, SW_SHOW);

    // No IsDialogMessageW: Tab, Enter and Escape go to the focused control only.
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return EXIT_NO_WINDOW;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
