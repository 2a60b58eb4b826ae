#include "dialogs/copy_progress_dialog.h"

#include <string.h>

#include "config/install_file.h"
#include "dialogs/modal_dialog.h"
#include "dialogs/placement.h"
#include "resource.h"
#include "text/bounded_text.h"
#include "text/catalogue.h"
#include "text/text_scratch.h"

namespace {

// The request to copy the file of one step; wParam is the step, lParam 0.
constexpr UINT WM_COPYSTEP = WM_USER + 1;

constexpr UINT CopyTimerEvent = 1;
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

CopyStep copyStep;
UINT_PTR copyTimerId = 0;
HBRUSH progressBrush = nullptr;

constexpr int LineCapacity = 260;
constexpr int Margin = 30;
constexpr int FirstLineTop = 10;
constexpr int SecondLineTop = 30;
constexpr int BarHeight = 28;
constexpr int PercentGap = 2;
constexpr int PercentHeight = 20;

INT_PTR OnInitDialog(HWND dialog)
{
    const HINSTANCE instance = ModuleOf(dialog);
    SetWindowCatalogueText(dialog, instance, TXT_PRODUCT_TITLE);
    SetWindowCatalogueText(GetDlgItem(dialog, IDB_CANCEL), instance, TXT_CANCEL_BUTTON);
    // The copy may only end through Cancel: no Close in the window menu.
    DeleteMenu(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND);
    copyStep.SetStep(StepCopySetup);
    // Without a timer no step ever runs and only Cancel ends the dialog.
    copyTimerId = SetTimer(dialog, CopyTimerEvent, CopyTimerPeriodMs, nullptr);
    progressBrush = CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION));
    CentreOverOwner(dialog, GetWindow(dialog, GW_OWNER));
    return TRUE;
}

void OnTimer(HWND dialog)
{
    const int step = copyStep.GetStep();
    if (step == StepAborted) {
        PostCloseRequest(dialog, OutcomeFailed);
    } else if (step == StepDone) {
        PostCloseRequest(dialog, OutcomeDone);
    } else {
        PostMessageA(dialog, WM_COPYSTEP, static_cast<WPARAM>(step), 0);
    }
}

void OnCopyStep(HWND dialog, WPARAM requestedStep)
{
    int step = copyStep.GetStep();
    if (static_cast<int>(requestedStep) != step) {
        step = StepAborted;  // a request that does not match the state is an abort
    }
    int copied = 0;
    if (step == StepCopySetup) {
        copied = setupProgramRecord.CopyToTarget();
    } else if (step == StepCopyDriver) {
        copied = driverRecord.CopyToTarget();
    }
    if (copied) {
        copyStep.SetStep(step + 1);
        InvalidateRect(dialog, nullptr, TRUE);
    } else {
        copyStep.SetStep(StepAborted);
        PostCloseRequest(dialog, OutcomeFailed);
    }
}

// The timer and the brush go with the dialog's window, once the dialog has
// really ended: a close it does not end on leaves both in place.
void OnDestroy(HWND dialog)
{
    if (copyTimerId != 0) {
        KillTimer(dialog, copyTimerId);
        copyTimerId = 0;
    }
    if (progressBrush != nullptr) {
        DeleteObject(progressBrush);
        progressBrush = nullptr;
    }
}

// Paints the two lines, the bar and the percentage of a step.
void PaintCopyProgress(HWND dialog, HBRUSH brush, int step)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(dialog, &client);
    const int width = client.right;
    const int height = client.bottom;

    const HINSTANCE instance = ModuleOf(dialog);
    char firstLine[LineCapacity];
    char secondLine[LineCapacity];
    LoadCatalogueText(instance, TXT_COPY_PREFIX, firstLine, LineCapacity);
    LoadCatalogueText(instance, TXT_TARGET_PREFIX, secondLine, LineCapacity);

    const InstallFile* record = nullptr;
    int fillRight = Margin;
    const char* percent = "";
    if (step == StepCopySetup) {
        record = &setupProgramRecord;
    } else if (step == StepCopyDriver) {
        record = &driverRecord;
        fillRight = Margin + (width - 2 * Margin) / 2;
        percent = "50 %";
    } else if (step == StepDone) {
        record = &driverRecord;
        fillRight = width - Margin;
        percent = "100 %";
    }
    if (record != nullptr) {
        // The record's name and target directory come through the title part
        // of textScratch; one that does not fit it leaves its line's prefix alone.
        if (record->CopyNameTo(textScratch.title, TitleScratchCapacity) > 0) {
            AppendTextTo(firstLine, LineCapacity, textScratch.title);
        }
        if (record->CopyTargetDirTo(textScratch.title, TitleScratchCapacity) > 0) {
            AppendTextTo(secondLine, LineCapacity, textScratch.title);
        }
    } else {
        firstLine[0] = '\0';
        secondLine[0] = '\0';
    }

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (dc == nullptr) {
        return;
    }
    TextOutA(dc, Margin, FirstLineTop, firstLine, static_cast<int>(strlen(firstLine)));
    TextOutA(dc, Margin, SecondLineTop, secondLine, static_cast<int>(strlen(secondLine)));

    const int barTop = height / 2;
    Rectangle(dc, Margin, barTop, width - Margin, barTop + BarHeight);
    if (fillRight > Margin) {
        const RECT fill = {Margin, barTop, fillRight, barTop + BarHeight};
        FillRect(dc, &fill, brush);
    }

    SetTextColor(dc, GetSysColor(COLOR_ACTIVECAPTION));
    SetBkMode(dc, OPAQUE);
    if (percent[0] != '\0') {
        RECT percentRect = {Margin, barTop + BarHeight + PercentGap, width - Margin,
                            barTop + BarHeight + PercentGap + PercentHeight};
        DrawTextA(dc, percent, -1, &percentRect, DT_CENTER);
    }
    EndPaint(dialog, &paint);
}

}  // namespace

INT_PTR CALLBACK CopyProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_TIMER:
        OnTimer(dialog);
        return FALSE;
    case WM_COPYSTEP:
        // WM_COPYSTEP has the value of DM_SETDEFID: left unhandled, the dialog
        // manager would take the step number as the new default button, and
        // Enter would no longer press Cancel after the first copy.
        OnCopyStep(dialog, wParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDB_CANCEL) {
            copyStep.SetStep(StepAborted);
            PostCloseRequest(dialog, OutcomeCancelled);
        }
        return FALSE;
    case WM_SYSCOMMAND:
        return EndDialogOnClose(dialog, wParam);
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    case WM_PAINT:
        PaintCopyProgress(dialog, progressBrush, copyStep.GetStep());
        return FALSE;
    default:
        return FALSE;
    }
}
