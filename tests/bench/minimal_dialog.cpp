// The yardstick of the benchmarks: the smallest modal dialog program, built
// with the same toolchain and flags as setupb.exe.
#include <windows.h>

namespace {

INT_PTR CALLBACK MinimalDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
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
    return static_cast<int>(DialogBoxParamA(instance, "MinimalDlg", nullptr, MinimalDialog, 0));
}
