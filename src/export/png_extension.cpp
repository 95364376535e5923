#include "export/png_extension.h"

#include <cstddef>
#include <string_view>

namespace {

wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// ASCII folding is enough: the only text compared is "png".
bool EqualsIgnoringAsciiCase(std::wstring_view text, std::wstring_view lowerCase) {
    if (text.size() != lowerCase.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AsciiLower(text[i]) != lowerCase[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

void EnsurePngExtension(std::wstring& path) {
    const std::size_t dot = path.rfind(L'.');
    const std::size_t backslash = path.rfind(L'\\');
    // A dot followed by a backslash belongs to a folder name, not to an extension.
    if (dot != std::wstring::npos && (backslash == std::wstring::npos || backslash < dot)) {
        if (EqualsIgnoringAsciiCase(std::wstring_view(path).substr(dot + 1), L"png")) {
            return;
        }
        path.erase(dot);
    }
    path += L".png";
}
