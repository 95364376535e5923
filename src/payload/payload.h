// The payload of the current form, rebuilt by every regeneration.
#pragma once
#include <string>

#include "payload/content_type.h"

extern std::wstring g_payload;
extern ContentType g_contentType;

// Reads the fields of the current type's panel and composes g_payload.
void BuildPayload();
