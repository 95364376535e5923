// Benchmarks of the program's hot paths on a real main window, printed as one table.
//   kelvora_bench [--runs N] [--cycles N] [--starts N]
// Figures are medians and 95th percentiles; ratios are taken pair by pair in the same run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "payload/payload.h"
#include "pipeline/command_line.h"
#include "pipeline/pipeline.h"
#include "preview/preview.h"
#include "support/process_counters.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Stats {
    double median;
    double p95;
};

Stats Summarise(std::vector<double> values) {
    if (values.empty()) return {0, 0};
    std::sort(values.begin(), values.end());
    auto at = [&](double q) {
        size_t i = static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
        return values[std::min(i, values.size() - 1)];
    };
    return {at(0.5), at(0.95)};
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The encoder alone: the same command line, started and awaited as the program does.
void SpawnEncoderBare() {
    std::wstring commandLine = BuildEncoderCommandLine(g_encoderPath, g_outputPath, g_payload);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        return;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void SelectType(HWND mainWindow, ContentType type) {
    CheckRadioButton(mainWindow, IDC_TYPE_FREETEXT, IDC_TYPE_SMS, type);
    SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(type, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(mainWindow, type)));
    PumpMessages();
}

// Multi-line edits send no EN_CHANGE for a text set by the program, so callers
// run the cycle themselves where they need it.
void SetField(ContentType type, int id, const wchar_t* text) {
    SetDlgItemTextW(g_panels[type - FreeText], id, text);
    PumpMessages();
}

struct TypeCase {
    const char* name;
    ContentType type;
    std::vector<std::pair<int, const wchar_t*>> fields;
};

const std::vector<TypeCase>& TypicalForms() {
    static const std::vector<TypeCase> forms = {
        {"Free Text", FreeText, {{IDC_FREETEXT_TEXT, L"Meet me at the north entrance at 6 pm."}}},
        {"URL", Url, {{IDC_URL_TEXT, L"example.org/menu?table=12"}}},
        {"Contact",
         Contact,
         {{IDC_CONTACT_NAME, L"Doe"},
          {IDC_CONTACT_FIRSTNAME, L"Jane"},
          {IDC_CONTACT_ORG, L"Example Ltd"},
          {IDC_CONTACT_EMAIL, L"jane.doe@example.org"},
          {IDC_CONTACT_CELL, L"+1 555 0101"},
          {IDC_CONTACT_STREET, L"1 Main Street"},
          {IDC_CONTACT_CITY, L"Springfield"},
          {IDC_CONTACT_POSTCODE, L"12345"}}},
        {"Phone Number", PhoneNumber, {{IDC_PHONE_NUMBER, L"+1 555 0100"}}},
        {"SMS", Sms, {{IDC_SMS_NUMBER, L"+1 555 0100"}, {IDC_SMS_MESSAGE, L"Running late, ten minutes."}}},
    };
    return forms;
}

void PrintRow(const char* what, Stats s, const char* unit, const char* target) {
    std::printf("| %-44s | %10.2f | %10.2f | %-4s | %-22s |\n", what, s.median, s.p95, unit, target);
}

// Cycle against bare spawn, pair by pair, alternating which goes first.
void BenchCycles(HWND mainWindow, int runs) {
    for (const TypeCase& form : TypicalForms()) {
        SelectType(mainWindow, form.type);
        for (const auto& field : form.fields) SetField(form.type, field.first, field.second);
        std::vector<double> cycle, bare, ratio;
        for (int i = 0; i < runs; ++i) {
            double c = 0, b = 0;
            for (int half = 0; half < 2; ++half) {
                bool cycleTurn = (half == 0) == (i % 2 == 0);
                double t0 = NowMs();
                if (cycleTurn)
                    Regenerate(mainWindow);
                else
                    SpawnEncoderBare();
                double t1 = NowMs();
                (cycleTurn ? c : b) = t1 - t0;
                PumpMessages();
            }
            cycle.push_back(c);
            bare.push_back(b);
            ratio.push_back(c / b);
        }
        std::string label = std::string("cycle, ") + form.name;
        PrintRow(label.c_str(), Summarise(cycle), "ms", "");
        label = std::string("bare encoder spawn, ") + form.name;
        PrintRow(label.c_str(), Summarise(bare), "ms", "");
        label = std::string("ratio cycle / bare spawn, ") + form.name;
        PrintRow(label.c_str(), Summarise(ratio), "", "<= 1.05");
    }
}

// The shortest Free Text payload of repeated letters whose code is at least `pixels` wide.
std::wstring PayloadForWidth(HWND mainWindow, int pixels) {
    SelectType(mainWindow, FreeText);
    for (int length = 1; length < 1200; length += 3) {
        std::wstring text(static_cast<size_t>(length), L'k');
        SetField(FreeText, IDC_FREETEXT_TEXT, text.c_str());
        Regenerate(mainWindow);
        if (!g_previewImage.IsNull() && g_previewImage.GetWidth() >= pixels) return text;
    }
    return L"";
}

void BenchPaint(HWND mainWindow, int runs) {
    // The encoder draws 8 pixels a module and no quiet zone: version 1 is 21 modules, version 10 is 57.
    const struct {
        const char* name;
        int pixels;
    } versions[] = {{"PaintPreview, version 1 code", 21 * 8}, {"PaintPreview, version 10 code", 57 * 8}};
    for (const auto& version : versions) {
        std::wstring text = PayloadForWidth(mainWindow, version.pixels);
        if (g_previewImage.IsNull() || g_previewImage.GetWidth() != version.pixels) {
            std::printf("| %-44s | %10s | %10s | %-4s | %-22s |\n", version.name, "n/a", "n/a", "", "no such picture");
            continue;
        }
        RECT frame = ChildRectInClient(mainWindow, IDC_PREVIEW);
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            InvalidateRect(mainWindow, &frame, TRUE);
            double t0 = NowMs();
            PaintPreview(mainWindow);
            times.push_back(NowMs() - t0);
        }
        PrintRow(version.name, Summarise(times), "ms", "median <= 1 ms");
    }
}

struct WindowSearch {
    DWORD processId;
    bool shown;
};

BOOL CALLBACK FindShownWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[32];
    if (pid == search->processId && IsWindowVisible(hwnd) && GetWindowTextW(hwnd, title, 32) &&
        std::wcscmp(title, L"Kelvora") == 0) {
        search->shown = true;
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        return FALSE;
    }
    return TRUE;
}

void BenchStart(int runs) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    wcsrchr(exe, L'\\')[1] = L'\0';
    std::wstring program = std::wstring(exe) + L"kelvora.exe";
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("| %-44s | %10s | %10s | %-4s | %-22s |\n", "start to window shown", "n/a", "n/a", "", "no kelvora.exe");
        return;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        double t0 = NowMs();
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            break;
        WindowSearch search{pi.dwProcessId, false};
        double limit = t0 + 20000;
        while (!search.shown && NowMs() < limit) {
            EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
            if (!search.shown) Sleep(1);
        }
        double t1 = NowMs();
        if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        if (search.shown) times.push_back(t1 - t0);
    }
    PrintRow("start to window shown", Summarise(times), "ms", "");
}

void PrintCounter(const char* what, double before, double after, const char* note) {
    std::printf("| %-44s | %10.0f | %10.0f | %-4s | %-22s |\n", what, before, after, "", note);
}

void BenchLeaks(HWND mainWindow, int cycles) {
    SelectType(mainWindow, FreeText);
    SetField(FreeText, IDC_FREETEXT_TEXT, L"warm-up");
    Regenerate(mainWindow);
    PumpMessages();
    ProcessCounters before = ReadProcessCounters();
    wchar_t text[32];
    for (int i = 0; i < cycles; ++i) {
        std::swprintf(text, 32, L"cycle %d", i);
        SetField(FreeText, IDC_FREETEXT_TEXT, text);
        Regenerate(mainWindow);
        PumpMessages();  // the frame's repaint, as after a keystroke
    }
    ProcessCounters after = ReadProcessCounters();
    std::printf("| %-44s | %10s | %10s | %-4s | %-22s |\n", "over the cycles (start / end)", "start", "end", "",
                "target: unchanged");
    PrintCounter("GDI objects (GetGuiResources)", before.gdiObjects, after.gdiObjects,
                 before.gdiObjects ? "" : "reads 0 under Wine");
    PrintCounter("GDI objects (GDI handle table probe)", before.gdiTableObjects, after.gdiTableObjects, "");
    PrintCounter("USER objects (GetGuiResources)", before.userObjects, after.userObjects,
                 before.userObjects ? "" : "reads 0 under Wine");
    PrintCounter("handles (GetProcessHandleCount)", before.handleCount, after.handleCount,
                 before.handleCount ? "" : "reads 0 under Wine");
    PrintCounter("kernel handles (system handle table)", before.kernelHandles, after.kernelHandles, "");
    PrintCounter("private bytes, KiB", before.privateBytes / 1024.0, after.privateBytes / 1024.0,
                 before.privateBytes ? "" : "reads 0 under Wine");
    PrintCounter("working set, KiB", before.workingSet / 1024.0, after.workingSet / 1024.0, "");
}

int IntArg(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wcscmp(argv[i], name) == 0) return _wtoi(argv[i + 1]);
    return fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = IntArg(argc, argv, L"--runs", 40);
    int cycles = IntArg(argc, argv, L"--cycles", 2000);
    int starts = IntArg(argc, argv, L"--starts", 15);

    g_hInstance = GetModuleHandleW(nullptr);
    HWND mainWindow = CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    if (!mainWindow) {
        std::printf("kelvora_bench: the main window could not be created\n");
        return 1;
    }
    ShowWindow(mainWindow, SW_SHOW);
    PumpMessages();

    std::printf("| %-44s | %10s | %10s | %-4s | %-22s |\n", "measure", "median", "p95", "unit", "target");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(6, '-').c_str(), std::string(24, '-').c_str());
    BenchCycles(mainWindow, runs);
    BenchPaint(mainWindow, runs * 5);
    BenchStart(starts);
    BenchLeaks(mainWindow, cycles);
    std::printf("(runs %d per figure, %d program starts, %d cycles for the counters)\n", runs, starts, cycles);
    DestroyWindow(mainWindow);
    PumpMessages();
    return 0;
}
