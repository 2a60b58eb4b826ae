#include "flow/preflight.h"

#include "config/install_file.h"
#include "dialogs/copy_progress_dialog.h"
#include "dialogs/driver_present_dialog.h"
#include "resource.h"

namespace {

// The 32-bit program on 64-bit Windows runs under WOW64: its copies into the
// system directory land in SysWOW64, which no driver is loaded from, and a
// 64-bit Windows loads no 32-bit driver anyway. IsWow64Process is looked up
// at run time, as Windows NT 4.0 has none: there the answer is no.
int RunningUnderWow64()
{
#ifdef _WIN64
    return 0;
#else
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
    const IsWow64ProcessFunction isWow64Process =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    // The pseudo handle of this process, as GetCurrentProcess returns it.
    const HANDLE thisProcess = reinterpret_cast<HANDLE>(-1);
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(thisProcess, &wow64) && wow64;
#endif
}

}  // namespace

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
