#include "db/translation.h"

namespace zelvan {
namespace {

TextTranslator installed = nullptr;

}  // namespace

void setTextTranslator(TextTranslator translator) {
    installed = translator;
}

std::u16string translated(std::u16string_view source) {
    return installed ? installed(source) : std::u16string(source);
}

std::u16string fillPattern(std::u16string_view pattern,
                           std::initializer_list<std::u16string_view> values) {
    std::u16string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        const std::size_t n =
            next >= u'1' && next <= u'9' ? static_cast<std::size_t>(next - u'1') : values.size();
        if (pattern[i] == u'%' && n < values.size()) {
            text += values.begin()[n];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace zelvan
