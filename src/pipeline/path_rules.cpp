#include "pipeline/path_rules.h"

namespace {

// The longest path a buffer of PATH_CAPACITY units can hold with its terminator.
constexpr std::size_t PATH_MAX_UNITS = PATH_CAPACITY - 1;

std::wstring FittedOrEmpty(std::wstring path) {
    // A truncated path would name some other file; better none at all.
    if (path.size() > PATH_MAX_UNITS) {
        return std::wstring();
    }
    return path;
}

}  // namespace

std::wstring JoinPath(std::wstring_view path, std::wstring_view more) {
    std::size_t skip = more.find_first_not_of(L'\\');
    more.remove_prefix(skip == std::wstring_view::npos ? more.size() : skip);
    if (path.empty()) {
        return std::wstring(more);
    }
    std::wstring joined(path);
    if (joined.back() != L'\\') {
        joined += L'\\';
    }
    joined += more;
    return joined;
}

std::wstring OutputPathFor(bool folderFound, std::wstring_view localAppDataFolder) {
    if (!folderFound) {
        return std::wstring();  // "out.png" alone would land in whatever folder is current
    }
    return FittedOrEmpty(JoinPath(localAppDataFolder, L"out.png"));
}

std::wstring EncoderPathFor(std::wstring_view modulePath) {
    std::wstring_view folder = modulePath;
    std::size_t lastBackslash = modulePath.rfind(L'\\');
    if (lastBackslash != std::wstring_view::npos) {
        folder = modulePath.substr(0, lastBackslash);
    }
    return FittedOrEmpty(JoinPath(folder, L"\\core\\zint.exe"));
}
