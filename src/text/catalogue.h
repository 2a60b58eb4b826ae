// Access to the string catalogue and the one routine that shows a message.
#ifndef SETUPB_TEXT_CATALOGUE_H
#define SETUPB_TEXT_CATALOGUE_H

#include <windows.h>

// The module a window belongs to, whose catalogue it shows.
HINSTANCE ModuleOf(HWND window);

// Catalogue id of an offset in the chosen language block.
int CatalogueId(int offset);

// Loads the text at offset of the chosen block into buffer (capacity
// characters, terminator included; a longer text is cut).
void LoadCatalogueText(HINSTANCE instance, int offset, char* buffer, int capacity);

// Loads the text at offset into the title part of textScratch and sets it as
// the text of window.
void SetWindowCatalogueText(HWND window, HINSTANCE instance, int offset);

// Modal message box whose title and text are two catalogue ids, loaded into
// textScratch. A null instance means the owner's module. No result: no caller
// needs the button.
void CatalogueMessageBox(HINSTANCE instance, HWND owner, int titleId, int textId, UINT style);

#endif
