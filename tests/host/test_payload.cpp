// The payload formats, fed by a reader that behaves like the window's one: a
// single reused buffer, so a text must be appended before the next read.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "payload/content_type.h"
#include "payload/payload_format.h"
#include "ui/resource.h"

namespace {

using Fields = std::map<int, std::wstring>;

struct Read {
    int fieldId;
    std::size_t payloadLengthAtRead;
};

// Composes with `fields` (absent ids read as empty) and logs every read with
// how far the payload had grown at that moment.
struct FakePanel {
    explicit FakePanel(Fields texts = {}) : fields(std::move(texts)) {}

    Fields fields;
    std::vector<Read> reads;
    std::array<wchar_t, FIELD_TEXT_MAX> buffer{};

    std::wstring Compose(int contentType) {
        std::wstring payload = L"stale payload of an earlier call";
        FieldReader reader = [&](int fieldId) {
            reads.push_back({fieldId, payload.size()});
            auto found = fields.find(fieldId);
            std::wstring_view text = found == fields.end() ? std::wstring_view() : found->second;
            EXPECT_LT(text.size(), buffer.size()) << "test data exceeds one field read";
            std::copy(text.begin(), text.end(), buffer.begin());
            buffer[text.size()] = L'\0';
            return std::wstring_view(buffer.data(), text.size());
        };
        ComposePayload(contentType, reader, payload);
        return payload;
    }
};

const int CONTACT_IDS_IN_RECORD_ORDER[] = {
    IDC_CONTACT_NAME,   IDC_CONTACT_FIRSTNAME, IDC_CONTACT_ORG,    IDC_CONTACT_EMAIL,
    IDC_CONTACT_URL,    IDC_CONTACT_CELL,      IDC_CONTACT_PHONE,  IDC_CONTACT_FAX,
    IDC_CONTACT_STREET, IDC_CONTACT_CITY,      IDC_CONTACT_REGION, IDC_CONTACT_POSTCODE,
    IDC_CONTACT_COUNTRY};

// Every field id of every panel filled with a text of its own, to show which
// of them a type actually uses.
Fields AllFieldsFilled() {
    Fields fields;
    for (int id = IDC_FIELD_FIRST; id <= IDC_FIELD_LAST; ++id) {
        fields[id] = L"f" + std::to_wstring(id);
    }
    return fields;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) {
            return lines;
        }
        start = end + 1;
    }
}

const std::wstring EMPTY_VCARD =
    L"BEGIN:VCARD\nVERSION:3.0\nN:;\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\n"
    L"TEL:\nTEL;TYPE=FAX:\nADR:;;;;;;\nEND:VCARD";

struct SimpleCase {
    const char* name;
    int contentType;
    Fields fields;
    std::wstring expected;
};

TEST(ComposePayload, SimpleFormatsTakeTheTextAsTyped) {
    const SimpleCase cases[] = {
        {"free text empty", FreeText, {}, L""},
        {"free text CR LF kept", FreeText, {{IDC_FREETEXT_TEXT, L"one\r\ntwo"}}, L"one\r\ntwo"},
        {"url empty", Url, {}, L"http://"},
        {"url without scheme", Url, {{IDC_URL_TEXT, L"site"}}, L"http://site"},
        {"url https kept", Url, {{IDC_URL_TEXT, L"https://site"}}, L"https://site"},
        {"url http kept", Url, {{IDC_URL_TEXT, L"http://a"}}, L"http://a"},
        {"url upper case", Url, {{IDC_URL_TEXT, L"HTTP://SITE"}}, L"http://HTTP://SITE"},
        {"url leading blank", Url, {{IDC_URL_TEXT, L" http://x"}}, L"http:// http://x"},
        {"url too short", Url, {{IDC_URL_TEXT, L"htt"}}, L"http://htt"},
        {"url exactly http", Url, {{IDC_URL_TEXT, L"http"}}, L"http"},
        {"url httpx kept", Url, {{IDC_URL_TEXT, L"httpx"}}, L"httpx"},
        {"url ftp", Url, {{IDC_URL_TEXT, L"ftp://f"}}, L"http://ftp://f"},
        {"phone empty", PhoneNumber, {}, L"tel:"},
        {"phone blanks kept", PhoneNumber, {{IDC_PHONE_NUMBER, L"+1 555 0100"}}, L"tel:+1 555 0100"},
        {"sms empty", Sms, {}, L"SMSTO::"},
        {"sms number only", Sms, {{IDC_SMS_NUMBER, L"123"}}, L"SMSTO:123:"},
        {"sms message CR LF kept", Sms,
         {{IDC_SMS_NUMBER, L"123"}, {IDC_SMS_MESSAGE, L"a\r\nb"}}, L"SMSTO:123:a\r\nb"},
        {"contact empty", Contact, {}, EMPTY_VCARD},
    };
    for (const SimpleCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePanel panel{c.fields};
        EXPECT_EQ(panel.Compose(c.contentType), c.expected);
    }
}

TEST(ComposePayload, UnknownTypeReadsNothingAndLeavesPayloadEmpty) {
    for (int contentType : {0, -1, 999, 1005, IDC_FREETEXT_TEXT}) {
        SCOPED_TRACE(contentType);
        FakePanel panel{AllFieldsFilled()};
        EXPECT_EQ(panel.Compose(contentType), L"");
        EXPECT_TRUE(panel.reads.empty());
    }
}

TEST(ComposePayload, EmptyVCardIsElevenLinesOf113Units) {
    FakePanel panel;
    std::wstring payload = panel.Compose(Contact);
    EXPECT_EQ(payload.size(), 113u);
    EXPECT_EQ(payload.find(L'\r'), std::wstring::npos);
    EXPECT_NE(payload.back(), L'\n');
    std::vector<std::wstring> lines = SplitLines(payload);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], L"BEGIN:VCARD");
    EXPECT_EQ(lines[2], L"N:;");
    EXPECT_EQ(lines[9], L"ADR:;;;;;;");
    EXPECT_EQ(lines[10], L"END:VCARD");
}

TEST(ComposePayload, VCardPlacesEachFieldByTheRecordsOrder) {
    struct VCardCase {
        const char* name;
        Fields fields;
        std::wstring expected;
    };
    const VCardCase cases[] = {
        {"city only: after the street's separator",
         {{IDC_CONTACT_CITY, L"Paris"}},
         L"BEGIN:VCARD\nVERSION:3.0\nN:;\nORG:\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\n"
         L"TEL:\nTEL;TYPE=FAX:\nADR:;;;Paris;;;\nEND:VCARD"},
        {"every field, named after its screen label",
         {{IDC_CONTACT_NAME, L"Name"},
          {IDC_CONTACT_FIRSTNAME, L"First"},
          {IDC_CONTACT_ORG, L"Org"},
          {IDC_CONTACT_EMAIL, L"Email"},
          {IDC_CONTACT_PHONE, L"Phone"},
          {IDC_CONTACT_CELL, L"Cell"},
          {IDC_CONTACT_FAX, L"Fax"},
          {IDC_CONTACT_STREET, L"Street"},
          {IDC_CONTACT_POSTCODE, L"Postcode"},
          {IDC_CONTACT_CITY, L"City"},
          {IDC_CONTACT_REGION, L"Region"},
          {IDC_CONTACT_COUNTRY, L"Country"},
          {IDC_CONTACT_URL, L"Url"}},
         L"BEGIN:VCARD\nVERSION:3.0\nN:Name;First\nORG:Org\nEMAIL;TYPE=INTERNET:Email\n"
         L"URL:Url\nTEL;TYPE=CELL:Cell\nTEL:Phone\nTEL;TYPE=FAX:Fax\n"
         L"ADR:;;Street;City;Region;Postcode;Country\nEND:VCARD"},
        {"separators and line breaks typed into fields are not escaped",
         {{IDC_CONTACT_NAME, L"a;b"},
          {IDC_CONTACT_ORG, L"x,y"},
          {IDC_CONTACT_STREET, L"C:\\dir\\"},
          {IDC_CONTACT_COUNTRY, L"line\r\nbreak"}},
         L"BEGIN:VCARD\nVERSION:3.0\nN:a;b;\nORG:x,y\nEMAIL;TYPE=INTERNET:\nURL:\nTEL;TYPE=CELL:\n"
         L"TEL:\nTEL;TYPE=FAX:\nADR:;;C:\\dir\\;;;;line\r\nbreak\nEND:VCARD"},
    };
    for (const VCardCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePanel panel{c.fields};
        EXPECT_EQ(panel.Compose(Contact), c.expected);
    }
}

TEST(ComposePayload, ReadsOnlyItsTypesFieldsEachJustBeforeAppendingIt) {
    struct OrderCase {
        const char* name;
        int contentType;
        std::vector<int> expectedIds;
    };
    const OrderCase cases[] = {
        {"free text", FreeText, {IDC_FREETEXT_TEXT}},
        {"url", Url, {IDC_URL_TEXT}},
        {"contact", Contact,
         std::vector<int>(std::begin(CONTACT_IDS_IN_RECORD_ORDER),
                          std::end(CONTACT_IDS_IN_RECORD_ORDER))},
        {"phone", PhoneNumber, {IDC_PHONE_NUMBER}},
        {"sms: number before message", Sms, {IDC_SMS_NUMBER, IDC_SMS_MESSAGE}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePanel panel{AllFieldsFilled()};
        std::wstring payload = panel.Compose(c.contentType);

        std::vector<int> ids;
        for (const Read& read : panel.reads) {
            ids.push_back(read.fieldId);
        }
        EXPECT_EQ(ids, c.expectedIds);

        // Each text is appended after its own read and before the next one.
        for (std::size_t i = 0; i < panel.reads.size(); ++i) {
            SCOPED_TRACE(panel.reads[i].fieldId);
            const std::wstring& text = panel.fields[panel.reads[i].fieldId];
            std::size_t nextRead = i + 1 < panel.reads.size()
                                       ? panel.reads[i + 1].payloadLengthAtRead
                                       : payload.size();
            std::size_t at = payload.find(text, panel.reads[i].payloadLengthAtRead);
            ASSERT_NE(at, std::wstring::npos);
            EXPECT_LE(at + text.size(), nextRead);
        }
    }
}

TEST(ComposePayload, LongestVCardHoldsThirteenFullFields) {
    FakePanel panel;
    wchar_t fill = L'A';
    for (int id : CONTACT_IDS_IN_RECORD_ORDER) {
        panel.fields[id] = std::wstring(FIELD_TEXT_MAX - 1, fill++);
    }
    std::wstring payload = panel.Compose(Contact);
    EXPECT_EQ(payload.size(), 53348u);
    EXPECT_EQ(payload.size(), EMPTY_VCARD.size() + 13u * (FIELD_TEXT_MAX - 1));
    // Each full field arrives whole, in record order.
    std::size_t position = 0;
    for (int id : CONTACT_IDS_IN_RECORD_ORDER) {
        SCOPED_TRACE(id);
        position = payload.find(panel.fields[id], position);
        ASSERT_NE(position, std::wstring::npos);
        position += panel.fields[id].size();
    }
}

}  // namespace
