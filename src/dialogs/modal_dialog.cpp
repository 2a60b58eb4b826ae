#include "dialogs/modal_dialog.h"

namespace {

// How a dialog's end stands: absent (every close is the user's cancel), or
// one of these values; the outcome of its own request waits in DWLP_USER.
const char closeStateProperty[] = "VlnCDCloseState";
const HANDLE AwaitingOwnRequest = reinterpret_cast<HANDLE>(1);
const HANDLE OwnRequestPosted = reinterpret_cast<HANDLE>(2);

}  // namespace

Outcome RunModalDialog(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure)
{
    const INT_PTR result = DialogBoxParamA(instance, templateName, owner, procedure, 0);
    if (result == -1) {
        return OutcomeFailed;
    }
    return static_cast<Outcome>(result);
}

void IgnoreWindowSystemCloses(HWND dialog)
{
    if (GetPropA(dialog, closeStateProperty) == nullptr) {
        SetPropA(dialog, closeStateProperty, AwaitingOwnRequest);
    }
}

void PostCloseRequest(HWND dialog, Outcome outcome)
{
    // The first request decides: a later one (a timer tick after Cancel, say)
    // is delivered after it and finds the dialog gone.
    if (GetPropA(dialog, closeStateProperty) != OwnRequestPosted) {
        SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(outcome));
        SetPropA(dialog, closeStateProperty, OwnRequestPosted);
    }
    // A lost post would leave the dialog open for the user to close: no harm.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, static_cast<LPARAM>(outcome));
}

INT_PTR EndDialogOnClose(HWND dialog, WPARAM command)
{
    // The window system keeps the four low bits for itself (0xF063 is a
    // double-click on the window-menu icon): only the rest names the command.
    if ((command & 0xFFF0) != SC_CLOSE) {
        return FALSE;
    }
    // Once the dialog has asked to close, its own outcome stands, whatever
    // close arrives first; a dialog awaiting its own request stays open.
    const HANDLE state = GetPropA(dialog, closeStateProperty);
    if (state == AwaitingOwnRequest) {
        return TRUE;
    }
    RemovePropA(dialog, closeStateProperty);
    EndDialog(dialog, state == OwnRequestPosted ? static_cast<Outcome>(GetWindowLongPtrA(dialog, DWLP_USER))
                                                : OutcomeCancelled);
    return TRUE;
}
