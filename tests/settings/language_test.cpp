#include "settings/language.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

// LANGUAGE's first entry decides where it has one; LANG only where it is empty. Only a name of
// English (with or without its territory, code set or modifier) gives English.
TEST(Language, TheEnvironmentNamesEnglishOrTheProgramSpeaksJapanese) {
    struct Case {
        const char* language;
        const char* lang;
        Language expected;
    };
    for (const Case& c : {
             Case{"en", "", Language::English},
             Case{"en_US", "ja_JP.UTF-8", Language::English},
             Case{"en_GB:ja", "C", Language::English},
             Case{"", "en_US.UTF-8", Language::English},
             Case{"", "en@quot", Language::English},
             Case{"ja:en", "en_US.UTF-8", Language::Japanese},
             Case{"de", "en_US.UTF-8", Language::Japanese},
             Case{"", "C", Language::Japanese},
             Case{"", "POSIX", Language::Japanese},
             Case{"", "C.UTF-8", Language::Japanese},
             Case{"", "", Language::Japanese},
             Case{"", "eng", Language::Japanese},
             Case{":en", "ja_JP.UTF-8", Language::Japanese},
         }) {
        EXPECT_EQ(LanguageOfEnvironment(c.language, c.lang), c.expected)
            << "LANGUAGE=" << c.language << " LANG=" << c.lang;
    }
}

TEST(Language, AStoredChoiceWinsOverTheEnvironmentAndAnUnknownOneFollowsIt) {
    EXPECT_EQ(PickLanguage(kLanguageEnglish, "ja", "C"), Language::English);
    EXPECT_EQ(PickLanguage(kLanguageJapanese, "en", "en_US.UTF-8"), Language::Japanese);
    EXPECT_EQ(PickLanguage(kLanguageFromEnvironment, "", "en_US.UTF-8"), Language::English);
    EXPECT_EQ(PickLanguage(7, "en", ""), Language::English);
    EXPECT_EQ(PickLanguage(7, "", "C"), Language::Japanese);
}

}  // namespace
}  // namespace stylorex
