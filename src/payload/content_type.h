// The five kinds of content. The values are the ids of the type buttons, so a
// button click stores its id directly.
#pragma once
#include <cstdint>

enum ContentType : std::int32_t {
    FreeText = 1000,
    Url = 1001,
    Contact = 1002,
    PhoneNumber = 1003,
    Sms = 1004,
};
