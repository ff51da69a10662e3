#include "settings/language.h"

#include "settings/persistent_settings.h"
#include "settings/setting_table.h"

#include <QCoreApplication>
#include <QFile>
#include <QTranslator>

#include <memory>
#include <vector>

namespace stylorex {

namespace {

// The catalogues, compiled by lrelease and embedded under :/i18n: the program's own and, where
// the build has it, the command line's.
const char* const kCatalogues[] = {"stylorex_en", "stylorex_cli_en"};

struct Translations {
    Language language = Language::Japanese;
    std::vector<std::unique_ptr<QTranslator>> translators;
    bool routineAdded = false;
};

Translations& translations() {
    static Translations state;
    return state;
}

// Puts the loaded catalogues into the application object (an application object's constructor
// calls this too, through qAddPreRoutine).
void installInApplication() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    for (const auto& translator : translations().translators) {
        QCoreApplication::installTranslator(translator.get());
    }
}

bool namesEnglish(QByteArrayView entry) {
    if (!entry.startsWith("en")) {
        return false;
    }
    return entry.size() == 2 || entry[2] == '_' || entry[2] == '.' || entry[2] == '@';
}

}  // namespace

Language LanguageOfEnvironment(QByteArrayView languageList, QByteArrayView locale) {
    const qsizetype colon = languageList.indexOf(':');
    const QByteArrayView first = colon < 0 ? languageList : languageList.first(colon);
    if (!first.isEmpty()) {
        return namesEnglish(first) ? Language::English : Language::Japanese;
    }
    return namesEnglish(locale) ? Language::English : Language::Japanese;
}

Language PickLanguage(std::int32_t storedChoice, QByteArrayView languageList,
                      QByteArrayView locale) {
    if (storedChoice == kLanguageJapanese) {
        return Language::Japanese;
    }
    if (storedChoice == kLanguageEnglish) {
        return Language::English;
    }
    return LanguageOfEnvironment(languageList, locale);
}

Language StartupLanguage() {
    StoredSettings stored;
    const QString path = SettingsFileToRead();
    if (QFile::exists(path)) {
        ReadSettings(path, stored, kOtherSection);
    }
    return PickLanguage(stored.LanguageChoice, qgetenv("LANGUAGE"), qgetenv("LANG"));
}

bool InstallTranslations(Language language) {
    Translations& state = translations();
    // A translator leaves the application object as it is destroyed.
    state.translators.clear();
    state.language = language;
    if (language == Language::Japanese) {
        return true;
    }
    bool loaded = true;
    for (const char* name : kCatalogues) {
        const QString file = QStringLiteral(":/i18n/%1.qm").arg(QLatin1String(name));
        if (!QFile::exists(file)) {
            // The command line's catalogue is only there once the build has one.
            loaded = loaded && name != kCatalogues[0];
            continue;
        }
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(file)) {
            loaded = false;
            continue;
        }
        state.translators.push_back(std::move(translator));
    }
    if (!state.routineAdded) {
        state.routineAdded = true;
        // Also runs it now when an application object exists.
        qAddPreRoutine(installInApplication);
    } else {
        installInApplication();
    }
    return loaded;
}

Language CurrentLanguage() {
    return translations().language;
}

}  // namespace stylorex
