// Small text helpers of the compiler: message prefixes, quoting and field checks.
#include <cstdio>

#include "compiler/compiler_p.h"
#include "db/text.h"

namespace zelvan::compiler {

std::string messageAt(std::string_view file, int line) {
    std::string prefix(file);
    if (line > 0) prefix += ":" + std::to_string(line);
    return prefix + ": ";
}

std::string inQuotes(std::u16string_view text) {
    constexpr std::size_t kShown = 60;
    std::u16string shown(text.substr(0, kShown));
    // An unpaired surrogate cut off by the limit would only add noise.
    if (!shown.empty() && shown.back() >= 0xD800 && shown.back() <= 0xDBFF) shown.pop_back();
    std::string out = "\"";
    std::u16string run;
    auto flush = [&] {
        out += toUtf8(run);
        run.clear();
    };
    for (char16_t c : shown) {
        if (c < 0x20 || c == 0x7F) {
            flush();
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
            out += escaped;
        } else {
            run.push_back(c);
        }
    }
    flush();
    if (text.size() > kShown) out += "...";
    return out + "\"";
}

std::string fieldProblem(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\t') return "contains a tab";
        if (c == u'\r' || c == u'\n') return "contains a line break";
        if (c == 0) return "contains a NUL character";
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (low) return "contains an unpaired surrogate";
        if (high) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return "contains an unpaired surrogate";
            }
            ++i;
        }
    }
    return {};
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned value = 0;
        unsigned least = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2, value = c & 0x1F, least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3, value = c & 0x0F, least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4, value = c & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = value << 6 | (next & 0x3F);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace zelvan::compiler
