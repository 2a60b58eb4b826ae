// The language block of the string catalogue, chosen once from the system
// default locale.
#ifndef SETUPB_TEXT_UI_LANGUAGE_H
#define SETUPB_TEXT_UI_LANGUAGE_H

#include <windows.h>

struct LocaleBlockRow {
    WORD localeId;
    int stringBase;
};

constexpr int LocaleBlockRowCount = 12;
extern const LocaleBlockRow localeBlockTable[LocaleBlockRowCount];

class UiLanguage {
public:
    // Selects the block for the system default locale.
    UiLanguage();
    // Selects the block for the given locale id, sort-order bits included.
    explicit UiLanguage(LCID locale);

    int GetStringBase() const { return stringBase; }
    void SetStringBase(int base) { stringBase = base; }
    LCID SystemLcid() const { return systemLcid; }

private:
    void SelectBlock();

    LCID systemLcid;
    int stringBase;
};

#endif
