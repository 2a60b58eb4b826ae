#include "flow/preflight.h"

#include "config/install_file.h"
#include "config/wow64.h"
#include "dialogs/copy_progress_dialog.h"
#include "dialogs/driver_present_dialog.h"
#include "resource.h"

RunMode RunModeFromTail(const char* commandTail)
{
    if (commandTail[0] == '1') {
        return ModeInstall;
    }
    if (commandTail[0] == '2') {
        return ModeReconfigure;
    }
    return ModeInteractive;
}

Outcome PreflightTableOutcome(RunMode mode, int copy, int driverSource, int driverTarget, int* askDriverPresent)
{
    *askDriverPresent = 0;
    if (mode == ModeInstall) {
        // From the diskette only; an installed driver is overwritten unasked.
        return (copy && driverSource) ? OutcomeDone : OutcomeCancelled;
    }
    if (mode == ModeReconfigure) {
        // From the system directory only, with the driver in place.
        return (!copy && driverTarget) ? OutcomeDone : OutcomeCancelled;
    }
    if (copy) {
        if (!driverSource) {
            return OutcomeFailed;
        }
        if (driverTarget) {
            *askDriverPresent = 1;
        }
        return OutcomeDone;
    }
    return driverTarget ? OutcomeDone : OutcomeFailed;
}

Outcome PreflightDecision(HINSTANCE instance, const char* commandTail)
{
    runMode = RunModeFromTail(commandTail);
    if (RunningUnderWow64()) {
        // Refused before anything is shown or changed, as a missing file is.
        return runMode == ModeInteractive ? OutcomeFailed : OutcomeCancelled;
    }
    if (!setupProgramRecord.SourceAvailable()) {
        return OutcomeFailed;
    }
    copyFiles = setupProgramRecord.RunningFromSystemDir() ? 0 : 1;

    int askDriverPresent = 0;
    const Outcome outcome = PreflightTableOutcome(runMode, copyFiles, driverRecord.SourceAvailable(),
                                                  driverRecord.TargetExists(), &askDriverPresent);
    if (askDriverPresent) {
        return RunModalDialog(instance, DLG_DRIVER_PRESENT_NAME, nullptr, DriverPresentDialog);
    }
    return outcome;
}
