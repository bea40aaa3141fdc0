// The language of the application: the original Chinese texts, or their English translation
// (src/res/zelvan_en.ts, loaded from the resource :/i18n/zelvan_en.qm). Every text has the one
// context "zelvan": the ui's literals as QCoreApplication::translate("zelvan", ...), the
// resources' and the core's as ZELVAN_TEXT("zelvan", ...).
#pragma once

#include <QString>
#include <string_view>

namespace zelvan {

// The user's choice in the menu, kept in the settings ("language": "system", "zh", "en").
enum class UiLanguage : int {
    System = 0,  // the desktop's locale decides
    Chinese = 1,
    English = 2,
};

UiLanguage savedLanguage();
void saveLanguage(UiLanguage language);

// Whether the locale asks for English: Qt reads LANGUAGE, LC_ALL, LC_MESSAGES and LANG itself.
// The first of the user's languages that is Chinese or English decides, one in neither reads
// English; the C locale keeps the texts as written.
bool localeWantsEnglish();

// Loads or drops the English translation for `language` (System: as the locale asks) and lets
// the core compose its texts through it. Qt tells every widget (QEvent::LanguageChange); the
// windows open then set their texts again. True when English is in use afterwards.
bool applyLanguage(UiLanguage language);
// Whether English is in use.
bool englishInUse();

// A text of the core or of the resources in the language in use: its translation when the
// catalog holds one (a heading or a kind name is looked up without the spaces around it),
// else the text as it is (station names, train numbers, texts composed of translated parts).
QString shown(std::u16string_view text);

}  // namespace zelvan
