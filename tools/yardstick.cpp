// The benchmarks' yardstick: setupb.exe's own settings dialog template, shown
// by a dialog procedure that does nothing, built with the same toolchain and
// flags. Setup and Cancel end it.
#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK EmptyDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDB_SET_SETUP || LOWORD(wParam) == IDB_CANCEL) {
            EndDialog(dialog, 0);
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandTail*/, int /*showCommand*/)
{
    return static_cast<int>(DialogBoxParamA(instance, DLG_SETTINGS_NAME, nullptr, EmptyDialog, 0));
}
