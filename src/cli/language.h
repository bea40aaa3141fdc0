// The language zelvan-cli speaks: the texts as the sources hold them, Chinese or English,
// chosen from the user's locale, with GNU gettext's catalogs (po/) translating into it.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zelvan::cli {

// Which texts a run prints. The values are the order of the choice, not stored anywhere.
enum class Language : int {
    Source = 0,   // the C or POSIX locale, or none: the texts as written (no catalog)
    Chinese = 1,  // a Chinese locale: the original texts, our English ones translated
    English = 2,  // any other locale: the original Chinese texts translated
};

// The language the locale variables ask for, as gettext reads them: the locale is the first
// set of LC_ALL, LC_MESSAGES and LANG; C or POSIX (or none) gives Source, whatever LANGUAGE
// says. Else the first entry of LANGUAGE's list, then the locale, that is Chinese ("zh...")
// or English ("en...") decides; a locale in neither language reads English. Null or empty
// values count as unset.
Language chooseLanguage(const char* language, const char* lcAll, const char* lcMessages,
                        const char* lang);

// Chooses the language from the environment and loads its catalog: first the one the build
// or the installation holds beside the program (bin/../share/locale), else the one installed
// under the configured prefix. Does not depend on the locale being installed: only message
// lookup is switched (LC_MESSAGES to C.UTF-8, with LANGUAGE naming the catalog); numbers,
// character classes and the JSON output keep the C locale. Returns the language chosen.
Language setUpLanguage();

// A text written in English (help, messages, errors): Chinese under a Chinese locale.
const char* tr(const char* text);
// The form of an English text for the count `n` ("%s error", "%s errors"), in the language of
// the run.
const char* trPlural(const char* one, const char* several, long long n);
// The same for a text of the core written in English (why a data folder was chosen, ...).
std::string tr(std::string_view text);
// Marks a text written in the original Chinese for the catalogs where it is kept for two
// uses: as written (JSON documents) and translated with trZh (the terminal).
constexpr const char* markZh(const char* text) {
    return text;
}
// A text written in the original Chinese (headings, markers, messages): English under a
// locale that is not Chinese.
const char* trZh(const char* text);
// `pattern` (a translated text) with each "%s" replaced by the next of `values`, and "%N$s" by
// the Nth (from 1, for a translation that orders them otherwise); another '%' stays.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);
// The same for a text of the core (kind names, headings, status words), which comes as UTF-16.
std::u16string trZh(std::u16string_view text);

}  // namespace zelvan::cli
