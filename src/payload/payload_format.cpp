#include "payload/payload_format.h"

#include <cstddef>

#include "payload/content_type.h"
#include "ui/resource.h"

namespace {

// One line of the contact record: its literal, then the texts of up to five
// fields separated by ";". The rows follow the record's own order, which is
// not the order of the fields on screen.
struct VCardRow {
    const wchar_t* literal;
    int fields[5];
    std::size_t fieldCount;
};

constexpr VCardRow VCARD_ROWS[] = {
    {L"BEGIN:VCARD", {}, 0},
    {L"VERSION:3.0", {}, 0},
    {L"N:", {IDC_CONTACT_NAME, IDC_CONTACT_FIRSTNAME}, 2},
    {L"ORG:", {IDC_CONTACT_ORG}, 1},
    {L"EMAIL;TYPE=INTERNET:", {IDC_CONTACT_EMAIL}, 1},
    {L"URL:", {IDC_CONTACT_URL}, 1},
    {L"TEL;TYPE=CELL:", {IDC_CONTACT_CELL}, 1},
    {L"TEL:", {IDC_CONTACT_PHONE}, 1},
    {L"TEL;TYPE=FAX:", {IDC_CONTACT_FAX}, 1},
    // The two empty components in front are the post-office box and the
    // extended address, which the form does not ask for.
    {L"ADR:;;",
     {IDC_CONTACT_STREET, IDC_CONTACT_CITY, IDC_CONTACT_REGION, IDC_CONTACT_POSTCODE,
      IDC_CONTACT_COUNTRY},
     5},
    {L"END:VCARD", {}, 0},
};

void ComposeVCard(const FieldReader& readField, std::wstring& payload) {
    bool firstRow = true;
    for (const VCardRow& row : VCARD_ROWS) {
        if (!firstRow) {
            payload += L'\n';  // a lone LF: CR LF pairs belong to typed text only
        }
        firstRow = false;
        payload += row.literal;
        for (std::size_t i = 0; i < row.fieldCount; ++i) {
            if (i > 0) {
                payload += L';';
            }
            payload += readField(row.fields[i]);
        }
    }
}

// Case-sensitive on purpose: "HTTP://" still gets the scheme put in front.
bool StartsWithHttp(std::wstring_view text) {
    return text.substr(0, 4) == L"http";
}

}  // namespace

void ComposePayload(int contentType, const FieldReader& readField, std::wstring& payload) {
    payload.clear();
    switch (contentType) {
    case FreeText:
        payload += readField(IDC_FREETEXT_TEXT);
        break;
    case Url: {
        std::wstring_view text = readField(IDC_URL_TEXT);
        if (!StartsWithHttp(text)) {
            payload += L"http://";
        }
        payload += text;
        break;
    }
    case Contact:
        ComposeVCard(readField, payload);
        break;
    case PhoneNumber:
        payload += L"tel:";
        payload += readField(IDC_PHONE_NUMBER);
        break;
    case Sms:
        // The message is read only after the number has been appended: the
        // reader may reuse one buffer for both.
        payload += L"SMSTO:";
        payload += readField(IDC_SMS_NUMBER);
        payload += L':';
        payload += readField(IDC_SMS_MESSAGE);
        break;
    default:
        break;  // an unknown type composes nothing
    }
}
