// Save with the platform's real Save As dialog, answered from another thread as
// a person would answer it: what is written, what is returned, what is asked
// again and what is told when the copy fails.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "export/save.h"
#include "pipeline/pipeline.h"
#include "test_support.h"

namespace {

using namespace test_support;

// Name -> content of every file in `folder`; folders appear with the content "<dir>".
std::map<std::wstring, std::string> Listing(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        files[name] = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "<dir>" : ReadBytes(folder + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// What the answering thread does with the next window Save shows.
enum class Act {
    Type,     // type `name` into the Save As dialog's file name field and press Save
    Save,     // press Save with the field as it stands
    Cancel,   // Cancel / Escape
    Yes,      // the platform's question whether to replace a file
    Ok,       // a message box
};

struct Step {
    Act act;
    std::wstring name;
};

struct SeenWindow {
    std::wstring title;
    std::wstring text;  // the Save As dialog's file name field, or a message box's text
};

struct Answers {
    std::vector<Step> steps;
    std::set<HWND> known;
    std::vector<SeenWindow> seen;
    std::vector<HWND> answered;
    std::vector<std::wstring> unexpected;
    bool stuck = false;
    HANDLE done = nullptr;
};

BOOL CALLBACK CollectShownWindow(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    }
    return TRUE;
}

HWND NewShownWindow(const std::set<HWND>& known) {
    std::vector<HWND> shown;
    EnumWindows(CollectShownWindow, reinterpret_cast<LPARAM>(&shown));
    for (HWND window : shown) {
        if (known.count(window) == 0) {
            return window;
        }
    }
    return nullptr;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

void Post(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

DWORD WINAPI AnswerWindows(void* param) {
    auto* answers = static_cast<Answers*>(param);
    std::size_t next = 0;
    int idle = 0;
    while (WaitForSingleObject(answers->done, 50) == WAIT_TIMEOUT) {
        HWND window = NewShownWindow(answers->known);
        if (window == nullptr) {
            // Ten seconds without a new window while Save still runs: an expected
            // window never came, or one did not close. Cancel what is open so
            // that Save returns and the test fails instead of hanging.
            if (++idle > 200) {
                answers->stuck = true;
                next = answers->steps.size();
                for (HWND answered : answers->answered) {
                    if (IsWindow(answered)) {
                        Post(answered, IDCANCEL);
                    }
                }
                idle = 0;
            }
            continue;
        }
        idle = 0;
        Sleep(300);  // let the window finish filling itself
        answers->known.insert(window);
        answers->answered.push_back(window);
        HWND field = GetDlgItem(window, cmb13);
        SeenWindow seen{TextOf(window), field ? TextOf(field) : TextOf(GetDlgItem(window, 0xFFFF))};
        if (next >= answers->steps.size()) {
            // Nothing more was expected: note it and close it, so that no test hangs.
            answers->unexpected.push_back(seen.title + L": " + seen.text);
            Post(window, IDCANCEL);
            continue;
        }
        answers->seen.push_back(seen);
        const Step& step = answers->steps[next++];
        switch (step.act) {
        case Act::Type:
            SetWindowTextW(field, step.name.c_str());
            Post(window, IDOK);
            break;
        case Act::Save:
        case Act::Ok:
            Post(window, IDOK);
            break;
        case Act::Cancel:
            Post(window, IDCANCEL);
            break;
        case Act::Yes:
            Post(window, IDYES);
            break;
        }
    }
    return 0;
}

class SaveImageAsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.File(L"save");
        ASSERT_TRUE(FreshFolder());
        savedOutputPath_ = g_outputPath;
        source_ = scratch_.File(L"out.png");  // beside the folder, not in it
        WriteBytes(source_, code_);
        lstrcpynW(g_outputPath, source_.c_str(), MAX_PATH);
        // The owner stays hidden: Save needs a window, not a shown one.
        owner_ = CreateWindowExW(0, L"Static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
    }

    void TearDown() override {
        DestroyWindow(owner_);
        lstrcpynW(g_outputPath, savedOutputPath_.c_str(), MAX_PATH);
        LeaveFolder();
    }

    // The Save As dialog makes the folder it saved in the current one, which
    // then cannot be removed.
    void LeaveFolder() const {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        SetCurrentDirectoryW(temp);
    }

    bool FreshFolder() const {
        LeaveFolder();
        RemoveTree(folder_);
        return CreateDirectoryW(folder_.c_str(), nullptr) != FALSE;
    }

    // Runs Save while another thread answers its windows by `steps`.
    int SaveAnswering(const std::vector<Step>& steps, Answers* answers) {
        answers->steps = steps;
        std::vector<HWND> shown;
        EnumWindows(CollectShownWindow, reinterpret_cast<LPARAM>(&shown));
        answers->known.insert(shown.begin(), shown.end());
        answers->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE thread = CreateThread(nullptr, 0, AnswerWindows, answers, 0, nullptr);
        const int result = SaveImageAs(owner_);
        SetEvent(answers->done);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(answers->done);
        EXPECT_FALSE(answers->stuck) << "an expected window never appeared, or one did not close";
        for (const std::wstring& window : answers->unexpected) {
            ADD_FAILURE() << "unexpected window: " << Utf8(window);
        }
        return result;
    }

    std::wstring In(const std::wstring& name) const { return folder_ + L"\\" + name; }

    const std::string code_ = "\x89PNG\r\n\x1a\n the code of the last regeneration";
    const std::string older_ = "an older file the user keeps";
    ScratchFolder scratch_;  // removed after TearDown has left the folder
    std::wstring folder_;
    std::wstring source_;
    std::wstring savedOutputPath_;
    HWND owner_ = nullptr;
};

TEST_F(SaveImageAsTest, WritesTheCodeUnderTheForcedNameOrNothing) {
    struct Case {
        const char* name;
        bool pngExists;  // qr.png holds an older file beforehand
        std::vector<Step> steps;
        int result;
        std::map<std::wstring, std::string> after;  // the folder afterwards (empty string: the code)
        const wchar_t* secondField;                 // the file name proposed by a second dialog
    };
    const std::wstring dir = folder_ + L"\\";
    const Case cases[] = {
        {"a name without extension gets .png", false, {{Act::Type, dir + L"qr"}}, 1, {{L"qr.png", ""}}, nullptr},
        {"cancel writes nothing", false, {{Act::Cancel, L""}}, 0, {}, nullptr},
        {"cancel leaves an existing file", true, {{Act::Cancel, L""}}, 0, {{L"qr.png", older_}}, nullptr},
        {"another extension is replaced", false, {{Act::Type, dir + L"qr.jpg"}}, 1, {{L"qr.png", ""}}, nullptr},
        {"the dialog's own question covers a png name", true, {{Act::Type, dir + L"qr.png"}, {Act::Yes, L""}}, 1,
         {{L"qr.png", ""}}, nullptr},
        {"a forced name that exists is asked again; cancel keeps the file", true,
         {{Act::Type, dir + L"qr.jpg"}, {Act::Cancel, L""}}, 0, {{L"qr.png", older_}}, L"qr.png"},
        {"asked again and agreed: the file is replaced", true,
         {{Act::Type, dir + L"qr.jpg"}, {Act::Save, L""}, {Act::Yes, L""}}, 1, {{L"qr.png", ""}}, L"qr.png"},
        {"asked again, another free name chosen there", true,
         {{Act::Type, dir + L"qr.jpg"}, {Act::Type, dir + L"other"}}, 1, {{L"qr.png", older_}, {L"other.png", ""}},
         L"qr.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(FreshFolder());
        if (c.pngExists) {
            WriteBytes(In(L"qr.png"), older_);
        }
        Answers answers;
        EXPECT_EQ(SaveAnswering(c.steps, &answers), c.result);
        std::map<std::wstring, std::string> expected = c.after;
        for (auto& file : expected) {
            if (file.second.empty()) {
                file.second = code_;
            }
        }
        const auto listing = Listing(folder_);
        EXPECT_TRUE(listing == expected) << listing.size() << " files, expected " << expected.size();
        for (const auto& file : listing) {
            EXPECT_TRUE(expected.count(file.first) && expected.at(file.first) == file.second)
                << Utf8(file.first) << " holds '" << file.second << "'";
        }
        ASSERT_GE(answers.seen.size(), 1u);
        EXPECT_EQ(answers.seen[0].text, L"") << "the first dialog proposes a name";
        if (c.secondField != nullptr) {
            ASSERT_GE(answers.seen.size(), 2u);
            // The dialog shows the name within the folder it opened in.
            const std::wstring field = answers.seen[1].text;
            EXPECT_TRUE(field == c.secondField || field == dir + c.secondField) << Utf8(field);
        }
    }
}

TEST_F(SaveImageAsTest, TellsTheUserWhyACopyFailed) {
    const std::wstring dir = folder_ + L"\\";
    // A chosen path of 258 units fits the dialog's buffer; with .png it no longer fits.
    const std::wstring longName = dir + std::wstring(258 - dir.size(), L'l');
    struct Case {
        const char* name;
        std::wstring typed;
        std::wstring written;  // the name the message must give
        const wchar_t* reason; // a part of the reason, or null for the system's own text
        bool sourceGone;
    };
    const Case cases[] = {
        {"a folder that does not exist", dir + L"missing\\qr", dir + L"missing\\qr.png", nullptr, false},
        {"a folder in the way of the file", dir + L"taken", dir + L"taken.png", nullptr, false},
        {"the code's file is gone", dir + L"qr", dir + L"qr.png", L"is missing", true},
        {"the forced name is too long", longName, longName + L".png", L"too long", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(FreshFolder());
        ASSERT_TRUE(CreateDirectoryW(In(L"taken.png").c_str(), nullptr));
        if (c.sourceGone) {
            DeleteFileW(source_.c_str());
        }
        Answers answers;
        EXPECT_EQ(SaveAnswering({{Act::Type, c.typed}, {Act::Ok, L""}}, &answers), 1)
            << "a confirmed name gives 1 whatever the copy did";
        WriteBytes(source_, code_);

        ASSERT_EQ(answers.seen.size(), 2u);
        const SeenWindow& message = answers.seen[1];
        EXPECT_EQ(message.title, L"Kelvora");
        const std::wstring head = L"Could not save " + c.written + L":\n";
        ASSERT_EQ(message.text.compare(0, head.size(), head), 0) << Utf8(message.text);
        const std::wstring reason = message.text.substr(head.size());
        EXPECT_GT(reason.size(), 3u) << "no reason given";
        if (c.reason != nullptr) {
            EXPECT_NE(reason.find(c.reason), std::wstring::npos) << Utf8(reason);
        }
        const auto listing = Listing(folder_);
        EXPECT_EQ(listing.size(), 1u) << "something was written";
    }
}

}  // namespace
