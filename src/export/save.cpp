// The Save button: ask for a name, force the png extension onto it and copy the
// encoder's output file there byte for byte.
#include "export/save.h"

#include <commdlg.h>

#include <array>
#include <string>

#include "export/png_extension.h"
#include "export/save_rules.h"
#include "pipeline/pipeline.h"
#include "ui/ui.h"

namespace {

// One pair and the list's own end: the literal's terminator is the final NUL.
const wchar_t SAVE_FILTER[] = L"Portable Network Graphic (*.png)\0*.png\0";

// The platform's Save As dialog; `proposed` (empty, or a path that fits) is the
// name it opens with. False on cancel or failure of the dialog.
bool AskSaveName(HWND owner, const std::wstring& proposed, std::wstring* chosen) {
    std::array<wchar_t, MAX_PATH> file{};
    proposed.copy(file.data(), file.size() - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.hInstance = g_hInstance;
    ofn.lpstrFilter = SAVE_FILTER;
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&ofn)) {
        return false;
    }
    *chosen = file.data();
    return true;
}

// A file, not a folder: a folder of that name makes the copy fail, which is then reported.
bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring SystemReason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length != 0 && text != nullptr ? std::wstring(text, length)
                                                         : L"system error " + std::to_wstring(error);
    LocalFree(text);
    return reason;
}

// A lost copy must not pass unnoticed: the user believes the code is on disk.
void ReportSaveFailure(HWND owner, const std::wstring& path, const std::wstring& reason) {
    MessageBoxW(owner, SaveFailureText(path, reason).c_str(), L"Kelvora", MB_OK | MB_ICONERROR);
}

void CopyOutputTo(HWND owner, const std::wstring& target) {
    if (CopyFileW(g_outputPath, target.c_str(), FALSE)) {
        return;
    }
    const DWORD error = GetLastError();
    // "File not found" would read as if the chosen name were missing: say which file.
    if (GetFileAttributesW(g_outputPath) == INVALID_FILE_ATTRIBUTES) {
        ReportSaveFailure(owner, target, L"The code's file " + std::wstring(g_outputPath) + L" is missing");
        return;
    }
    ReportSaveFailure(owner, target, SystemReason(error));
}

}  // namespace

int SaveImageAs(HWND owner) {
    std::wstring proposed;
    for (;;) {
        std::wstring confirmed;
        if (!AskSaveName(owner, proposed, &confirmed)) {
            // Also when this was the second question about a forced name: nothing was saved.
            return 0;
        }
        std::wstring forced = confirmed;
        EnsurePngExtension(forced);
        switch (ChooseSaveStep(confirmed, forced, FileExists(forced))) {
        case SaveStep::Copy:
            CopyOutputTo(owner, forced);
            return 1;
        case SaveStep::TooLong:
            ReportSaveFailure(owner, forced,
                              L"The name is too long: with the extension .png it has " +
                                  std::to_wstring(forced.size()) + L" characters, at most " +
                                  std::to_wstring(MAX_PATH - 1) + L" fit");
            return 1;
        case SaveStep::AskAgain:
            // qr.jpg became qr.png, which exists: let the dialog's own overwrite
            // question cover the name that will really be written.
            proposed = forced;
            break;
        }
    }
}
