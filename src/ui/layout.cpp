#include "ui/ui.h"

RECT ChildRectInClient(HWND parent, int id) {
    RECT onScreen = {};
    if (!GetWindowRect(GetDlgItem(parent, id), &onScreen)) {
        // No such control: nothing to point at.
        return RECT{0, 0, 0, 0};
    }
    POINT topLeft = {onScreen.left, onScreen.top};
    POINT bottomRight = {onScreen.right, onScreen.bottom};
    ScreenToClient(parent, &topLeft);
    ScreenToClient(parent, &bottomRight);
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}
