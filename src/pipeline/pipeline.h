// The regeneration cycle, the two working paths and the encoder run.
#pragma once
#include <windows.h>

extern wchar_t g_outputPath[MAX_PATH];
extern wchar_t g_encoderPath[MAX_PATH];

// One wait for the encoder process.
constexpr DWORD ENCODER_WAIT_SLICE_MS = 1000;
// A hung encoder must not freeze the window for good: past this it is ended and
// the run counts as failed.
constexpr DWORD ENCODER_WAIT_LIMIT_MS = 10000;

// Computes g_outputPath and g_encoderPath; once, at start-up.
void InitPaths();

// Deletes the old output file and, unless the payload is empty, runs the
// encoder and waits for it to end. False when the old file could not be
// removed: whatever lies at the output path then is not this run's picture.
bool RunEncoder();

// Payload, encoder, picture, Save button, repaint of the preview frame.
void Regenerate(HWND mainWindow);
