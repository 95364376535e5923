// Helpers of the picture and regeneration tests: a scratch folder, the real
// encoder, a canvas whose pixels can be read back, and a count of GDI objects.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace preview_test {

inline std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool WriteBytes(const std::wstring& path, const void* bytes, DWORD size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
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

// A folder of its own under the temporary folder; its files go with it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"kelvora-img-" + std::to_wstring(GetCurrentProcessId()) +
                 L"-" + std::to_wstring(++Serial());
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((m_path + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_path.c_str());
    }
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

// Runs core\zint.exe beside the test executable and waits for it; true when it
// ended with 0.
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

// The encoder's picture of "hello": 168 x 168 pixels, 1 bit a pixel with a palette.
inline bool MakeHelloPng(const std::wstring& path) {
    return RunZint(L"--output=\"" + path + L"\" --barcode=58 --data=hello --scale=4");
}

struct Rgb {
    BYTE r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::string ToString(const Rgb& c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// A 32-bit top-down DIB in a memory DC: a destination whose pixels can be read.
class Canvas {
public:
    Canvas(int width, int height, Rgb fill) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<std::uint32_t*>(bits);
        m_dc = CreateCompatibleDC(nullptr);
        m_previous = SelectObject(m_dc, m_bitmap);
        const std::uint32_t packed = (fill.r << 16) | (fill.g << 8) | fill.b;
        for (int i = 0; i < width * height; ++i) {
            m_pixels[i] = packed;
        }
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    bool Ready() const { return m_dc != nullptr && m_pixels != nullptr; }
    Rgb At(int x, int y) const {
        GdiFlush();  // drawing may still be batched
        return Unpack(m_pixels[y * m_width + x]);
    }
    int Count(Rgb colour) const {
        GdiFlush();
        int n = 0;
        for (int i = 0; i < m_width * m_height; ++i) {
            n += Unpack(m_pixels[i]) == colour ? 1 : 0;
        }
        return n;
    }

private:
    static Rgb Unpack(std::uint32_t p) {
        return Rgb{static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p)};
    }
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    std::uint32_t* m_pixels = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};

// Live GDI objects of this process. GetGuiResources reads 0 under Wine, but there
// a handle's low word is its slot in the process's GDI table and a handle with
// the high word zero still names that slot's object: counting the slots that
// answer GetObjectType counts the objects.
inline int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR slot = 1; slot <= 0xFFFF; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) {
            ++count;
        }
    }
    return count;
}

}  // namespace preview_test
