// Runs the program's own encoder step on a payload read from a UTF-8 file:
//   run_encoder PAYLOAD_FILE [--runs N]
// With --runs, the step is repeated N times and the time of each run is printed
// in milliseconds, one a line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>

#include "payload/payload.h"
#include "pipeline/pipeline.h"

namespace {

bool ReadUtf8File(const wchar_t* path, std::wstring& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    text.clear();
    if (bytes.empty()) {
        return true;
    }
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                          nullptr, 0);
    if (units <= 0) {
        return false;
    }
    text.resize(static_cast<std::size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && !(argc == 4 && std::wcscmp(argv[2], L"--runs") == 0)) {
        std::fwprintf(stderr, L"usage: run_encoder PAYLOAD_FILE [--runs N]\n");
        return 2;
    }
    if (!ReadUtf8File(argv[1], g_payload)) {
        std::fwprintf(stderr, L"run_encoder: cannot read %ls as UTF-8\n", argv[1]);
        return 2;
    }
    InitPaths();
    if (argc == 2) {
        RunEncoder();
        return 0;
    }

    const long runs = std::wcstol(argv[3], nullptr, 10);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (long i = 0; i < runs; ++i) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        RunEncoder();
        QueryPerformanceCounter(&end);
        std::printf("%.3f\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                  static_cast<double>(frequency.QuadPart));
    }
    return 0;
}
