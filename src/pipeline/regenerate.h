// The regeneration cycle split from the window it ends in, so that what one
// cycle decides can be checked on its own.
#pragma once
#include <windows.h>

// What a cycle leaves for the main window.
struct RegenerationOutcome {
    bool saveEnabled;  // the picture was decoded whole
    RECT repaint;      // the preview frame, in the main window's client coordinates
};

// Composes the payload, runs the encoder and replaces g_previewImage with a
// decoding of the output file; touches no control of `mainWindow`.
RegenerationOutcome RunRegeneration(HWND mainWindow);
