// White space as the wide-character classification of the data's platform counts it.
#pragma once

namespace zelvan {

// Unicode White_Space: tab to carriage return, space, next line, no-break spaces, the general
// punctuation spaces and the ideographic space U+3000 (common in Chinese text).
inline bool isWideSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

}  // namespace zelvan
