#include "pipeline/regenerate.h"

#include "payload/payload.h"
#include "pipeline/pipeline.h"
#include "preview/preview.h"
#include "ui/resource.h"
#include "ui/ui.h"

RegenerationOutcome RunRegeneration(HWND mainWindow) {
    BuildPayload();
    const bool outputIsThisRuns = RunEncoder();
    // Dropped even when the new file then fails to load: a picture of an
    // earlier payload must never stay on show.
    g_previewImage.Destroy();
    // An old file that could not be removed is not decoded: it would show, and
    // offer to save, the code of an earlier payload.
    const HRESULT loaded = outputIsThisRuns ? g_previewImage.Load(g_outputPath) : E_FAIL;
    return RegenerationOutcome{loaded == S_OK, ChildRectInClient(mainWindow, IDC_PREVIEW)};
}

void Regenerate(HWND mainWindow) {
    const RegenerationOutcome outcome = RunRegeneration(mainWindow);
    EnableWindow(GetDlgItem(mainWindow, IDOK), outcome.saveEnabled);
    // Only the frame changed; erasing clears the old picture or message.
    InvalidateRect(mainWindow, &outcome.repaint, TRUE);
}
