// Painting of the preview frame: the fitted picture, the error text, or nothing.
// Every paint decides afresh from g_previewImage and g_payload; nothing is kept.
#include "preview/preview.h"

#include "payload/payload.h"
#include "preview/fit.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace {

const wchar_t ERROR_TEXT[] = L"error: Could not generate QR code";

// The portable rules speak Box, the platform RECT: the two meet only here.
Box ToBox(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const Box& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

RECT PreviewFrameRect(HWND mainWindow) { return ChildRectInClient(mainWindow, IDC_PREVIEW); }

}  // namespace

BOOL PaintPreview(HWND mainWindow) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(mainWindow, &ps);
    // Without a DC nothing below draws, but EndPaint still has to balance BeginPaint.
    if (!g_previewImage.IsNull()) {
        RECT fitted;
        FitPreviewRect(mainWindow, &fitted);
        // No stretch mode is set: the DC's default filter applies, and the margins
        // keep the background erased before this paint.
        g_previewImage.StretchBlt(dc, fitted.left, fitted.top, fitted.right - fitted.left,
                                  fitted.bottom - fitted.top, SRCCOPY);
    } else if (!g_payload.empty()) {
        const RECT frame = PreviewFrameRect(mainWindow);
        SetBkMode(dc, TRANSPARENT);
        DrawErrorText(dc, &frame);
    }
    EndPaint(mainWindow, &ps);
    return TRUE;
}

void FitPreviewRect(HWND mainWindow, RECT* fitted) {
    if (fitted == nullptr) {
        return;
    }
    const RECT frame = PreviewFrameRect(mainWindow);
    if (g_previewImage.IsNull()) {
        SetRectEmpty(fitted);
        return;
    }
    *fitted = ToRect(FitBox(ToBox(frame), g_previewImage.GetWidth(), g_previewImage.GetHeight()));
}

void DrawErrorText(HDC dc, const RECT* frame) {
    if (dc == nullptr || frame == nullptr) {
        return;
    }
    // Measure the wrapped text first; DT_VCENTER alone does nothing for
    // multi-line text, so the vertical centring is ours.
    RECT measured = *frame;
    DrawTextW(dc, ERROR_TEXT, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_VCENTER | DT_CENTER);
    RECT box = ToRect(CentreBox(ToBox(*frame), measured.right - measured.left, measured.bottom - measured.top));
    DrawTextW(dc, ERROR_TEXT, -1, &box, DT_WORDBREAK | DT_VCENTER | DT_CENTER);
}
