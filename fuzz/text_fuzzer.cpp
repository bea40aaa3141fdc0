// Fuzz target: the code-page conversions. The input is taken as GBK, as UTF-8 and (pairs of
// bytes) as UTF-16; the bounded conversions must keep their bounds and the round trips must
// come back.
#include <cstdint>
#include <string>

#include "db/text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::u16string fromAnsi = ansiToWide(bytes);
    const std::u16string fromUtf8Bounded = utf8ToWide(bytes);
    if (fromAnsi.size() >= kWideBufferUnits || fromUtf8Bounded.size() >= kWideBufferUnits) {
        fail("a bounded conversion overran its buffer");
    }
    if (fromAnsi.find(u'\0') != std::u16string::npos) fail("a NUL inside converted text");

    // UTF-8 read once is written back the same way every time after.
    const std::u16string wide = fromUtf8(bytes);
    const std::string utf8 = toUtf8(wide);
    if (toUtf8(fromUtf8(utf8)) != utf8) fail("UTF-8 does not come back from UTF-16");
    if (upperAscii(wide).size() != wide.size()) fail("upper-casing changed the length");

    // Text that converts to GBK converts back to the same text.
    const std::u16string units = [&] {
        std::u16string text(size / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
        }
        return text;
    }();
    for (const std::u16string* text : {&fromAnsi, &units}) {
        std::string ansi;
        if (!toAnsi(*text, ansi)) continue;
        const std::u16string back = ansiToWide(ansi);
        const std::size_t nul = text->find(u'\0');
        const std::u16string expected = text->substr(0, std::min(nul, kWideBufferUnits - 1));
        if (back != expected) fail("GBK does not come back to the same text");
    }
    return 0;
}
