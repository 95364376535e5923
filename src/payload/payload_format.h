// Composition of the payload from the texts of one panel's fields. Portable: no
// window system here, the caller supplies the field texts.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// One field read, in UTF-16 units including the terminator: at most 4095 units
// of a field reach the payload.
constexpr int FIELD_TEXT_MAX = 4096;

// Returns the current text of the field with the given id. The view need only
// stay valid until the next call (the Win32 reader reuses one buffer).
using FieldReader = std::function<std::wstring_view(int fieldId)>;

// Replaces `payload` with the payload for `contentType`, reading each field just
// before its text is appended. An unknown type leaves the payload empty.
void ComposePayload(int contentType, const FieldReader& readField, std::wstring& payload);
