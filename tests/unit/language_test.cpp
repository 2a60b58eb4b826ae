// Language selection: the locale id picks the catalogue block, by the whole 32 bits.
#include <gtest/gtest.h>

#include "resource.h"
#include "text/ui_language.h"

namespace {

struct LocaleCase {
    LCID locale;
    int expectedBase;
};

TEST(UiLanguage, ChoosesBlockFromWholeLocaleId)
{
    const LocaleCase cases[] = {
        {0x0407, BASE_GERMAN},  {0x0807, BASE_GERMAN},  {0x0C07, BASE_GERMAN},
        {0x040C, BASE_FRENCH},  {0x080C, BASE_FRENCH},  {0x0C0C, BASE_FRENCH},  {0x100C, BASE_FRENCH},
        {0x0410, BASE_ITALIAN}, {0x0810, BASE_ITALIAN},
        {0x040A, BASE_SPANISH}, {0x080A, BASE_SPANISH}, {0x0C0A, BASE_SPANISH},
        {0x140C, BASE_ENGLISH},   // French (Luxembourg): no row
        {0x2C0A, BASE_ENGLISH},   // Spanish (Argentina): no row
        {0x0816, BASE_ENGLISH},   // Portuguese (Portugal)
        {0x0409, BASE_ENGLISH},
        {0x10407, BASE_ENGLISH},  // German with phone-book sort: bits above 15 count
        {0x1040C, BASE_ENGLISH},
        {0, BASE_ENGLISH},
    };
    for (const LocaleCase& c : cases) {
        const UiLanguage language(c.locale);
        EXPECT_EQ(language.GetStringBase(), c.expectedBase) << std::hex << "locale 0x" << c.locale;
        EXPECT_EQ(language.SystemLcid(), c.locale);
    }
}

TEST(UiLanguage, DefaultConstructorReadsSystemDefaultLocale)
{
    const UiLanguage language;
    EXPECT_EQ(language.SystemLcid(), GetSystemDefaultLCID());
    EXPECT_EQ(language.GetStringBase(), UiLanguage(GetSystemDefaultLCID()).GetStringBase());
}

}  // namespace
