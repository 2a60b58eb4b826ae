#include "text/ui_language.h"

#include <iterator>

#include "resource.h"

namespace {

struct LocaleBlockRow {
    WORD localeId;
    int stringBase;
};

// Locales with a block of their own; every other locale reads English.
const LocaleBlockRow localeBlockTable[] = {
    {0x040C, BASE_FRENCH},   // French (France)
    {0x080C, BASE_FRENCH},   // French (Belgium)
    {0x0C0C, BASE_FRENCH},   // French (Canada)
    {0x100C, BASE_FRENCH},   // French (Switzerland)
    {0x0410, BASE_ITALIAN},  // Italian (Italy)
    {0x0810, BASE_ITALIAN},  // Italian (Switzerland)
    {0x040A, BASE_SPANISH},  // Spanish (Spain, traditional sort)
    {0x080A, BASE_SPANISH},  // Spanish (Mexico)
    {0x0C0A, BASE_SPANISH},  // Spanish (Spain, modern sort)
    {0x0407, BASE_GERMAN},   // German (Germany)
    {0x0807, BASE_GERMAN},   // German (Switzerland)
    {0x0C07, BASE_GERMAN},   // German (Austria)
};

}  // namespace

UiLanguage::UiLanguage() : UiLanguage(GetSystemDefaultLCID())
{
}

UiLanguage::UiLanguage(LCID locale) : systemLcid(locale), stringBase(BASE_ENGLISH)
{
    SelectBlock();
}

void UiLanguage::SelectBlock()
{
    SetStringBase(BASE_ENGLISH);
    // The whole 32-bit id is compared, so a locale with a non-default sort
    // order matches no row and reads English.
    for (size_t row = 0; row < std::size(localeBlockTable); ++row) {
        if (static_cast<LCID>(localeBlockTable[row].localeId) == systemLcid) {
            SetStringBase(localeBlockTable[row].stringBase);
        }
    }
}
