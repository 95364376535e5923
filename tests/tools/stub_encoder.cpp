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

namespace {

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

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
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
        WriteFileBytes(output, std::string(GARBAGE, sizeof(GARBAGE) - 1));
        return 0;
    }
    if (data == L"truncated") {
        WriteFileBytes(output, Checker(sizeof(CHECKER_PNG) / 2));
        return 0;
    }
    if (data == L"slow") {
        Sleep(SLOW_MS);
    }
    if (data == L"png" || data == L"slow") {
        WriteFileBytes(output, Checker());
        return 0;
    }
    WriteFileBytes(output, Utf8(data));
    if (data == L"hang") {
        WriteFileBytes(output + L".pid", std::to_string(GetCurrentProcessId()));
        Sleep(INFINITE);
    }
    return 0;
}
