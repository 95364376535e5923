// The main window and the content panels.
#pragma once
#include <windows.h>

#include "payload/content_type.h"

extern HINSTANCE g_hInstance;
extern HICON g_appIcon;
extern HWND g_panels[5];

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitMainDialog(HWND hwnd);

INT_PTR CALLBACK PanelDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Creates the five panels under the main window, into g_panels; false when one could not be made.
bool CreatePanels(HWND mainWindow);
void ShowPanel(HWND mainWindow, ContentType type);

// The rectangle of the child control `id` in the client coordinates of `parent`.
RECT ChildRectInClient(HWND parent, int id);
