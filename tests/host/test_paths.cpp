// The output and encoder paths: joined as the shell joins them, and refused
// rather than truncated when they would not fit a path buffer.
#include <gtest/gtest.h>

#include <string>

#include "pipeline/path_rules.h"

namespace {

TEST(JoinPath, PutsExactlyOneBackslashBetween) {
    struct Case {
        const wchar_t* path;
        const wchar_t* more;
        const wchar_t* joined;
    };
    const Case cases[] = {
        {L"C:\\a", L"b", L"C:\\a\\b"},
        {L"C:\\a\\", L"b", L"C:\\a\\b"},
        {L"C:\\a", L"\\b", L"C:\\a\\b"},
        {L"C:\\a\\", L"\\\\b", L"C:\\a\\b"},
        {L"C:\\", L"out.png", L"C:\\out.png"},
        {L"C:\\a", L"\\core\\zint.exe", L"C:\\a\\core\\zint.exe"},
        {L"", L"\\core\\zint.exe", L"core\\zint.exe"},
        {L"", L"out.png", L"out.png"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinPath(c.path, c.more), c.joined);
    }
}

TEST(OutputPathFor, JoinsOutPngToTheFolderOrGivesNothing) {
    struct Case {
        const char* name;
        bool found;
        const wchar_t* folder;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"usual folder", true, L"C:\\Users\\u\\AppData\\Local", L"C:\\Users\\u\\AppData\\Local\\out.png"},
        {"blank kept", true, L"C:\\Users\\A B\\AppData\\Local", L"C:\\Users\\A B\\AppData\\Local\\out.png"},
        {"folder ending in a backslash", true, L"C:\\Users\\u\\", L"C:\\Users\\u\\out.png"},
        {"query failed", false, L"C:\\Users\\u\\AppData\\Local", L""},
        {"query failed, nothing written", false, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OutputPathFor(c.found, c.folder), c.expected);
    }
}

TEST(EncoderPathFor, ReplacesTheFileNameWithCoreZint) {
    struct Case {
        const wchar_t* modulePath;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"D:\\tools\\gen\\app.exe", L"D:\\tools\\gen\\core\\zint.exe"},
        {L"C:\\Program Files\\Gen\\app.exe", L"C:\\Program Files\\Gen\\core\\zint.exe"},
        {L"C:\\app.exe", L"C:\\core\\zint.exe"},
        {L"\\\\server\\share\\app.exe", L"\\\\server\\share\\core\\zint.exe"},
        {L"app.exe", L"app.exe\\core\\zint.exe"},  // no backslash: left whole
        {L"", L"core\\zint.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncoderPathFor(c.modulePath), c.expected);
    }
}

TEST(WorkingPaths, ARefusedPathIsEmptyNeverCut) {
    const std::size_t longest = PATH_CAPACITY - 1;  // 259 units plus the terminator
    const std::wstring outName = L"\\out.png";
    const std::wstring encoderTail = L"\\core\\zint.exe";

    std::wstring folder = L"C:\\" + std::wstring(longest - outName.size() - 3, L'f');
    EXPECT_EQ(OutputPathFor(true, folder), folder + outName);
    EXPECT_EQ(folder.size() + outName.size(), longest);
    EXPECT_EQ(OutputPathFor(true, folder + L"f"), L"");

    std::wstring exeFolder = L"C:\\" + std::wstring(longest - encoderTail.size() - 3, L'g');
    EXPECT_EQ(EncoderPathFor(exeFolder + L"\\app.exe"), exeFolder + encoderTail);
    EXPECT_EQ(exeFolder.size() + encoderTail.size(), longest);
    EXPECT_EQ(EncoderPathFor(exeFolder + L"g\\app.exe"), L"");
}

}  // namespace
