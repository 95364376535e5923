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

void EndHungEncoder(HANDLE process) {
    TerminateProcess(process, ENCODER_KILLED_EXIT_CODE);
    WaitForSingleObject(process, ENCODER_KILL_WAIT_MS);
    // A half-written picture must not pass for this run's result.
    DeleteFileW(g_outputPath);
}

}  // namespace

void RunEncoderWithin(DWORD sliceMs, DWORD limitMs) {
    DeleteFileW(g_outputPath);
    if (g_payload.empty()) {
        return;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // CreateProcessW may write into the command line: it needs its own storage.
    std::wstring commandLine = BuildEncoderCommandLine(g_encoderPath, g_outputPath, g_payload);
    EncoderProcess encoder;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &encoder.info)) {
        return;
    }

    // No messages are handled meanwhile: no second regeneration can start.
    const HANDLE process = encoder.info.hProcess;
    const SlicedWait wait = WaitInSlices(
        [process](unsigned long ms) { return WaitForSingleObject(process, ms) == WAIT_TIMEOUT; },
        sliceMs, limitMs);
    if (wait.limitReached) {
        EndHungEncoder(process);
    }
}

void RunEncoder() {
    RunEncoderWithin(ENCODER_WAIT_SLICE_MS, ENCODER_WAIT_LIMIT_MS);
}
