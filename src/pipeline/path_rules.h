// Joining of the two working paths. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Path buffers hold this many UTF-16 units, terminator included (MAX_PATH).
constexpr std::size_t PATH_CAPACITY = 260;

// `path` and `more` with exactly one backslash between them; backslashes at the
// end of `path` or the head of `more` do not double it.
std::wstring JoinPath(std::wstring_view path, std::wstring_view more);

// The output file: the local application data folder joined with "out.png", or
// empty when the folder could not be obtained or the result would not fit.
std::wstring OutputPathFor(bool folderFound, std::wstring_view localAppDataFolder);

// The encoder: the executable's folder (its path cut at the last backslash; left
// whole without one) joined with "\core\zint.exe", or empty when it would not fit.
std::wstring EncoderPathFor(std::wstring_view modulePath);
