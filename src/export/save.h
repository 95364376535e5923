// The Save button.
#pragma once
#include <windows.h>

// 1 when the user confirmed a file name (the copy was attempted), 0 on cancel.
int SaveImageAs(HWND owner);
