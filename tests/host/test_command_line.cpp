// The encoder's command line, and the quoting of the data argument that the
// encoder splits with the platform's rules.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>

#include "pipeline/command_line.h"

namespace {

// Reads one argument from the head of `line` by the platform's splitting rules
// (2n backslashes + quote: n backslashes, quote toggles; 2n+1 backslashes +
// quote: n backslashes and a literal quote; other backslashes are literal) and
// says where it ended. Used as an independent check that quoting round-trips.
std::wstring SplitFirstArgument(const std::wstring& line, std::size_t& end) {
    std::wstring arg;
    bool quoted = false;
    std::size_t i = 0;
    while (i < line.size()) {
        wchar_t c = line[i];
        if (c == L'\\') {
            std::size_t run = 0;
            while (i < line.size() && line[i] == L'\\') {
                ++run;
                ++i;
            }
            if (i < line.size() && line[i] == L'"') {
                arg.append(run / 2, L'\\');
                if (run % 2 == 1) {
                    arg += L'"';
                    ++i;
                }
            } else {
                arg.append(run, L'\\');
            }
        } else if (c == L'"') {
            quoted = !quoted;
            ++i;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            break;
        } else {
            arg += c;
            ++i;
        }
    }
    end = i;
    return arg;
}

TEST(QuoteArgument, EscapesOnlyBackslashRunsThatMeetAQuote) {
    struct Case {
        const wchar_t* arg;
        const wchar_t* quoted;
    };
    const Case cases[] = {
        {L"", L"\"\""},
        {L"http://a", L"\"http://a\""},
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
        {L"\"", L"\"\\\"\""},
        {L"a\\\"b", L"\"a\\\\\\\"b\""},           // a\"b: 1 backslash -> 3
        {L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},     // a\\"b: 2 backslashes -> 5
        {L"C:\\dir\\", L"\"C:\\dir\\\\\""},       // trailing run doubled
        {L"\\\\", L"\"\\\\\\\\\""},               // \\ alone -> 4
        {L"\\", L"\"\\\\\""},                     // lone \ -> 2
        {L"x\\\\y", L"\"x\\\\y\""},               // inner run unchanged
        {L"a\r\nb", L"\"a\r\nb\""},
        {L"a --scale=9", L"\"a --scale=9\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteArgument(c.arg), c.quoted);
    }
}

TEST(QuoteArgument, RandomTextsComeBackWholeFromTheSplitter) {
    const wchar_t alphabet[] = {L'a', L'\\', L'"', L' ', L'\t', L'\r', L'\n', L'-', L'\x00e9'};
    std::mt19937 random(20261211);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int n = 0; n < 5000; ++n) {
        std::wstring arg;
        for (int k = length(random); k > 0; --k) {
            arg += alphabet[pick(random)];
        }
        std::wstring line = QuoteArgument(arg) + L" --scale=4";
        std::size_t end = 0;
        ASSERT_EQ(SplitFirstArgument(line, end), arg) << "case " << n;
        ASSERT_EQ(line.substr(end), L" --scale=4") << "case " << n;
    }
}

TEST(BuildEncoderCommandLine, MatchesTheDocumentedLineByteForByte) {
    EXPECT_EQ(BuildEncoderCommandLine(L"D:\\tools\\gen\\core\\zint.exe",
                                      L"C:\\Users\\u\\AppData\\Local\\out.png", L"http://a"),
              L"\"D:\\tools\\gen\\core\\zint.exe\" --output=\"C:\\Users\\u\\AppData\\Local\\out.png\""
              L" --barcode=58 --data=\"http://a\" --scale=4");
}

TEST(BuildEncoderCommandLine, PlainPayloadsAndPathsStandUnchangedBetweenQuotes) {
    struct Case {
        const char* name;
        const wchar_t* encoder;
        const wchar_t* output;
        const wchar_t* payload;
    };
    const Case cases[] = {
        {"blanks in both paths", L"C:\\Program Files\\Gen\\core\\zint.exe",
         L"C:\\Users\\A B\\AppData\\Local\\out.png", L"http://a"},
        {"vCard line feeds", L"D:\\g\\core\\zint.exe", L"C:\\o\\out.png",
         L"BEGIN:VCARD\nVERSION:3.0\nN:;\nEND:VCARD"},
        {"CR LF and blanks", L"D:\\g\\core\\zint.exe", L"C:\\o\\out.png", L"one\r\ntwo  three"},
        {"inner backslashes", L"D:\\g\\core\\zint.exe", L"C:\\o\\out.png", L"x\\\\y\\z"},
        {"empty output path", L"D:\\g\\core\\zint.exe", L"", L"SMSTO::"},
        {"empty payload", L"D:\\g\\core\\zint.exe", L"C:\\o\\out.png", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring plain = std::wstring(L"\"") + c.encoder + L"\" --output=\"" + c.output +
                             L"\" --barcode=58 --data=\"" + c.payload + L"\" --scale=4";
        EXPECT_EQ(BuildEncoderCommandLine(c.encoder, c.output, c.payload), plain);
    }
}

TEST(BuildEncoderCommandLine, QuoteOrTrailingBackslashCannotLeakIntoOtherOptions) {
    for (const wchar_t* payload : {L"say \"hi\"", L"a\" --scale=40 \"", L"C:\\dir\\", L"\\"}) {
        std::wstring line = BuildEncoderCommandLine(L"D:\\g\\core\\zint.exe", L"C:\\o\\out.png",
                                                    payload);
        const std::wstring head =
            L"\"D:\\g\\core\\zint.exe\" --output=\"C:\\o\\out.png\" --barcode=58 --data=";
        ASSERT_EQ(line.compare(0, head.size(), head), 0);
        std::size_t end = 0;
        EXPECT_EQ(SplitFirstArgument(line.substr(head.size()), end), payload);
        EXPECT_EQ(line.substr(head.size() + end), L" --scale=4");
    }
}

}  // namespace
