// Asks, when the driver is already installed, whether it stays or is replaced.
#ifndef SETUPB_DIALOGS_DRIVER_PRESENT_DIALOG_H
#define SETUPB_DIALOGS_DRIVER_PRESENT_DIALOG_H

#include <windows.h>

// Dialog procedure of the VlnCDInitDlg template: 0 for Current (clears
// copyFiles) and New, OutcomeCancelled for Cancel.
INT_PTR CALLBACK DriverPresentDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
