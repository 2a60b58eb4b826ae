#include "text/catalogue.h"

#include "resource.h"
#include "text/text_scratch.h"
#include "text/ui_language.h"

HINSTANCE ModuleOf(HWND window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

int CatalogueId(int offset)
{
    return CATALOGUE_ORIGIN + catalogueLanguage.GetStringBase() + offset;
}

void LoadCatalogueText(HINSTANCE instance, int offset, char* buffer, int capacity)
{
    // LoadStringA always terminates; a missing id leaves an empty text.
    buffer[0] = '\0';
    LoadStringA(instance, static_cast<UINT>(CatalogueId(offset)), buffer, capacity);
}

void SetWindowCatalogueText(HWND window, HINSTANCE instance, int offset)
{
    LoadCatalogueText(instance, offset, textScratch.title, TitleScratchCapacity);
    SetWindowTextA(window, textScratch.title);
}

void CatalogueMessageBox(HINSTANCE instance, HWND owner, int titleId, int textId, UINT style)
{
    if (instance == nullptr) {
        instance = ModuleOf(owner);
    }
    textScratch.title[0] = '\0';
    textScratch.message[0] = '\0';
    LoadStringA(instance, static_cast<UINT>(titleId), textScratch.title, TitleScratchCapacity);
    LoadStringA(instance, static_cast<UINT>(textId), textScratch.message, MessageScratchCapacity);
    // The result is dropped: every caller shows a single OK button.
    MessageBoxA(owner, textScratch.message, textScratch.title, style);
}
