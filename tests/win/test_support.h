// Small helpers shared by the Windows tests: where the test executable lives,
// whole-file reads and writes, a scratch folder, the real encoder, and a
// message pump.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "pipeline/command_line.h"

namespace test_support {

inline std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Others may hold the file for reading or writing meanwhile, as a C runtime
// stream lets them; "" when it cannot be opened.
inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

// Replaces the file with `size` bytes; true when all of them were written.
inline bool WriteBytes(const std::wstring& path, const void* bytes, std::size_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

inline bool WriteBytes(const std::wstring& path, std::string_view bytes) {
    return WriteBytes(path, bytes.data(), bytes.size());
}

inline std::string Utf8(std::wstring_view text) {
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

// Deletes `folder` with everything in it.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A folder of its own under the temporary folder; what is put in it goes with it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"kelvora-test-" + std::to_wstring(GetCurrentProcessId()) +
                 L"-" + std::to_wstring(++Serial());
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::wstring File(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    static int& Serial() {
        static int serial = 0;
        return serial;
    }
    std::wstring m_path;
};

// Runs core\zint.exe beside the test executable with `arguments` and waits for
// it; true when it ended with 0.
inline bool RunZint(const std::wstring& arguments) {
    std::wstring line = L"\"" + ExeFolder() + L"\\core\\zint.exe\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

// The real encoder writes a QR code of `data` to `output`, `scale` pixels a module.
inline bool MakeQrPng(const std::wstring& output, std::wstring_view data, int scale = 4) {
    return RunZint(L"--output=\"" + output + L"\" --barcode=58 --data=" + QuoteArgument(data) +
                   L" --scale=" + std::to_wstring(scale));
}

// Handles what is queued, as the program's loop would. With `settleRounds`, does
// so that many times, each followed by 20 ms for what the X server sends a little
// later (Wine reads its events only while messages are fetched). A WM_QUIT taken
// from the queue makes it return true, its exit code in `*quitCode` when given.
inline bool PumpMessages(int settleRounds = 0, WPARAM* quitCode = nullptr) {
    bool quit = false;
    for (int round = 0; round == 0 || round < settleRounds; ++round) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                if (quitCode != nullptr) {
                    *quitCode = msg.wParam;
                }
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (settleRounds > 0) {
            Sleep(20);
        }
    }
    return quit;
}

}  // namespace test_support
