// The encoder run with its wait slice and limit given: RunEncoder passes
// ENCODER_WAIT_SLICE_MS and ENCODER_WAIT_LIMIT_MS; tests pass short ones.
#pragma once
#include <windows.h>

bool RunEncoderWithin(DWORD sliceMs, DWORD limitMs);
