// The dialog in which the user sets the six driver parameters.
#ifndef SETUPB_DIALOGS_SETTINGS_DIALOG_H
#define SETUPB_DIALOGS_SETTINGS_DIALOG_H

#include <windows.h>

extern int portWarningPending;
extern int bufferWarningPending;
extern WNDPROC savedPortEditProc;
extern WNDPROC savedBufferEditProc;

// Dialog procedure of the VlnCDSetDlg template. Ends with OutcomeCancelled,
// the copy dialog's failure or cancel, or the registration's status.
INT_PTR CALLBACK SetupSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Range tests while typing: 1 for a text of full length that is too large.
int PortTextOutOfRange(const char* text);
int BufferTextOutOfRange(const char* text);

// Tests at Setup: 1 when the text may be stored.
int PortTextAccepted(const char* text);
int BufferTextAccepted(const char* text, DWORD* value);

// The port text as a number, one hexadecimal digit per character.
DWORD PortTextValue(const char* text);

#endif
