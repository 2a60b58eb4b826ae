// Running a dialog template modally, and how every dialog ends itself.
#ifndef SETUPB_DIALOGS_MODAL_DIALOG_H
#define SETUPB_DIALOGS_MODAL_DIALOG_H

#include <windows.h>

#include "flow/outcome.h"

// Runs the named template modally; a dialog that cannot be created at all
// ends as OutcomeFailed.
Outcome RunModalDialog(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure);

// Posts the dialog's own close request: WM_SYSCOMMAND SC_CLOSE with the
// outcome in lParam, delivered by the dialog's message loop.
void PostCloseRequest(HWND dialog, Outcome outcome);

// The result for an SC_CLOSE that reached the dialog: the outcome of the
// dialog's first own request, or OutcomeCancelled for a close the window
// system asked for (Alt+F4, the window menu), whose lParam carries no outcome.
INT_PTR ClosingOutcome(HWND dialog, LPARAM lParam);

// The WM_SYSCOMMAND branch of a dialog: SC_CLOSE ends the dialog with its
// closing outcome (TRUE); every other command gets the default handling.
INT_PTR EndDialogOnClose(HWND dialog, WPARAM command, LPARAM lParam);

#endif
