#include "pipeline/command_line.h"

#include <cstddef>

std::wstring QuoteArgument(std::wstring_view arg) {
    std::wstring quoted;
    quoted.reserve(arg.size() + 2);
    quoted += L'"';
    std::size_t backslashes = 0;  // length of the run just copied
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            if (c == L'"') {
                // The run before a quote is doubled and the quote escaped, so
                // the splitter yields the run and a literal quote.
                quoted.append(backslashes + 1, L'\\');
            }
            backslashes = 0;
        }
        quoted += c;
    }
    // A run at the end would otherwise escape the closing quote.
    quoted.append(backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring BuildEncoderCommandLine(std::wstring_view encoderPath, std::wstring_view outputPath,
                                     std::wstring_view payload) {
    std::wstring commandLine;
    commandLine += L'"';
    commandLine += encoderPath;
    commandLine += L'"';
    commandLine += L" --output=\"";
    commandLine += outputPath;
    commandLine += L'"';
    commandLine += L" --barcode=58";
    commandLine += L" --data=";
    commandLine += QuoteArgument(payload);
    commandLine += L" --scale=4";
    return commandLine;
}
