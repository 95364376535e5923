// The five content panels: child dialogs of the main window, one per content
// type, all made at start-up and only ever hidden and shown, so that each keeps
// what was typed into it.
#include "pipeline/pipeline.h"
#include "ui/resource.h"
#include "ui/routing.h"
#include "ui/ui.h"

HWND g_panels[5] = {};

namespace {

// In the order of g_panels: the panel of a type is at its id minus 1000.
constexpr int PANEL_TEMPLATES[5] = {IDD_FREETEXT, IDD_URL, IDD_CONTACT, IDD_PHONE, IDD_SMS};

}  // namespace

bool CreatePanels(HWND mainWindow) {
    bool all = true;
    for (int i = 0; i < 5; ++i) {
        g_panels[i] = CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(PANEL_TEMPLATES[i]), mainWindow,
                                         PanelDialogProc, 0);
        all = all && g_panels[i] != nullptr;
    }
    return all;
}

// Returns 0 for everything, WM_INITDIALOG included, so that making a panel does
// not move the keyboard focus.
INT_PTR CALLBACK PanelDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && IsFieldChange(LOWORD(wParam), HIWORD(wParam))) {
        Regenerate(GetParent(hwnd));
    }
    return FALSE;
}

void ShowPanel(HWND mainWindow, ContentType type) {
    for (HWND panel : g_panels) ShowWindow(panel, SW_HIDE);
    const RECT data = ChildRectInClient(mainWindow, IDC_DATA_GROUP);
    HWND panel = g_panels[PanelIndexFor(type)];
    ShowWindow(panel, SW_SHOW);
    SetWindowPos(panel, HWND_TOP, data.left, data.top + PANEL_OFFSET_Y, 0, 0, SWP_NOSIZE);
}
