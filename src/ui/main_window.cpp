// The main window: its start-up and the routing of its messages to the handlers.
#include "export/save.h"
#include "payload/payload.h"
#include "pipeline/pipeline.h"
#include "preview/preview.h"
#include "ui/resource.h"
#include "ui/routing.h"
#include "ui/ui.h"

HINSTANCE g_hInstance = nullptr;
HICON g_appIcon = nullptr;

namespace {

void SetAppIcon(HWND hwnd) {
    g_appIcon = LoadIconW(g_hInstance, MAKEINTRESOURCEW(IDI_APP));
    if (!g_appIcon) return;  // the platform's default icons stay
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_appIcon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_appIcon));
}

// A click on a type button, the checked one included.
void OnSelectType(HWND hwnd, unsigned id) {
    g_contentType = static_cast<ContentType>(id);
    ShowPanel(hwnd, g_contentType);
    Regenerate(hwnd);
}

INT_PTR OnCommand(HWND hwnd, unsigned id, unsigned code) {
    switch (RouteMainCommand(id, code)) {
    case MainCommand::Save:
        return SaveImageAs(hwnd) == 1 ? TRUE : FALSE;
    case MainCommand::Exit:
        DestroyWindow(hwnd);
        return TRUE;
    case MainCommand::SelectType:
        OnSelectType(hwnd, id);
        return FALSE;
    case MainCommand::Nothing:
        break;
    }
    return FALSE;
}

}  // namespace

void OnInitMainDialog(HWND hwnd) {
    InitPaths();
    SetAppIcon(hwnd);
    CheckRadioButton(hwnd, IDC_TYPE_FREETEXT, IDC_TYPE_SMS, IDC_TYPE_FREETEXT);
    if (!CreatePanels(hwnd)) {
        // Half a window would only look usable: end here, so that the caller
        // sees no window and the program stops with a failure code.
        DestroyWindow(hwnd);
        return;
    }
    g_contentType = FreeText;
    ShowPanel(hwnd, FreeText);
    Regenerate(hwnd);
}

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitMainDialog(hwnd);
        return TRUE;  // the platform sets the first keyboard focus
    case WM_PAINT:
        return PaintPreview(hwnd);
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}
