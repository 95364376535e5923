// A stand-in for the encoder: takes the encoder's arguments, writes the data
// argument as UTF-8 to the --output file and ends. A few data values pick a
// fault instead, so that a person typing into the real program chooses how
// its encoder misbehaves:
//
//   hang       writes the data, then its process id to "<output>.pid", and never ends
//   crash      writes nothing and dies of an access violation
//   fail       writes nothing and ends with exit code 5
//   garbage    writes a file that begins like a PNG but is none
//   truncated  writes the first half of a valid PNG (header whole, pixels cut)
//   png        writes a valid PNG: a 32 x 32 black and white checkerboard
//   slow       waits 2.5 s (past one wait slice, within the limit), then as png
#include <windows.h>

#include <cwchar>
#include <string>

#include "win/test_support.h"

namespace {

using test_support::Utf8;
using test_support::WriteBytes;

// A 32 x 32 picture, 1 bit a pixel: two black and two white squares.
const unsigned char CHECKER_PNG[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x01, 0x00, 0x00, 0x00, 0x00, 0x5b,
    0x01, 0x47, 0x59, 0x00, 0x00, 0x00, 0x15, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8,
    0xff, 0x9f, 0x81, 0x81, 0x81, 0x8a, 0x04, 0x55, 0x0d, 0xfb, 0xff, 0x1f, 0x00, 0xed, 0xbd,
    0x3f, 0xc1, 0xda, 0xc0, 0x78, 0x48, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae,
    0x42, 0x60, 0x82};

// The PNG signature, then bytes that are no chunk at all.
const char GARBAGE[] = "\x89PNG\r\n\x1a\nthis is not a picture, only its first eight bytes are";

constexpr UINT FAIL_EXIT_CODE = 5;
constexpr DWORD SLOW_MS = 2500;

std::wstring ValueOf(int argc, wchar_t** argv, const wchar_t* option) {
    const std::size_t length = std::wcslen(option);
    for (int i = 1; i < argc; ++i) {
        if (std::wcsncmp(argv[i], option, length) == 0) {
            return argv[i] + length;
        }
    }
    return std::wstring();
}

std::string Checker(std::size_t length = sizeof(CHECKER_PNG)) {
    return std::string(reinterpret_cast<const char*>(CHECKER_PNG), length);
}

[[noreturn]] void Crash() {
    // A real fault, not an exit code: the program must live through its
    // encoder dying this way.
    *static_cast<volatile int*>(nullptr) = 1;
    for (;;) {
        Sleep(INFINITE);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring output = ValueOf(argc, argv, L"--output=");
    const std::wstring data = ValueOf(argc, argv, L"--data=");
    if (data == L"crash") {
        Crash();
    }
    if (data == L"fail") {
        return FAIL_EXIT_CODE;
    }
    if (data == L"garbage") {
        WriteBytes(output, std::string(GARBAGE, sizeof(GARBAGE) - 1));
        return 0;
    }
    if (data == L"truncated") {
        WriteBytes(output, Checker(sizeof(CHECKER_PNG) / 2));
        return 0;
    }
    if (data == L"slow") {
        Sleep(SLOW_MS);
    }
    if (data == L"png" || data == L"slow") {
        WriteBytes(output, Checker());
        return 0;
    }
    WriteBytes(output, Utf8(data));
    if (data == L"hang") {
        WriteBytes(output + L".pid", std::to_string(GetCurrentProcessId()));
        Sleep(INFINITE);
    }
    return 0;
}
