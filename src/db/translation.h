// The language of the texts the core composes (status words, running days, changes, update
// messages). Each fixed text is written in the original Chinese inside ZELVAN_TEXT, which the
// application's lupdate reads as QT_TRANSLATE_NOOP, and passes through `translated` when it is
// shown. A program that speaks another language installs its translator once, before any query
// runs; without one every text stays as written, which the command line's tables, its JSON
// documents and the tests rely on.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// A fixed text of the core, the original Chinese as a UTF-16 literal. The context is always
// "zelvan", the one context of the application's translation.
#define ZELVAN_TEXT(context, text) u"" text

namespace zelvan {

// Translates one fixed text (a ZELVAN_TEXT, unchanged); returns it as it came when its
// translation is unknown.
using TextTranslator = std::u16string (*)(std::u16string_view source);

// Installs `translator` (null: none, the texts as written) for every later call of
// `translated`. Not synchronised: set it while no other thread reads texts.
void setTextTranslator(TextTranslator translator);

// `source` in the language installed, or as written.
std::u16string translated(std::u16string_view source);

// `pattern` with "%1" to "%9" replaced by the values they number, in one pass (a value holding
// "%2" stays as it is); a number without a value and any other '%' stay.
std::u16string fillPattern(std::u16string_view pattern,
                           std::initializer_list<std::u16string_view> values);

// `translated(pattern)` filled with `values`.
inline std::u16string translatedPattern(std::u16string_view pattern,
                                        std::initializer_list<std::u16string_view> values) {
    return fillPattern(translated(pattern), values);
}

}  // namespace zelvan
