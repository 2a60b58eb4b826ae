// Copies the two product files, one per timer step, with a progress display.
#ifndef SETUPB_DIALOGS_COPY_PROGRESS_DIALOG_H
#define SETUPB_DIALOGS_COPY_PROGRESS_DIALOG_H

#include <windows.h>

// The request to copy the file of one step; wParam is the step, lParam 0.
constexpr UINT WM_COPYSTEP = WM_USER + 1;

constexpr UINT CopyTimerId = 1;
constexpr UINT CopyTimerPeriodMs = 100;

enum : int {
    StepCopySetup = 0,   // the setup program is copied next
    StepCopyDriver = 1,  // the driver file is copied next
    StepDone = 2,        // both files are copied
    StepAborted = -1,    // cancelled, or a copy failed
};

class CopyStep {
public:
    int GetStep() const { return step; }
    void SetStep(int value) { step = value; }

private:
    int step = StepCopySetup;
};

extern CopyStep copyStep;

// Dialog procedure of the VlnCDWaitDlg template; ends with OutcomeDone,
// OutcomeFailed (a copy failed) or OutcomeCancelled.
INT_PTR CALLBACK CopyProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the two lines, the bar and the percentage of a step.
void PaintCopyProgress(HWND dialog, HBRUSH brush, int step);

#endif
