// The dialog in which the user sets the driver parameters.
#ifndef SETUPB_DIALOGS_SETTINGS_DIALOG_H
#define SETUPB_DIALOGS_SETTINGS_DIALOG_H

#include <windows.h>

// Dialog procedure of the VlnCDSetDlg template. Ends with OutcomeCancelled,
// the copy dialog's failure or cancel, or the registration's status.
INT_PTR CALLBACK SetupSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
