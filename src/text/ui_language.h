// The language block of the string catalogue, chosen once from the system
// default locale.
#ifndef SETUPB_TEXT_UI_LANGUAGE_H
#define SETUPB_TEXT_UI_LANGUAGE_H

#include <windows.h>

class UiLanguage {
public:
    // Selects the block for the system default locale.
    UiLanguage();
    // Selects the block for the given locale id, sort-order bits included.
    explicit UiLanguage(LCID locale);

    int GetStringBase() const { return stringBase; }

private:
    void SetStringBase(int base) { stringBase = base; }
    void SelectBlock();

    LCID systemLcid;
    int stringBase;
};

// The language of every text the program shows. Built at start, after the
// two product files' records: flow/program_globals.cpp defines them together
// in that order.
extern UiLanguage catalogueLanguage;

#endif
