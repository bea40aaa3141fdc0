#include "ui/translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include "db/translation.h"
#include "ui/locale_formats.h"
#include "ui/preferences.h"

namespace zelvan {
namespace {

const QString kLanguageKey = QStringLiteral("language");
constexpr const char* kContext = "zelvan";

// The one translator of the program, installed while English is in use.
QTranslator* english() {
    static QTranslator* translator = [] {
        auto* t = new QTranslator(QCoreApplication::instance());
        if (!t->load(QStringLiteral(":/i18n/zelvan_en.qm"))) {
            delete t;
            return static_cast<QTranslator*>(nullptr);
        }
        return t;
    }();
    return translator;
}

bool installed = false;

std::u16string coreTranslation(std::u16string_view source) {
    return shown(source).toStdU16String();
}

}  // namespace

UiLanguage savedLanguage() {
    const QString value = openSettings()->value(kLanguageKey).toString();
    if (value == QLatin1String("zh")) return UiLanguage::Chinese;
    if (value == QLatin1String("en")) return UiLanguage::English;
    return UiLanguage::System;
}

void saveLanguage(UiLanguage language) {
    static const QString kValues[] = {QStringLiteral("system"), QStringLiteral("zh"),
                                      QStringLiteral("en")};
    openSettings()->setValue(kLanguageKey, kValues[static_cast<int>(language)]);
}

bool localeWantsEnglish() {
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C) return false;
    for (const QString& language : system.uiLanguages()) {
        if (language.startsWith(QLatin1String("zh"))) return false;
        if (language.startsWith(QLatin1String("en"))) return true;
    }
    return true;
}

bool applyLanguage(UiLanguage language) {
    const bool wanted =
        language == UiLanguage::English || (language == UiLanguage::System && localeWantsEnglish());
    QTranslator* translator = english();
    if (wanted && !installed && translator) {
        installed = QCoreApplication::installTranslator(translator);
    } else if (!wanted && installed) {
        QCoreApplication::removeTranslator(translator);
        installed = false;
    }
    setTextTranslator(&coreTranslation);
    // The dates the core writes into its texts, as the language's locale writes them.
    useLocalDatesInTexts();
    return installed;
}

bool englishInUse() {
    return installed;
}

QString shown(std::u16string_view text) {
    const QString whole = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    if (!installed) return whole;
    // As it stands (" 异站" is a source text), else without the spaces that pad a heading.
    const QString exact = QCoreApplication::translate(kContext, whole.toUtf8().constData());
    if (exact != whole) return exact;
    const QString source = whole.trimmed();
    const QString translation = QCoreApplication::translate(kContext, source.toUtf8().constData());
    return translation == source ? whole : translation;
}

}  // namespace zelvan
