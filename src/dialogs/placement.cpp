#include "dialogs/placement.h"

namespace {

// Used when the screen reports no size on an axis.
constexpr int FallbackScreenWidth = 640;
constexpr int FallbackScreenHeight = 480;

}  // namespace

POINT CentredPosition(const RECT& dialogRect, const RECT& ownerRect, int screenWidth, int screenHeight)
{
    const int width = dialogRect.right - dialogRect.left;
    const int height = dialogRect.bottom - dialogRect.top;
    const int sw = screenWidth != 0 ? screenWidth : FallbackScreenWidth;
    const int sh = screenHeight != 0 ? screenHeight : FallbackScreenHeight;

    int ownerLeft = ownerRect.left;
    int ownerWidth = ownerRect.right - ownerRect.left;
    if (ownerWidth < width || ownerWidth > sw) {
        ownerLeft = 0;
        ownerWidth = sw;
    }
    int ownerTop = ownerRect.top;
    int ownerHeight = ownerRect.bottom - ownerRect.top;
    if (ownerHeight < height || ownerHeight > sh) {
        ownerTop = 0;
        ownerHeight = sh;
    }

    POINT position;
    position.x = ownerLeft + (ownerWidth - width) / 2;
    if (position.x < 0) {
        position.x = 0;
    } else if (position.x + width > sw) {
        position.x = sw - width;
    }
    position.y = ownerTop + (ownerHeight - height) / 2;
    if (position.y < 0) {
        position.y = 0;
    } else if (position.y + height > sh) {
        position.y = sh - height;
    }
    return position;
}

void CentreOverOwner(HWND dialog, HWND owner)
{
    RECT dialogRect = {0, 0, 0, 0};
    GetWindowRect(dialog, &dialogRect);
    // Without an owner the rectangle stays empty, and the screen takes its place.
    RECT ownerRect = {0, 0, 0, 0};
    if (owner != nullptr) {
        GetWindowRect(owner, &ownerRect);
    }

    int screenWidth = 0;
    int screenHeight = 0;
    HDC screen = GetDC(dialog);
    if (screen != nullptr) {
        screenWidth = GetDeviceCaps(screen, HORZRES);
        screenHeight = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(dialog, screen);
    }

    const POINT position = CentredPosition(dialogRect, ownerRect, screenWidth, screenHeight);
    SetWindowPos(dialog, nullptr, position.x, position.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}
