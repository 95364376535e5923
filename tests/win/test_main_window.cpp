// The main window and its panels, made from the program's own templates: the
// state it opens in, the routing of its commands, where panels go, which field
// notifications regenerate, and the resources the program carries.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "payload/payload.h"
#include "pipeline/pipeline.h"
#include "test_support.h"
#include "ui/resource.h"
#include "ui/routing.h"
#include "ui/ui.h"

namespace {

using namespace test_support;

bool OutputExists() { return FileExists(g_outputPath); }

RECT RectInClient(HWND parent, HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring FieldText(HWND panel, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(panel, id, text, 256);
    return text;
}

HWND OpenMainWindow() {
    return CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        g_hInstance = GetModuleHandleW(nullptr);
        InitPaths();
        // Left by an earlier run: the window must not start from it.
        DeleteFileW(g_outputPath);
        window_ = OpenMainWindow();
        // Left hidden: taking a shown window down costs Wine's X11 driver two
        // seconds of waiting for a window manager that is not there.
        ASSERT_NE(window_, nullptr);
    }

    void TearDown() override {
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        PumpMessages();
    }

    // A click as the user makes it: the button checks itself and notifies the window.
    void Click(int id) { SendMessageW(GetDlgItem(window_, id), BM_CLICK, 0, 0); }

    INT_PTR Command(unsigned id, unsigned code) {
        return MainDialogProc(window_, WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    bool SaveEnabled() const { return IsWindowEnabled(GetDlgItem(window_, IDOK)) != FALSE; }

    std::vector<int> VisiblePanels() const {
        std::vector<int> visible;
        for (int i = 0; i < 5; ++i) {
            if (GetWindowLongW(g_panels[i], GWL_STYLE) & WS_VISIBLE) {
                visible.push_back(i);
            }
        }
        return visible;
    }

    HWND window_ = nullptr;
};

TEST_F(MainWindow, OpensOnAnEmptyFreeTextWithNothingToSave) {
    for (int id = IDC_TYPE_FREETEXT; id <= IDC_TYPE_SMS; ++id) {
        EXPECT_EQ(IsDlgButtonChecked(window_, id), id == IDC_TYPE_FREETEXT ? BST_CHECKED : BST_UNCHECKED)
            << "type button " << id;
    }
    EXPECT_EQ(g_contentType, FreeText);
    EXPECT_EQ(VisiblePanels(), std::vector<int>{0});
    EXPECT_TRUE(g_payload.empty());
    EXPECT_FALSE(SaveEnabled());
    EXPECT_FALSE(OutputExists());

    ASSERT_NE(g_appIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_BIG, 0)), g_appIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0)), g_appIcon);
    wchar_t caption[32] = {};
    GetWindowTextW(window_, caption, 32);
    EXPECT_STREQ(caption, L"Kelvora");
}

TEST_F(MainWindow, CreatesEachPanelFromItsTemplateUnderTheMainWindow) {
    const std::vector<std::vector<int>> fields = {
        {IDC_FREETEXT_TEXT},
        {IDC_URL_TEXT},
        {1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023},
        {IDC_PHONE_NUMBER},
        {IDC_SMS_NUMBER, IDC_SMS_MESSAGE},
    };
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(IsWindow(g_panels[i])) << "panel " << i;
        EXPECT_EQ(GetParent(g_panels[i]), window_) << "panel " << i;
        for (int id = IDC_FIELD_FIRST; id <= IDC_FIELD_LAST; ++id) {
            const bool owns = std::count(fields[i].begin(), fields[i].end(), id) == 1;
            EXPECT_EQ(GetDlgItem(g_panels[i], id) != nullptr, owns) << "panel " << i << ", field " << id;
        }
    }
}

TEST_F(MainWindow, ExitAndEveryCloseRequestEndTheLoopWithZero) {
    // Exit goes by the id alone; the close box, the system menu and Alt+F4 reach
    // the window as a close request that the platform turns into IDCANCEL.
    const std::pair<const char*, UINT> ways[] = {
        {"IDCANCEL with an odd code", 0},
        {"WM_CLOSE", WM_CLOSE},
        {"SC_CLOSE", WM_SYSCOMMAND},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
        if (!IsWindow(window_)) {
            window_ = OpenMainWindow();
        }
        ASSERT_TRUE(IsWindow(window_));
        const HWND panel = g_panels[0];
        if (way.second == 0) {
            EXPECT_EQ(Command(IDCANCEL, 0x7777), TRUE);
        } else {
            SendMessageW(window_, way.second, way.second == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
        }
        // The platform posts the IDCANCEL of a close request.
        WPARAM code = 99;
        EXPECT_TRUE(PumpMessages(0, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_FALSE(IsWindow(panel));
    }
}

// Answers, from another thread, the Save As dialog that Save opens: cancels it,
// or types a name and confirms it.
struct SaveAsAnswer {
    HWND owner;
    std::wstring name;  // empty: cancel
    bool seen = false;
};

BOOL CALLBACK TakeOwnedWindow(HWND w, LPARAM p) {
    auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(p);
    if (GetWindow(w, GW_OWNER) == search->first && IsWindowVisible(w)) {
        search->second = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindOwnedWindow(HWND owner) {
    std::pair<HWND, HWND> search(owner, nullptr);
    EnumWindows(TakeOwnedWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

DWORD WINAPI AnswerSaveAs(void* param) {
    auto* answer = static_cast<SaveAsAnswer*>(param);
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !dialog; ++i) {
        Sleep(50);
        dialog = FindOwnedWindow(answer->owner);
    }
    if (!dialog) {
        return 0;  // Save never asked
    }
    answer->seen = true;
    Sleep(200);  // let the dialog finish filling itself
    if (!answer->name.empty()) {
        HWND edit = GetDlgItem(dialog, edt1);
        if (!edit) {
            edit = GetDlgItem(dialog, cmb13);
        }
        SetWindowTextW(edit, answer->name.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    // Cancel whatever is still open, so that a failed answer cannot hang the test.
    for (int i = 0; i < 100 && IsWindow(dialog); ++i) {
        if (answer->name.empty() || i > 40) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        Sleep(50);
    }
    return 0;
}

// Runs the main window's procedure on WM_COMMAND IDOK with `code` while another
// thread answers the Save As dialog.
INT_PTR SaveWithAnswer(HWND window, unsigned code, SaveAsAnswer* answer) {
    HANDLE thread = CreateThread(nullptr, 0, AnswerSaveAs, answer, 0, nullptr);
    const INT_PTR result = MainDialogProc(window, WM_COMMAND, MAKEWPARAM(IDOK, code), 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return result;
}

TEST_F(MainWindow, SaveGoesByTheIdAndReturnsWhetherANameWasConfirmed) {
    Click(IDC_TYPE_URL);  // a code to save
    ASSERT_TRUE(OutputExists());

    SaveAsAnswer cancel{window_, L""};
    EXPECT_EQ(SaveWithAnswer(window_, 0x4321, &cancel), FALSE);
    EXPECT_TRUE(cancel.seen) << "Save did not open the Save As dialog";

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring target = std::wstring(folder) + L"kelvora-main-window-save.png";
    DeleteFileW(target.c_str());
    SaveAsAnswer confirm{window_, target};
    EXPECT_EQ(SaveWithAnswer(window_, EN_CHANGE, &confirm), TRUE);
    EXPECT_TRUE(confirm.seen);
    EXPECT_NE(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(target.c_str());
    EXPECT_TRUE(IsWindow(window_));
}

TEST_F(MainWindow, ATypeClickSelectsShowsAndRegenerates) {
    EXPECT_EQ(Command(IDC_TYPE_URL, BN_CLICKED), FALSE);
    EXPECT_EQ(g_contentType, Url);
    EXPECT_EQ(VisiblePanels(), std::vector<int>{1});
    EXPECT_EQ(g_payload, L"http://");
    EXPECT_TRUE(OutputExists());
    EXPECT_TRUE(SaveEnabled());

    // The button already checked runs the whole cycle again.
    DeleteFileW(g_outputPath);
    Click(IDC_TYPE_URL);
    EXPECT_TRUE(OutputExists());
    EXPECT_EQ(VisiblePanels(), std::vector<int>{1});

    // A real click on another button: the platform checks it, the window follows.
    Click(IDC_TYPE_PHONE);
    EXPECT_EQ(IsDlgButtonChecked(window_, IDC_TYPE_PHONE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window_, IDC_TYPE_URL), BST_UNCHECKED);
    EXPECT_EQ(g_contentType, PhoneNumber);
    EXPECT_EQ(g_payload, L"tel:");
    EXPECT_EQ(VisiblePanels(), std::vector<int>{3});
}

TEST_F(MainWindow, OtherNotificationsAndMessagesDoNothing) {
    Click(IDC_TYPE_URL);
    DeleteFileW(g_outputPath);
    const struct {
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    } cases[] = {
        {WM_COMMAND, MAKEWPARAM(IDC_TYPE_CONTACT, 6), FALSE},  // not a click
        {WM_COMMAND, MAKEWPARAM(IDC_TYPE_SMS, BN_SETFOCUS), FALSE},
        {WM_COMMAND, MAKEWPARAM(IDC_TYPE_CONTACT, BN_DOUBLECLICKED), FALSE},
        {WM_USER + 7, MAKEWPARAM(IDC_TYPE_CONTACT, BN_CLICKED), FALSE},
        {WM_TIMER, 1, FALSE},
        {WM_PAINT, 0, TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "message " << c.message << ", wParam " << c.wParam);
        EXPECT_EQ(MainDialogProc(window_, c.message, c.wParam, 0), c.result);
        EXPECT_EQ(g_contentType, Url);
        EXPECT_EQ(VisiblePanels(), std::vector<int>{1});
        EXPECT_FALSE(OutputExists());
        EXPECT_TRUE(IsWindow(window_));
    }
}

TEST_F(MainWindow, EveryPanelSitsInTheDataGroupSeventeenPixelsBelowItsTop) {
    const RECT data = RectInClient(window_, GetDlgItem(window_, IDC_DATA_GROUP));
    RECT size = {0, 0, 241, 97};
    MapDialogRect(window_, &size);
    // An order that moves between panels in every direction, then the same one again.
    for (int type : {IDC_TYPE_SMS, IDC_TYPE_FREETEXT, IDC_TYPE_CONTACT, IDC_TYPE_URL, IDC_TYPE_PHONE,
                     IDC_TYPE_PHONE}) {
        SCOPED_TRACE(testing::Message() << "type " << type);
        Click(type);
        const int index = type - IDC_TYPE_FREETEXT;
        EXPECT_EQ(VisiblePanels(), std::vector<int>{index});
        const RECT r = RectInClient(window_, g_panels[index]);
        EXPECT_EQ(r.left, data.left);
        EXPECT_EQ(r.top, data.top + 17);
        EXPECT_EQ(r.right - r.left, size.right);
        EXPECT_EQ(r.bottom - r.top, size.bottom);
        // Raised above the group box that it lies on.
        EXPECT_EQ(GetWindow(window_, GW_CHILD), g_panels[index]);
    }
}

TEST_F(MainWindow, OnlyTextChangesOfFieldsRegenerate) {
    Click(IDC_TYPE_URL);  // a payload that is never empty
    const struct {
        int panel;
        int id;
        unsigned code;
        bool regenerates;
    } cases[] = {
        {2, IDC_FIELD_FIRST, EN_CHANGE, true},
        {4, IDC_FIELD_LAST, EN_CHANGE, true},
        {0, IDC_FREETEXT_TEXT, EN_CHANGE, true},
        {1, IDC_URL_TEXT, EN_CHANGE, true},
        {2, IDC_FIELD_FIRST, EN_SETFOCUS, false},
        {4, IDC_FIELD_LAST, EN_KILLFOCUS, false},
        {1, IDC_URL_TEXT, EN_UPDATE, false},
        {1, IDC_URL_TEXT, EN_MAXTEXT, false},
        {2, IDC_FIELD_FIRST - 1, EN_CHANGE, false},
        {4, IDC_FIELD_LAST + 1, EN_CHANGE, false},
        {1, IDOK, EN_CHANGE, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "field " << c.id << ", code " << c.code);
        DeleteFileW(g_outputPath);
        EXPECT_EQ(PanelDialogProc(g_panels[c.panel], WM_COMMAND, MAKEWPARAM(c.id, c.code), 0), FALSE);
        EXPECT_EQ(OutputExists(), c.regenerates);
    }
    DeleteFileW(g_outputPath);
    EXPECT_EQ(PanelDialogProc(g_panels[0], WM_INITDIALOG, 0, 0), FALSE);
    EXPECT_FALSE(OutputExists());
}

// Keys as the edit control receives them from the loop.
void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) {
        SendMessageW(edit, WM_CHAR, c, 1);
    }
}

TEST_F(MainWindow, TypingIntoAFieldRegeneratesAtOnce) {
    // The edit control's own notification, through the panel to the main window.
    HWND text = GetDlgItem(g_panels[0], IDC_FREETEXT_TEXT);
    Type(text, L"Hi");
    EXPECT_EQ(g_payload, L"Hi");
    EXPECT_TRUE(OutputExists());
    EXPECT_TRUE(SaveEnabled());

    Type(text, L"\b");
    EXPECT_EQ(g_payload, L"H");
    Type(text, L"\b");
    EXPECT_TRUE(g_payload.empty());
    EXPECT_FALSE(OutputExists());
    EXPECT_FALSE(SaveEnabled());
}

TEST_F(MainWindow, FieldTextsSurviveTypeChanges) {
    Click(IDC_TYPE_CONTACT);
    SetDlgItemTextW(g_panels[2], IDC_CONTACT_NAME, L"Doe");
    SetDlgItemTextW(g_panels[2], IDC_CONTACT_CITY, L"Paris");
    Click(IDC_TYPE_URL);
    EXPECT_EQ(g_payload, L"http://");
    Click(IDC_TYPE_CONTACT);

    EXPECT_EQ(FieldText(g_panels[2], IDC_CONTACT_NAME), L"Doe");
    EXPECT_EQ(FieldText(g_panels[2], IDC_CONTACT_CITY), L"Paris");
    EXPECT_EQ(g_payload,
              L"BEGIN:VCARD\nVERSION:3.0\nN:Doe;\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\nTEL:\n"
              L"TEL;TYPE=FAX:\nADR:;;;Paris;;;\nEND:VCARD");
    EXPECT_TRUE(OutputExists());
}

TEST(MainWindowStart, PanelsThatCannotBeMadeLeaveNoWindowBehind) {
    // A module without the panel templates: every panel fails.
    g_hInstance = GetModuleHandleW(L"kernel32.dll");
    HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                     MainDialogProc, 0);
    g_hInstance = GetModuleHandleW(nullptr);
    EXPECT_TRUE(window == nullptr || !IsWindow(window));
    PumpMessages();
}

TEST(MainWindowRules, RoutesCommandsByIdThenByCode) {
    const struct {
        unsigned id, code;
        MainCommand expected;
    } cases[] = {
        {1, BN_CLICKED, MainCommand::Save},     {1, 0xFFFF, MainCommand::Save},
        {2, BN_CLICKED, MainCommand::Exit},     {2, 1, MainCommand::Exit},
        {1000, BN_CLICKED, MainCommand::SelectType}, {1004, BN_CLICKED, MainCommand::SelectType},
        {1004, 1, MainCommand::Nothing},        {1002, 6, MainCommand::Nothing},
        {0, BN_CLICKED, MainCommand::SelectType},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RouteMainCommand(c.id, c.code), c.expected) << "id " << c.id << ", code " << c.code;
    }
    for (long type : {999L, 1000L, 1005L, -1L, 0L}) {
        EXPECT_EQ(PanelIndexFor(type), 0) << type;
    }
    for (long type = 1001; type <= 1004; ++type) {
        EXPECT_EQ(PanelIndexFor(type), type - 1000);
    }
}

// The program's own templates, read from the module as the dialog manager reads them.
struct TemplateItem {
    DWORD exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;
    std::wstring text;
};

struct DialogTemplate {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, windowClass, caption;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring font;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : begin_(data), at_(data), end_(data + size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Take() {
        T value{};
        if (at_ + sizeof(T) > end_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }

    // A string, or 0xFFFF and an ordinal: standard control classes come as
    // ordinals, given here by their names.
    std::wstring NameOrOrdinal() {
        const WORD first = Take<WORD>();
        if (first == 0xFFFF) {
            const WORD ordinal = Take<WORD>();
            static const wchar_t* const classes[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar",
                                                     L"ComboBox"};
            if (ordinal >= 0x80 && ordinal <= 0x85) {
                return classes[ordinal - 0x80];
            }
            return L"#" + std::to_wstring(ordinal);
        }
        std::wstring text;
        for (WORD c = first; c != 0 && ok_; c = Take<WORD>()) {
            text.push_back(static_cast<wchar_t>(c));
        }
        return text;
    }

    void AlignToDword() {
        while ((at_ - begin_) % 4 != 0) {
            ++at_;
        }
    }

private:
    const BYTE* begin_;
    const BYTE* at_;
    const BYTE* end_;
    bool ok_ = true;
};

bool ReadDialogTemplate(int id, DialogTemplate* dialog) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!found) {
        return false;
    }
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    TemplateReader in(data, SizeofResource(module, found));
    if (in.Take<WORD>() != 1 || in.Take<WORD>() != 0xFFFF) {
        return false;  // not an extended template
    }
    dialog->helpId = in.Take<DWORD>();
    dialog->exStyle = in.Take<DWORD>();
    dialog->style = in.Take<DWORD>();
    const WORD count = in.Take<WORD>();
    dialog->x = in.Take<short>();
    dialog->y = in.Take<short>();
    dialog->cx = in.Take<short>();
    dialog->cy = in.Take<short>();
    dialog->menu = in.NameOrOrdinal();
    dialog->windowClass = in.NameOrOrdinal();
    dialog->caption = in.NameOrOrdinal();
    if (dialog->style & (DS_SETFONT | DS_FIXEDSYS)) {
        dialog->pointSize = in.Take<WORD>();
        dialog->weight = in.Take<WORD>();
        dialog->italic = in.Take<BYTE>();
        dialog->charset = in.Take<BYTE>();
        dialog->font = in.NameOrOrdinal();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.AlignToDword();
        TemplateItem item;
        if (in.Take<DWORD>() != 0) {
            return false;  // help ids are all 0
        }
        item.exStyle = in.Take<DWORD>();
        item.style = in.Take<DWORD>();
        item.x = in.Take<short>();
        item.y = in.Take<short>();
        item.cx = in.Take<short>();
        item.cy = in.Take<short>();
        item.id = static_cast<int>(in.Take<DWORD>());
        item.className = in.NameOrOrdinal();
        item.text = in.NameOrOrdinal();
        const WORD extra = in.Take<WORD>();
        for (WORD b = 0; b < extra; ++b) {
            in.Take<BYTE>();
        }
        dialog->items.push_back(item);
    }
    return in.ok();
}

bool SameClass(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

struct ExpectedItem {
    int id;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    const wchar_t* text;
    short x, y, cx, cy;
};

void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateItem& got = dialog.items[i];
        const ExpectedItem& want = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (id " << want.id << ")");
        EXPECT_EQ(got.id, want.id);
        EXPECT_TRUE(SameClass(got.className, want.className));
        EXPECT_EQ(got.style, want.style) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
    }
}

void ExpectShellFont(const DialogTemplate& dialog) {
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 1);
    EXPECT_EQ(dialog.font, L"MS Shell Dlg");
}

TEST(Resources, MainTemplateHoldsTheElevenControls) {
    DialogTemplate mainTemplate;
    ASSERT_TRUE(ReadDialogTemplate(IDD_MAIN, &mainTemplate));
    EXPECT_EQ(mainTemplate.style, 0x80CA08C8u) << std::hex << mainTemplate.style;
    EXPECT_EQ(mainTemplate.exStyle, 0u);
    EXPECT_EQ(mainTemplate.helpId, 0u);
    EXPECT_EQ(mainTemplate.x, 0);
    EXPECT_EQ(mainTemplate.y, 0);
    EXPECT_EQ(mainTemplate.cx, 477);
    EXPECT_EQ(mainTemplate.cy, 151);
    EXPECT_EQ(mainTemplate.menu, L"");
    EXPECT_EQ(mainTemplate.windowClass, L"");
    EXPECT_EQ(mainTemplate.caption, L"Kelvora");
    ExpectShellFont(mainTemplate);
    ExpectItems(mainTemplate, {
        {1, L"Button", 0x50010001, 0, L"Save", 364, 128, 50, 14},
        {2, L"Button", 0x50010000, 0, L"Exit", 418, 128, 50, 14},
        {-1, L"Button", 0x50000007, 0, L"Type", 10, 7, 78, 115},
        {1000, L"Button", 0x50020009, 0, L"Free Text", 19, 22, 47, 10},
        {1001, L"Button", 0x50000009, 0, L"URL", 19, 42, 29, 10},
        {1002, L"Button", 0x50000009, 0, L"Contact", 19, 62, 41, 10},
        {1003, L"Button", 0x50000009, 0, L"Phone Number", 19, 82, 63, 10},
        {1004, L"Button", 0x50000009, 0, L"SMS", 19, 102, 29, 10},
        {1005, L"Button", 0x50000007, 0, L"Data", 94, 7, 246, 115},
        {-1, L"Button", 0x50000007, 0, L"Preview", 347, 7, 120, 115},
        {1006, L"Static", 0x50000007, 0, L"", 353, 16, 108, 100},
    });
}

constexpr DWORD LABEL = 0x50020000;
constexpr DWORD SINGLE_LINE = 0x50810080;
constexpr DWORD ONE_LINE = 0x50810084;
constexpr DWORD TEXT_AREA = 0x50A11044;

TEST(Resources, PanelTemplatesHoldTheirFieldsAndLabels) {
    std::vector<ExpectedItem> contact;
    const wchar_t* const labels[] = {L"Name :",   L"First Name :", L"Organization :", L"Email :", L"Phone :",
                                     L"Cell Phone :", L"Fax :",   L"Street :",        L"Postcode :",
                                     L"City :",   L"Region/State :", L"Country :",    L"URL :"};
    for (int i = 0; i < 13; ++i) {
        const short x = i < 7 ? 52 : 175;
        const short y = static_cast<short>((i % 7) * 14);
        contact.push_back({1011 + i, L"Edit", ONE_LINE, 0, L"", x, y, 65, 12});
    }
    for (int i = 0; i < 13; ++i) {
        const short x = i < 7 ? 0 : 123;
        const short y = static_cast<short>((i % 7) * 14 + 2);
        contact.push_back({-1, L"Static", LABEL, WS_EX_RIGHT, labels[i], x, y, 49, 8});
    }
    const std::pair<int, std::vector<ExpectedItem>> panels[] = {
        {IDD_FREETEXT,
         {{1024, L"Edit", TEXT_AREA, 0, L"", 5, 18, 236, 79}, {-1, L"Static", LABEL, 0, L"Text :", 5, 5, 49, 8}}},
        {IDD_URL,
         {{-1, L"Static", LABEL, 0, L"URL :", 5, 5, 59, 8}, {1026, L"Edit", SINGLE_LINE, 0, L"", 5, 18, 236, 12}}},
        {IDD_CONTACT, contact},
        {IDD_PHONE,
         {{-1, L"Static", LABEL, 0, L"Phone Number :", 5, 5, 59, 8},
          {1025, L"Edit", SINGLE_LINE, 0, L"", 5, 18, 236, 12}}},
        {IDD_SMS,
         {{-1, L"Static", LABEL, 0, L"Phone Number :", 5, 5, 59, 8},
          {1028, L"Edit", ONE_LINE, 0, L"", 5, 18, 236, 12},
          {-1, L"Static", LABEL, 0, L"Message :", 5, 35, 59, 8},
          {1027, L"Edit", TEXT_AREA, 0, L"", 5, 47, 236, 50}}},
    };
    for (const auto& panel : panels) {
        SCOPED_TRACE(testing::Message() << "template " << panel.first);
        DialogTemplate dialog;
        ASSERT_TRUE(ReadDialogTemplate(panel.first, &dialog));
        EXPECT_EQ(dialog.style, 0x40080048u) << std::hex << dialog.style;
        EXPECT_EQ(dialog.exStyle, 0u);
        EXPECT_EQ(dialog.cx, 241);
        EXPECT_EQ(dialog.cy, 97);
        EXPECT_EQ(dialog.caption, L"");
        EXPECT_EQ(dialog.windowClass, L"");
        ExpectShellFont(dialog);
        ExpectItems(dialog, panel.second);
    }
}

std::string ResourceBytes(LPCWSTR name, LPCWSTR type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    if (!found) {
        return std::string();
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

TEST(Resources, ManifestAsksForNoElevationAndCommonControlsSix) {
    const std::string manifest = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_FALSE(manifest.empty());
    for (const char* part : {"level=\"asInvoker\"", "uiAccess=\"false\"", "name=\"Microsoft.Windows.Common-Controls\"",
                             "version=\"6.0.0.0\"", "type=\"win32\"", "processorArchitecture=\"x86\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST(Resources, TheWindowUsesVersionSixOfTheCommonControls) {
    // The manifest's effect: the platform loads the side-by-side copy.
    g_hInstance = GetModuleHandleW(nullptr);
    HWND window = OpenMainWindow();
    ASSERT_NE(window, nullptr);
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    wchar_t path[MAX_PATH] = {};
    if (controls) {
        GetModuleFileNameW(controls, path, MAX_PATH);
    }
    DestroyWindow(window);
    PumpMessages();
    std::wstring lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    EXPECT_NE(lower.find(L"winsxs"), std::wstring::npos) << "comctl32 from " << lower.c_str();
}

TEST(Resources, IconHoldsEveryListedSizeAndDepth) {
    const std::string group = ResourceBytes(MAKEINTRESOURCEW(IDI_APP), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::multiset<std::pair<int, int>> found;  // (size, bits per pixel); 0 bits: PNG
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = reinterpret_cast<const BYTE*>(group.data()) + 6 + 14 * i;
        const int size = entry[0] == 0 ? 256 : entry[0];
        const WORD id = *reinterpret_cast<const WORD*>(entry + 12);
        const std::string image = ResourceBytes(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));  // RT_ICON
        ASSERT_GE(image.size(), 40u) << "icon image " << id;
        if (image.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
            const BYTE* ihdr = reinterpret_cast<const BYTE*>(image.data()) + 16;
            const int width = (ihdr[0] << 24) | (ihdr[1] << 16) | (ihdr[2] << 8) | ihdr[3];
            EXPECT_EQ(width, size);
            found.insert({width, 0});
            continue;
        }
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);  // the colour image and its AND mask
        found.insert({header.biWidth, header.biBitCount});
    }
    const std::multiset<std::pair<int, int>> listed = {{16, 4},  {16, 8},  {16, 32}, {32, 4},   {32, 8},  {32, 32},
                                                       {48, 8},  {48, 32}, {64, 32}, {128, 32}, {256, 0}};
    EXPECT_EQ(found, listed);
}

}  // namespace
