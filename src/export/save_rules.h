// The decisions of Save that need no window system: what becomes of the name the
// user confirmed once the png extension has been forced onto it. Portable.
#pragma once
#include <string>

#include "pipeline/path_rules.h"

enum class SaveStep {
    Copy,      // write the code under the forced name
    AskAgain,  // the forced name is an existing file the user was never asked about
    TooLong,   // the forced name no longer fits in a path buffer
};

// `confirmed` is the name the Save As dialog returned (its overwrite question
// covered that name only), `forced` the same name with the png extension forced.
inline SaveStep ChooseSaveStep(const std::wstring& confirmed, const std::wstring& forced,
                               bool forcedFileExists) {
    if (forced.size() > PATH_CAPACITY - 1) {
        return SaveStep::TooLong;
    }
    if (forced != confirmed && forcedFileExists) {
        return SaveStep::AskAgain;
    }
    return SaveStep::Copy;
}

// "Could not save <path>:\n<reason>", the reason without the line breaks and
// blanks that system messages end with.
inline std::wstring SaveFailureText(const std::wstring& path, std::wstring reason) {
    while (!reason.empty() &&
           (reason.back() == L'\r' || reason.back() == L'\n' || reason.back() == L' ' || reason.back() == L'.')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        reason = L"unknown reason";
    }
    return L"Could not save " + path + L":\n" + reason + L".";
}
