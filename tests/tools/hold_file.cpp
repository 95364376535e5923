// Holds a file open the way another program might (an image viewer, a virus
// scanner), so that tests can see what the program does when it can neither
// delete nor rewrite its output file.
//
//   hold_file [--share-read] PATH [SECONDS]
//
// Opens the existing file PATH for reading, sharing nothing (or, with
// --share-read, sharing reading only), prints "held" and keeps it open until
// killed or, as a safety net for a test that forgot it, until SECONDS (default
// 300) have passed. Exit code 1 when the file cannot be opened.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    int next = 1;
    DWORD share = 0;
    if (next < argc && std::wcscmp(argv[next], L"--share-read") == 0) {
        share = FILE_SHARE_READ;
        ++next;
    }
    if (next >= argc) {
        std::fprintf(stderr, "usage: hold_file [--share-read] PATH [SECONDS]\n");
        return 2;
    }
    const wchar_t* path = argv[next++];
    const DWORD seconds = next < argc ? std::wcstoul(argv[next], nullptr, 10) : 300;

    HANDLE file = CreateFileW(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold_file: cannot open %ls: error %lu\n", path, GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(seconds * 1000);
    CloseHandle(file);
    return 0;
}
