#include "cli/json_text.h"

#include <array>
#include <charconv>

namespace zelvan::cli {

namespace {

// The ASCII characters a JSON string escapes.
constexpr auto kEscaped = [] {
    std::array<bool, 128> escaped{};
    for (int c = 0; c < 0x20; ++c) escaped[c] = true;
    escaped['"'] = true;
    escaped['\\'] = true;
    return escaped;
}();

}  // namespace

char* writeJsonString(char* p, std::u16string_view text) {
    *p++ = '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c < 0x80) {
            if (!kEscaped[c]) {
                *p++ = static_cast<char>(c);
                continue;
            }
            *p++ = '\\';
            switch (c) {
                case '"':
                    *p++ = '"';
                    break;
                case '\\':
                    *p++ = '\\';
                    break;
                case '\b':
                    *p++ = 'b';
                    break;
                case '\t':
                    *p++ = 't';
                    break;
                case '\n':
                    *p++ = 'n';
                    break;
                case '\f':
                    *p++ = 'f';
                    break;
                case '\r':
                    *p++ = 'r';
                    break;
                default:
                    *p++ = 'u';
                    *p++ = '0';
                    *p++ = '0';
                    *p++ = "0123456789abcdef"[c >> 4];
                    *p++ = "0123456789abcdef"[c & 0xF];
            }
            continue;
        }
        char32_t code = c;
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired = c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                                text[i + 1] <= 0xDFFF;
            if (paired) {
                code = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            } else {
                code = 0xFFFD;
            }
        }
        if (code < 0x800) {
            *p++ = static_cast<char>(0xC0 | code >> 6);
        } else if (code < 0x10000) {
            *p++ = static_cast<char>(0xE0 | code >> 12);
            *p++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | code >> 18);
            *p++ = static_cast<char>(0x80 | (code >> 12 & 0x3F));
            *p++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    *p++ = '"';
    return p;
}

void appendJsonString(std::string& out, std::u16string_view text) {
    // The texts of a row are a few units: written on the stack and appended. A long one is
    // written in place, into room for the worst case that is then cut back.
    constexpr std::size_t kShort = 32;
    if (text.size() <= kShort) {
        char buffer[jsonStringBound(kShort)];
        out.append(buffer, writeJsonString(buffer, text));
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + jsonStringBound(text.size()));
    char* end = writeJsonString(out.data() + start, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void appendJsonNumber(std::string& out, long long value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace zelvan::cli
