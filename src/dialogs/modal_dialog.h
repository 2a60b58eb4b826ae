// Running a dialog template modally, how a dialog and the whole run end, and
// how every dialog ends itself.
#ifndef SETUPB_DIALOGS_MODAL_DIALOG_H
#define SETUPB_DIALOGS_MODAL_DIALOG_H

#include <windows.h>

#include <stdint.h>

// A dialog's result and the process exit code. After a confirmed Setup it may
// also be a raw Win32 registry status from the registration.
typedef int32_t Outcome;
enum : Outcome {
    OutcomeDone = 0,
    OutcomeFailed = 1,
    OutcomeCancelled = 2,
};

// Runs the named template modally; a dialog that cannot be created at all
// ends as OutcomeFailed.
Outcome RunModalDialog(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure);

// From now on the dialog ends only with its own close request: a close the
// window system asks for (Alt+F4, the window menu, another program) changes
// nothing. For work that must end with its own outcome once it has begun.
void IgnoreWindowSystemCloses(HWND dialog);

// Posts the dialog's own close request: WM_SYSCOMMAND SC_CLOSE with the
// outcome in lParam, delivered by the dialog's message loop.
void PostCloseRequest(HWND dialog, Outcome outcome);

// The WM_SYSCOMMAND branch of a dialog: SC_CLOSE ends the dialog (TRUE) with
// the outcome of its first own close request, or with OutcomeCancelled for a
// close the window system asked for (Alt+F4, the window menu), whose lParam
// carries no outcome, unless such closes are ignored. Every other command
// gets the default handling (FALSE).
INT_PTR EndDialogOnClose(HWND dialog, WPARAM command);

#endif
