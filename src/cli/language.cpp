#include "cli/language.h"

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "db/text.h"
#include "db/timetable_db.h"

namespace zelvan::cli {
namespace {

constexpr const char* kDomain = "zelvan-cli";

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

// "C", "POSIX", "C.UTF-8", "C.utf8": the locales in which programs print their texts as written.
bool isPlainLocale(std::string_view locale) {
    const std::string_view name = locale.substr(0, locale.find('.'));
    return name == "C" || name == "POSIX";
}

// The language of one locale name or LANGUAGE entry ("zh_CN.UTF-8", "en", "de_DE@euro"), if
// it is one we speak.
bool speaks(std::string_view entry, Language& language) {
    const std::string_view code = entry.substr(0, entry.find_first_of("_.@"));
    if (code == "zh") {
        language = Language::Chinese;
        return true;
    }
    if (code == "en") {
        language = Language::English;
        return true;
    }
    return false;
}

// The catalog folder: beside the program (the build tree and a moved installation alike),
// else the configured one.
std::string catalogFolder() {
    const std::filesystem::path beside =
        std::filesystem::path(toUtf8(TimetableDb::programFolder())) / ZELVAN_LOCALE_RELATIVE;
    std::error_code error;
    if (std::filesystem::is_directory(beside, error)) return beside.lexically_normal().string();
    return ZELVAN_LOCALE_FOLDER;
}

}  // namespace

Language chooseLanguage(const char* language, const char* lcAll, const char* lcMessages,
                        const char* lang) {
    const char* locale = isSet(lcAll) ? lcAll : isSet(lcMessages) ? lcMessages : lang;
    if (!isSet(locale) || isPlainLocale(locale)) return Language::Source;
    Language chosen = Language::English;
    std::string_view list = isSet(language) ? language : "";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        if (speaks(list.substr(0, colon), chosen)) return chosen;
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    speaks(locale, chosen);
    return chosen;
}

Language setUpLanguage() {
    const Language language = chooseLanguage(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                             std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    if (language == Language::Source) return language;
    // gettext looks the catalog up by LANGUAGE under any locale but C itself; C.UTF-8 is built
    // into the C library, so a system without the user's locale generated still translates.
    if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) std::setlocale(LC_MESSAGES, "");
    ::setenv("LANGUAGE", language == Language::Chinese ? "zh_CN" : "en", 1);
    ::bindtextdomain(kDomain, catalogFolder().c_str());
    // Station names and JSON are UTF-8 whatever the terminal's locale: so are the texts.
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    ::textdomain(kDomain);
    return language;
}

const char* tr(const char* text) {
    return ::gettext(text);
}

const char* trPlural(const char* one, const char* several, long long n) {
    return ::ngettext(one, several, static_cast<unsigned long>(n < 0 ? -n : n));
}

std::string tr(std::string_view text) {
    return ::gettext(std::string(text).c_str());
}

const char* trZh(const char* text) {
    return ::gettext(text);
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    std::size_t next = 0;  // the value a plain "%s" takes
    for (std::size_t at = 0; at < pattern.size();) {
        const std::size_t mark = pattern.find('%', at);
        text += pattern.substr(at, mark - at);
        if (mark == std::string_view::npos) break;
        // "%s", or "%N$s" (a translation that puts the values in another order).
        std::size_t end = mark + 1;
        std::size_t index = next;
        if (end + 2 < pattern.size() && pattern[end] >= '1' && pattern[end] <= '9' &&
            pattern[end + 1] == '$') {
            index = static_cast<std::size_t>(pattern[end] - '1');
            end += 2;
        }
        if (end < pattern.size() && pattern[end] == 's' && index < values.size()) {
            text += values.begin()[index];
            next = index + 1;
            at = end + 1;
        } else {
            text += '%';
            at = mark + 1;
        }
    }
    return text;
}

std::u16string trZh(std::u16string_view text) {
    const std::string source = toUtf8(text);
    const char* translated = ::gettext(source.c_str());
    return translated == source.c_str() ? std::u16string(text) : fromUtf8(translated);
}

}  // namespace zelvan::cli
