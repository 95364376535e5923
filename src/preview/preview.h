// The preview picture and the painting of the preview frame.
#pragma once
#include <windows.h>

#include "preview/image.h"

extern CImage g_previewImage;

// The whole WM_PAINT of the main window; always TRUE.
BOOL PaintPreview(HWND mainWindow);
// The picture's rectangle fitted into the preview frame (client coordinates).
void FitPreviewRect(HWND mainWindow, RECT* fitted);
// "error: Could not generate QR code" centred in `frame`; nothing without a DC or rectangle.
void DrawErrorText(HDC dc, const RECT* frame);
