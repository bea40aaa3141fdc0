#include "db/text.h"

#include <iconv.h>

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

    // Converts `in` to `out` (bytes). An undecodable input unit is replaced by `replacement`
    // (already in the target encoding) when it is given; otherwise the conversion fails.
    bool convert(std::string_view in, std::string& out, std::string_view replacement,
                 std::size_t unitSize) {
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
            std::size_t skip = unitSize < srcLeft ? unitSize : srcLeft;
            src += skip;
            srcLeft -= skip;
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
    if (!converter.convert(text, bytes, kUtf16Replacement, 1)) return {};
    return fromUtf16Le(bytes);
}

}  // namespace

std::u16string ansiToWide(std::string_view ansi) {
    return limited(convertToWide("GBK", untilNul(ansi)));
}

std::u16string utf8ToWide(std::string_view utf8) {
    return limited(convertToWide("UTF-8", untilNul(utf8)));
}

std::u16string fromUtf8(std::string_view utf8) {
    return convertToWide("UTF-8", utf8);
}

std::string toUtf8(std::u16string_view wide) {
    thread_local Converter converter("UTF-8", "UTF-16LE");
    std::string out;
    // An unpaired surrogate (two bytes of input) becomes U+FFFD.
    if (!converter.convert(toUtf16Le(wide), out, "\xEF\xBF\xBD", 2)) return {};
    return out;
}

bool toAnsi(std::u16string_view wide, std::string& ansi) {
    thread_local Converter converter("GBK", "UTF-16LE");
    return converter.convert(toUtf16Le(wide), ansi, {}, 2);
}

std::u16string upperAscii(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return upper;
}

}  // namespace zelvan
