// The encoder's command line. Portable.
#pragma once
#include <string>
#include <string_view>

// `arg` between double quotes, escaped so that CommandLineToArgvW (which the
// encoder uses to split its command line) gives back exactly `arg`: a run of
// backslashes before a quote is doubled and the quote escaped, a run at the end
// is doubled; nothing else changes.
std::wstring QuoteArgument(std::wstring_view arg);

// "<encoder>" --output="<output>" --barcode=58 --data=<QuoteArgument(payload)> --scale=4
std::wstring BuildEncoderCommandLine(std::wstring_view encoderPath, std::wstring_view outputPath,
                                     std::wstring_view payload);
