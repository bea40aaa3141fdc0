#include "db/text.h"

#include <iconv.h>
#include <utf8.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zelvan {
namespace {

// One iconv conversion descriptor, opened once per thread and direction.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in` to `out` (bytes). An undecodable piece of input (as long as `skip` says,
    // given the rest of the input) is replaced by `replacement` (already in the target
    // encoding) when that is given; otherwise the conversion fails.
    template <typename Skip>
    bool convert(std::string_view in, std::string& out, std::string_view replacement, Skip skip) {
        out.clear();
        if (!ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[1024];
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (incomplete sequence at the end): replace one unit and go on.
            if (replacement.empty()) return false;
            out.append(replacement);
            std::size_t n = std::min(std::max<std::size_t>(skip(src, srcLeft), 1), srcLeft);
            src += n;
            srcLeft -= n;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        return true;
    }

  private:
    iconv_t cd_;
};

constexpr std::string_view kUtf16Replacement{"\xFD\xFF", 2};  // U+FFFD, little-endian

// An ill-formed UTF-8 sequence is replaced as a whole "maximal subpart": its lead byte and the
// continuation bytes that were still valid for that lead (E4 BA followed by "A" is one U+FFFD).
std::size_t utf8MaximalSubpart(const char* text, std::size_t length) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = b(0);
    std::size_t need = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    std::size_t n = 1;
    while (n <= need && n < length && b(n) >= low && b(n) <= high) {
        low = 0x80;
        high = 0xBF;
        ++n;
    }
    return n;
}

std::size_t oneByte(const char*, std::size_t) {
    return 1;
}
std::size_t twoBytes(const char*, std::size_t) {
    return 2;
}

std::u16string fromUtf16Le(const std::string& bytes) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return wide;
}

std::string toUtf16Le(std::u16string_view wide) {
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string_view untilNul(std::string_view text) {
    std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::u16string limited(std::u16string wide) {
    if (wide.size() > kWideBufferUnits - 1) wide.resize(kWideBufferUnits - 1);
    return wide;
}

std::u16string convertToWide(const char* from, std::string_view text) {
    thread_local Converter utf8("UTF-16LE", "UTF-8");
    thread_local Converter gbk("UTF-16LE", "GBK");
    Converter& converter = std::strcmp(from, "UTF-8") == 0 ? utf8 : gbk;
    std::string bytes;
    bool ok = converter.ok() && &converter == &utf8
                  ? converter.convert(text, bytes, kUtf16Replacement, utf8MaximalSubpart)
                  : converter.convert(text, bytes, kUtf16Replacement, oneByte);
    if (!ok) return {};
    return fromUtf16Le(bytes);
}

// Well-formed text converts without iconv, to exactly what iconv would give: the converter is
// needed only for replacements and the Chinese code page (and loading it costs a module load).
bool wideFromValidUtf8(std::string_view text, std::u16string& wide) {
    if (!utf8::is_valid(text.begin(), text.end())) return false;
    // A byte gives at most one unit.
    wide.resize(text.size());
    const char16_t* end = utf8::unchecked::utf8to16(text.begin(), text.end(), wide.data());
    wide.resize(static_cast<std::size_t>(end - wide.data()));
    return true;
}

bool hasUnpairedSurrogate(std::u16string_view wide) {
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        if (c < 0xD800 || c > 0xDFFF) continue;
        if (c > 0xDBFF || i + 1 == wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF) {
            return true;
        }
        ++i;
    }
    return false;
}

}  // namespace

std::u16string ansiToWide(std::string_view ansi) {
    const std::string_view text = untilNul(ansi);
    // The code page's single bytes below 0x80 are ASCII.
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
        return limited(std::u16string(text.begin(), text.end()));
    }
    return limited(convertToWide("GBK", text));
}

std::u16string utf8ToWide(std::string_view utf8) {
    const std::string_view text = untilNul(utf8);
    std::u16string wide;
    if (wideFromValidUtf8(text, wide)) return limited(std::move(wide));
    return limited(convertToWide("UTF-8", text));
}

std::u16string fromUtf8(std::string_view utf8) {
    std::u16string wide;
    if (wideFromValidUtf8(utf8, wide)) return wide;
    return convertToWide("UTF-8", utf8);
}

std::string toUtf8(std::u16string_view wide) {
    std::string out;
    if (!hasUnpairedSurrogate(wide)) {
        // A unit gives at most three bytes (a pair of them four).
        out.resize(wide.size() * 3);
        const char* end = utf8::unchecked::utf16to8(wide.begin(), wide.end(), out.data());
        out.resize(static_cast<std::size_t>(end - out.data()));
        return out;
    }
    thread_local Converter converter("UTF-8", "UTF-16LE");
    // An unpaired surrogate (two bytes of input) becomes U+FFFD.
    if (!converter.convert(toUtf16Le(wide), out, "\xEF\xBF\xBD", twoBytes)) return {};
    return out;
}

bool toAnsi(std::u16string_view wide, std::string& ansi) {
    thread_local Converter converter("GBK", "UTF-16LE");
    return converter.convert(toUtf16Le(wide), ansi, {}, twoBytes);
}

std::u16string upperAscii(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return upper;
}

}  // namespace zelvan
