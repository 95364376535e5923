#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "pipeline/path_rules.h"
#include "pipeline/pipeline.h"

wchar_t g_outputPath[MAX_PATH];
wchar_t g_encoderPath[MAX_PATH];

static_assert(PATH_CAPACITY == MAX_PATH, "the path rules must size paths as the buffers do");

namespace {

// A path that does not fit is never stored cut short: it would name another file.
void StorePath(const std::wstring& path, wchar_t (&target)[MAX_PATH]) {
    if (path.size() >= MAX_PATH) {
        target[0] = L'\0';
        return;
    }
    std::copy(path.begin(), path.end(), target);
    target[path.size()] = L'\0';
}

}  // namespace

void InitPaths() {
    wchar_t folder[MAX_PATH] = {};
    const HRESULT found =
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    StorePath(OutputPathFor(SUCCEEDED(found), folder), g_outputPath);

    // A result of MAX_PATH means the path was cut (ERROR_INSUFFICIENT_BUFFER),
    // and 0 that there is none: an encoder beside a guessed folder is no encoder.
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    const bool whole = length > 0 && length < MAX_PATH;
    StorePath(whole ? EncoderPathFor(std::wstring_view(module, length)) : std::wstring(),
              g_encoderPath);
}
