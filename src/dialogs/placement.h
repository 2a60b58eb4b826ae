// Centres a dialog over its owner, or over the screen, kept on the screen.
#ifndef SETUPB_DIALOGS_PLACEMENT_H
#define SETUPB_DIALOGS_PLACEMENT_H

#include <windows.h>

// The position for a dialog of rectangle dialogRect over ownerRect on a screen
// of screenWidth by screenHeight (0 meaning unknown: 640 by 480 then). On an
// axis where the owner is smaller than the dialog or larger than the screen,
// the screen takes the owner's place; the result is clamped to the screen.
POINT CentredPosition(const RECT& dialogRect, const RECT& ownerRect, int screenWidth, int screenHeight);

// Moves the dialog (no resize, no z-order change). owner may be null.
void CentreOverOwner(HWND dialog, HWND owner);

#endif
