// Copies the two product files, one per timer step, with a progress display.
#ifndef SETUPB_DIALOGS_COPY_PROGRESS_DIALOG_H
#define SETUPB_DIALOGS_COPY_PROGRESS_DIALOG_H

#include <windows.h>

// Dialog procedure of the VlnCDWaitDlg template; ends with OutcomeDone,
// OutcomeFailed (a copy failed) or OutcomeCancelled.
INT_PTR CALLBACK CopyProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when this run copies the product files: Setup runs this dialog before the
// registration. Set by the pre-flight decision, cleared by the driver-present
// dialog's Current; defined in flow/program_globals.cpp.
extern int copyFiles;

#endif
