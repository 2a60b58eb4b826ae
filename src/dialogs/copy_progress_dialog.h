// Copies the two product files, one per timer step, with a progress display.
#ifndef SETUPB_DIALOGS_COPY_PROGRESS_DIALOG_H
#define SETUPB_DIALOGS_COPY_PROGRESS_DIALOG_H

#include <windows.h>

// Dialog procedure of the VlnCDWaitDlg template; ends with OutcomeDone,
// OutcomeFailed (a copy failed) or OutcomeCancelled.
INT_PTR CALLBACK CopyProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
