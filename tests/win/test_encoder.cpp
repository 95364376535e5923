// The Win32 side of payload -> encoder: fields read from real edit controls,
// the working paths, the command line as the platform splits it, and the
// encoder run with a stand-in and with the real encoder.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "payload/payload.h"
#include "pipeline/command_line.h"
#include "pipeline/encoder_run.h"
#include "pipeline/pipeline.h"
#include "support/process_counters.h"
#include "test_support.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace {

using namespace test_support;

// Payloads that naive quoting would corrupt, and plain ones beside them.
const wchar_t* const TRICKY_PAYLOADS[] = {
    L"\"",
    L"\\\"",                        // \"
    L"C:\\dir\\",                   // trailing backslash
    L"\\\\",                        // two backslashes alone
    L"\\",                          // a lone backslash
    L"a\\\"b",                      // a\"b
    L"say \"hi\"",
    L"line1\r\nline2",
    L"x\" --output=\"C:\\evil.png",  // an attempt to add an option
    L"",
};

TEST(EncoderCommandLine, ThePlatformSplitsItIntoExactlyTheFiveArguments) {
    const std::wstring encoder = L"C:\\Program Files\\Gen\\core\\zint.exe";
    const std::wstring output = L"C:\\Users\\u v\\AppData\\Local\\out.png";
    for (const wchar_t* payload : TRICKY_PAYLOADS) {
        SCOPED_TRACE(Utf8(payload));
        const std::wstring line = BuildEncoderCommandLine(encoder, output, payload);
        int argc = 0;
        LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
        ASSERT_NE(argv, nullptr);
        std::vector<std::wstring> args(argv, argv + argc);
        LocalFree(argv);
        ASSERT_EQ(args.size(), 5u);
        EXPECT_EQ(args[0], encoder);
        EXPECT_EQ(args[1], L"--output=" + output);
        EXPECT_EQ(args[2], L"--barcode=58");
        EXPECT_EQ(args[3], L"--data=" + std::wstring(payload));
        EXPECT_EQ(args[4], L"--scale=4");
    }
}

TEST(InitPaths, OutputInLocalAppDataAndEncoderBesideTheExecutable) {
    g_outputPath[0] = L'\0';
    g_encoderPath[0] = L'\0';
    InitPaths();

    wchar_t folder[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder),
              S_OK);
    EXPECT_EQ(std::wstring(g_outputPath), std::wstring(folder) + L"\\out.png");

    EXPECT_EQ(std::wstring(g_encoderPath), ExeFolder() + L"\\core\\zint.exe");
    EXPECT_TRUE(FileExists(g_encoderPath));
}

// Each test starts from InitPaths' paths and an old picture at the output path,
// and leaves the globals as it found them.
class RunEncoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPayload_ = g_payload;
        InitPaths();
        output_ = g_outputPath;
        ASSERT_FALSE(output_.empty());
        WriteBytes(output_, "old picture");
        ASSERT_TRUE(FileExists(output_));
    }
    void TearDown() override {
        g_payload = savedPayload_;
        InitPaths();
        DeleteFileW((output_ + L".pid").c_str());
    }
    void UseStandIn() {
        const std::wstring stub = ExeFolder() + L"\\stub_encoder.exe";
        ASSERT_TRUE(FileExists(stub));
        ASSERT_LT(stub.size(), static_cast<std::size_t>(MAX_PATH));
        wcscpy(g_encoderPath, stub.c_str());
    }

    std::wstring output_;
    std::wstring savedPayload_;
};

TEST_F(RunEncoderTest, EmptyPayloadDeletesTheOldPictureAndStartsNothing) {
    UseStandIn();  // would leave a file at the output path if it were started
    g_payload.clear();
    RunEncoder();
    EXPECT_FALSE(FileExists(output_));
}

TEST_F(RunEncoderTest, TheDataReachesTheStartedProgramWhole) {
    UseStandIn();
    std::vector<std::wstring> payloads(std::begin(TRICKY_PAYLOADS), std::end(TRICKY_PAYLOADS) - 1);
    payloads.push_back(L"Gr\x00FC\x00DF" L"e \x65E5\x672C\x8A9E");
    payloads.push_back(L"BEGIN:VCARD\nVERSION:3.0\nEND:VCARD");
    for (const std::wstring& payload : payloads) {
        SCOPED_TRACE(Utf8(payload));
        g_payload = payload;
        RunEncoder();
        ASSERT_TRUE(FileExists(output_));
        EXPECT_EQ(ReadBytes(output_), Utf8(payload));
    }
}

TEST_F(RunEncoderTest, TheRealEncoderWritesAPng) {
    g_payload = L"http://a";
    RunEncoder();
    const std::string picture = ReadBytes(output_);
    ASSERT_GE(picture.size(), 8u);
    EXPECT_EQ(picture.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(RunEncoderTest, AMissingEncoderLeavesNoPicture) {
    wcscpy(g_encoderPath, (ExeFolder() + L"\\core\\no-such-encoder.exe").c_str());
    g_payload = L"hello";
    RunEncoder();
    EXPECT_FALSE(FileExists(output_));
}

struct BoundedRun {
    DWORD sliceMs;
    DWORD limitMs;
};

DWORD WINAPI RunEncoderOnThread(LPVOID parameter) {
    const auto* run = static_cast<const BoundedRun*>(parameter);
    RunEncoderWithin(run->sliceMs, run->limitMs);
    return 0;
}

TEST_F(RunEncoderTest, AnEncoderThatNeverEndsIsStoppedAtTheLimit) {
    UseStandIn();
    g_payload = L"hang";  // the stand-in writes the output and its pid, then sleeps
    BoundedRun run{200, 2000};
    // On a thread, so that a wait without a limit fails this test instead of hanging it.
    const ULONGLONG start = GetTickCount64();
    HANDLE thread = CreateThread(nullptr, 0, RunEncoderOnThread, &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const bool returned = WaitForSingleObject(thread, run.limitMs + 10000) == WAIT_OBJECT_0;
    const ULONGLONG elapsed = GetTickCount64() - start;

    const std::string pid = ReadBytes(output_ + L".pid");
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                 static_cast<DWORD>(std::strtoul(pid.c_str(), nullptr, 10)));
    const bool gone = !process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (process) {
        TerminateProcess(process, 1);  // never leave one behind, even when failing
        CloseHandle(process);
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);

    ASSERT_TRUE(returned) << "RunEncoder still waited long after the limit";
    ASSERT_FALSE(pid.empty()) << "the stand-in did not get as far as writing its output";
    EXPECT_TRUE(gone);
    EXPECT_GE(elapsed, run.limitMs - run.sliceMs);
    EXPECT_FALSE(FileExists(output_)) << "what the ended encoder wrote must not pass for a result";
}

TEST_F(RunEncoderTest, NoHandleOutlivesARun) {
    UseStandIn();
    const std::wstring standIn = g_encoderPath;
    const std::wstring missing = ExeFolder() + L"\\core\\no-such-encoder.exe";
    const long before = CountKernelHandles();
    ASSERT_GT(before, 0) << "the handle count is not available";
    constexpr int runs = 4;
    for (int i = 0; i < runs; ++i) {
        wcscpy(g_encoderPath, standIn.c_str());
        g_payload = L"ends";
        RunEncoder();
        g_payload = L"hang";
        RunEncoderWithin(50, 300);
        wcscpy(g_encoderPath, missing.c_str());
        RunEncoder();
    }
    // Two handles per started run would be left by a leak: 16 here.
    EXPECT_LT(CountKernelHandles() - before, runs);
}

// Five panels, each holding an edit control for every field id, so a read from
// the wrong panel shows.
class BuildPayloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedType_ = g_contentType;
        savedPayload_ = g_payload;
        for (int i = 0; i < 5; ++i) {
            savedPanels_[i] = g_panels[i];
            panels_[i] = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
            ASSERT_NE(panels_[i], nullptr);
            for (int id = IDC_FIELD_FIRST; id <= IDC_FIELD_LAST; ++id) {
                HWND edit = CreateWindowExW(
                    0, L"EDIT", L"", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0,
                    300, 20, panels_[i], reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                    GetModuleHandleW(nullptr), nullptr);
                ASSERT_NE(edit, nullptr);
                SendMessageW(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
            }
            g_panels[i] = panels_[i];
        }
    }
    void TearDown() override {
        for (int i = 0; i < 5; ++i) {
            g_panels[i] = savedPanels_[i];
            DestroyWindow(panels_[i]);
        }
        g_contentType = savedType_;
        g_payload = savedPayload_;
    }
    // Puts `fields` into the panel of `type` and the same ids, with other texts,
    // into every other panel.
    void Fill(int type, const std::map<int, std::wstring>& fields) {
        for (int i = 0; i < 5; ++i) {
            for (int id = IDC_FIELD_FIRST; id <= IDC_FIELD_LAST; ++id) {
                SetDlgItemTextW(panels_[i], id, L"");
            }
            for (const auto& [id, text] : fields) {
                SetDlgItemTextW(panels_[i], id, i == type - FreeText ? text.c_str() : L"wrong");
            }
        }
    }

    HWND panels_[5] = {};
    HWND savedPanels_[5] = {};
    ContentType savedType_ = FreeText;
    std::wstring savedPayload_;
};

TEST_F(BuildPayloadTest, ComposesFromTheCurrentTypesPanelOnly) {
    struct Case {
        int type;
        std::map<int, std::wstring> fields;
        std::wstring payload;
    };
    const Case cases[] = {
        {FreeText, {}, L""},
        {FreeText, {{IDC_FREETEXT_TEXT, L"line1\r\nline2"}}, L"line1\r\nline2"},
        {Url, {}, L"http://"},
        {Url, {{IDC_URL_TEXT, L"site"}}, L"http://site"},
        {Url, {{IDC_URL_TEXT, L"https://site"}}, L"https://site"},
        {PhoneNumber, {{IDC_PHONE_NUMBER, L"+1 555 0100"}}, L"tel:+1 555 0100"},
        {Sms,
         {{IDC_SMS_NUMBER, L"123"}, {IDC_SMS_MESSAGE, L"hi\r\nthere"}},
         L"SMSTO:123:hi\r\nthere"},
        {Contact,
         {{IDC_CONTACT_NAME, L"Doe"}, {IDC_CONTACT_FIRSTNAME, L"Jane"}, {IDC_CONTACT_CITY, L"Paris"}},
         L"BEGIN:VCARD\nVERSION:3.0\nN:Doe;Jane\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\n"
         L"TEL;TYPE=CELL:\nTEL:\nTEL;TYPE=FAX:\nADR:;;;Paris;;;\nEND:VCARD"},
        {999, {{IDC_FREETEXT_TEXT, L"x"}}, L""},
        {1005, {{IDC_URL_TEXT, L"x"}}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Fill(c.type, c.fields);
        g_contentType = static_cast<ContentType>(c.type);
        g_payload = L"stale";
        BuildPayload();
        EXPECT_EQ(g_payload, c.payload);
    }
}

std::wstring Pattern(wchar_t first, std::size_t length) {
    std::wstring text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<wchar_t>(first + i % 26);
    }
    return text;
}

TEST_F(BuildPayloadTest, AFieldContributesAtMost4095Units) {
    const std::wstring text = Pattern(L'a', 5000);
    const std::wstring number = Pattern(L'A', 5000);
    const std::wstring message = text;

    Fill(FreeText, {{IDC_FREETEXT_TEXT, text}});
    g_contentType = FreeText;
    BuildPayload();
    // Compared whole but reported by length: a failure would print 8000 units.
    EXPECT_EQ(g_payload.size(), 4095u);
    EXPECT_TRUE(g_payload == text.substr(0, 4095));

    // Both fields go through the one buffer: each is appended before the next read.
    Fill(Sms, {{IDC_SMS_NUMBER, number}, {IDC_SMS_MESSAGE, message}});
    g_contentType = Sms;
    BuildPayload();
    const std::wstring expected =
        L"SMSTO:" + number.substr(0, 4095) + L":" + message.substr(0, 4095);
    EXPECT_EQ(g_payload.size(), expected.size());
    EXPECT_TRUE(g_payload == expected);
}

}  // namespace
