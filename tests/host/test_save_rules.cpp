// What Save does with the confirmed name once the png extension is forced onto it.
#include <gtest/gtest.h>

#include <string>

#include "export/png_extension.h"
#include "export/save_rules.h"

namespace {

const char* Name(SaveStep step) {
    switch (step) {
    case SaveStep::Copy:
        return "Copy";
    case SaveStep::AskAgain:
        return "AskAgain";
    case SaveStep::TooLong:
        return "TooLong";
    }
    return "?";
}

TEST(ChooseSaveStep, ForcedNameDecidesBetweenCopyAskAgainAndTooLong) {
    const std::wstring dir = L"Z:\\tmp\\codes\\";
    const std::wstring long256 = dir + std::wstring(256 - dir.size(), L'q');  // + ".png" = 260: too long
    const std::wstring long255 = dir + std::wstring(255 - dir.size(), L'q');  // + ".png" = 259: fits
    struct Case {
        std::wstring confirmed;
        bool forcedExists;
        SaveStep expected;
    };
    const Case cases[] = {
        // The dialog's own question covered the name: nothing to ask again.
        {dir + L"qr.png", true, SaveStep::Copy},
        {dir + L"qr.PNG", true, SaveStep::Copy},
        {dir + L"qr.png", false, SaveStep::Copy},
        // Another name than the confirmed one, and it is taken: ask about it.
        {dir + L"qr.jpg", true, SaveStep::AskAgain},
        {dir + L"qr", true, SaveStep::AskAgain},
        {dir + L"qr.png.txt", true, SaveStep::AskAgain},
        // Another name, but free: write it.
        {dir + L"qr.jpg", false, SaveStep::Copy},
        {dir + L"qr", false, SaveStep::Copy},
        // The longest name that still fits after forcing, and the first that does not.
        {long255, false, SaveStep::Copy},
        {long255, true, SaveStep::AskAgain},
        {long256, false, SaveStep::TooLong},
        {long256, true, SaveStep::TooLong},
        // A 259-unit name with an extension that is replaced by png stays short enough.
        {dir + std::wstring(259 - dir.size() - 4, L'q') + L".jpg", false, SaveStep::Copy},
        {dir + std::wstring(259 - dir.size() - 5, L'q') + L".jpeg", false, SaveStep::Copy},
        {dir + std::wstring(259 - dir.size() - 3, L'q') + L".gf", false, SaveStep::TooLong},
    };
    for (const Case& c : cases) {
        std::wstring forced = c.confirmed;
        EnsurePngExtension(forced);
        const SaveStep step = ChooseSaveStep(c.confirmed, forced, c.forcedExists);
        EXPECT_EQ(step, c.expected) << "confirmed " << std::string(c.confirmed.begin(), c.confirmed.end())
                                    << " (" << c.confirmed.size() << " units), exists " << c.forcedExists
                                    << ": got " << Name(step) << ", expected " << Name(c.expected);
    }
}

TEST(SaveFailureText, NamesTheFileAndTheReasonWithoutTrailingBreaks) {
    struct Case {
        const wchar_t* reason;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"Access denied.\r\n", L"Could not save Z:\\a\\qr.png:\nAccess denied."},
        {L"Path not found. \r\n", L"Could not save Z:\\a\\qr.png:\nPath not found."},
        {L"The name is too long", L"Could not save Z:\\a\\qr.png:\nThe name is too long."},
        {L"\r\n", L"Could not save Z:\\a\\qr.png:\nunknown reason."},
        {L"", L"Could not save Z:\\a\\qr.png:\nunknown reason."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SaveFailureText(L"Z:\\a\\qr.png", c.reason), c.text);
    }
}

}  // namespace
