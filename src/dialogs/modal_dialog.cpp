#include "dialogs/modal_dialog.h"

namespace {

// Marks a dialog that has asked to close; its outcome waits in DWLP_USER.
const char closeRequestProperty[] = "VlnCDCloseRequest";

// Once the dialog has asked to close, its own outcome stands, whatever close
// arrives first; before that, every close is the user's cancel.
INT_PTR ClosingOutcome(HWND dialog)
{
    if (RemovePropA(dialog, closeRequestProperty) != nullptr) {
        return static_cast<INT_PTR>(static_cast<Outcome>(GetWindowLongPtrA(dialog, DWLP_USER)));
    }
    return OutcomeCancelled;
}

}  // namespace

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
    // The first request decides: a later one (a timer tick after Cancel, say)
    // is delivered after it and finds the dialog gone.
    if (GetPropA(dialog, closeRequestProperty) == nullptr) {
        SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(outcome));
        SetPropA(dialog, closeRequestProperty, reinterpret_cast<HANDLE>(1));
    }
    // A lost post would leave the dialog open for the user to close: no harm.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, static_cast<LPARAM>(outcome));
}

INT_PTR EndDialogOnClose(HWND dialog, WPARAM command)
{
    if (command != SC_CLOSE) {
        return FALSE;
    }
    EndDialog(dialog, ClosingOutcome(dialog));
    return TRUE;
}
