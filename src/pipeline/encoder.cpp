#include <windows.h>

#include <string>

#include "payload/payload.h"
#include "pipeline/command_line.h"
#include "pipeline/encoder_run.h"
#include "pipeline/encoder_wait.h"
#include "pipeline/pipeline.h"

namespace {

// How long an ended-by-force encoder gets to be gone before we stop waiting.
constexpr DWORD ENCODER_KILL_WAIT_MS = 2000;
constexpr UINT ENCODER_KILLED_EXIT_CODE = 1;

// The encoder's two handles, closed on every way out: thread first, then process.
struct EncoderProcess {
    PROCESS_INFORMATION info{};

    EncoderProcess() = default;
    EncoderProcess(const EncoderProcess&) = delete;
    EncoderProcess& operator=(const EncoderProcess&) = delete;
    ~EncoderProcess() {
        if (info.hThread) {
            CloseHandle(info.hThread);
        }
        if (info.hProcess) {
            CloseHandle(info.hProcess);
        }
    }
};

// True when no file is left at the output path: one that is already gone counts.
bool RemoveOutputFile() {
    if (DeleteFileW(g_outputPath)) {
        return true;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool EndHungEncoder(HANDLE process) {
    TerminateProcess(process, ENCODER_KILLED_EXIT_CODE);
    WaitForSingleObject(process, ENCODER_KILL_WAIT_MS);
    // A half-written picture must not pass for this run's result.
    return RemoveOutputFile();
}

}  // namespace

bool RunEncoderWithin(DWORD sliceMs, DWORD limitMs) {
    // A file that cannot be removed (another program holds it open) is an older
    // payload's picture; the encoder could not replace it either.
    if (!RemoveOutputFile()) {
        return false;
    }
    if (g_payload.empty()) {
        return true;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // CreateProcessW may write into the command line: it needs its own storage.
    std::wstring commandLine = BuildEncoderCommandLine(g_encoderPath, g_outputPath, g_payload);
    EncoderProcess encoder;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &encoder.info)) {
        return true;
    }

    // No messages are handled meanwhile: no second regeneration can start.
    const HANDLE process = encoder.info.hProcess;
    const SlicedWait wait = WaitInSlices(
        [process](unsigned long ms) { return WaitForSingleObject(process, ms) == WAIT_TIMEOUT; },
        sliceMs, limitMs);
    if (wait.limitReached) {
        return EndHungEncoder(process);
    }
    return true;
}

bool RunEncoder() {
    return RunEncoderWithin(ENCODER_WAIT_SLICE_MS, ENCODER_WAIT_LIMIT_MS);
}
