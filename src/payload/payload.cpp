#include "payload/payload.h"

#include <windows.h>

#include <string_view>

#include "payload/payload_format.h"
#include "ui/ui.h"

std::wstring g_payload;
ContentType g_contentType = FreeText;

void BuildPayload() {
    const int type = g_contentType;
    // g_panels has one entry per known type; anything else composes nothing and
    // must not reach the array.
    const bool known = type >= FreeText && type <= Sms;
    HWND panel = known ? g_panels[type - FreeText] : nullptr;

    // One buffer for every read of this call: the composer appends each text
    // before it asks for the next one.
    wchar_t buffer[FIELD_TEXT_MAX];
    auto readField = [panel, &buffer](int fieldId) {
        buffer[0] = L'\0';  // a missing control then reads as empty
        GetDlgItemTextW(panel, fieldId, buffer, FIELD_TEXT_MAX);
        return std::wstring_view(buffer);
    };
    ComposePayload(type, readField, g_payload);  // an unknown type reads no field
}
