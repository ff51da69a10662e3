#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace stylorex {

// The languages the program speaks. Japanese is the source text of every translation.
enum class Language { Japanese, English };

// What the settings file keeps as the user's choice ([Other] Language): 0 (and any value it
// does not know) follows the environment.
inline constexpr std::int32_t kLanguageFromEnvironment = 0;
inline constexpr std::int32_t kLanguageJapanese = 1;
inline constexpr std::int32_t kLanguageEnglish = 2;

// English when the first entry of `languageList` (LANGUAGE, "en_GB:ja") names English, or, when
// that is empty, `locale` (LANG) does: "en", "en_US.UTF-8", "en@quot". Japanese otherwise, C and
// POSIX included.
Language LanguageOfEnvironment(QByteArrayView languageList, QByteArrayView locale);

// The stored choice where it names a language, the environment's otherwise.
Language PickLanguage(std::int32_t storedChoice, QByteArrayView languageList,
                      QByteArrayView locale);

// The language to start in: the choice in the settings file the program reads, else LANGUAGE
// and LANG.
Language StartupLanguage();

// Makes every text of the program come out in `language` from now on: the program's own
// catalogues (embedded) are installed in the application object, the present one and any made
// later, so this may run before one exists. Texts made before an application object exists stay
// Japanese. Returns false when a catalogue could not be loaded (the texts stay Japanese).
bool InstallTranslations(Language language);

// The language InstallTranslations set last (Japanese before it ran).
Language CurrentLanguage();

}  // namespace stylorex
