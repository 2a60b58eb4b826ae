#include "dialogs/modal_dialog.h"

namespace {
// Marks, in the dialog's own user slot, that the dialog asked to close.
constexpr LONG_PTR CloseRequestedMark = 0x56434C53;  // "VCLS"
}

Outcome RunModalDialog(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure)
{
    const INT_PTR result = DialogBoxParamA(instance, templateName, owner, procedure, 0);
    if (result == -1) {
        return OutcomeFailed;
    }
    return static_cast<Outcome>(result);
}

void PostCloseRequest(HWND dialog, Outcome outcome)
{
    SetWindowLongPtrA(dialog, DWLP_USER, CloseRequestedMark);
    // A lost post would leave the dialog open for the user to close: no harm.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, static_cast<LPARAM>(outcome));
}

INT_PTR ClosingOutcome(HWND dialog, LPARAM lParam)
{
    if (GetWindowLongPtrA(dialog, DWLP_USER) == CloseRequestedMark) {
        return static_cast<INT_PTR>(static_cast<Outcome>(lParam));
    }
    return OutcomeCancelled;
}
