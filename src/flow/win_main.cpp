// Entry point: pre-flight, the settings dialog, the closing message, the exit code.
#include <windows.h>

#include "dialogs/modal_dialog.h"
#include "dialogs/settings_dialog.h"
#include "flow/command_line.h"
#include "flow/preflight.h"
#include "resource.h"
#include "text/catalogue.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*runtimeTail*/, int /*showCommand*/)
{
    // The runtime's tail is not used: its rule loses the argument after a
    // quoted name without a blank, or after an accented unquoted name.
    Outcome outcome = PreflightDecision(instance, CommandTailOf(GetCommandLineA()));
    if (outcome == OutcomeDone) {
        outcome = RunModalDialog(instance, DLG_SETTINGS_NAME, nullptr, SetupSettingsDialog);
    }
    // A calling installer learns the end of the run from the exit code alone.
    if (runMode != ModeInteractive) {
        return outcome;
    }
    // By hand, every end but a cancel is told: a registry status (a user
    // without the right to write the key, a service pending deletion) is a
    // failed installation too, which the exit code alone would hide.
    if (outcome == OutcomeDone) {
        CatalogueMessageBox(instance, nullptr, CatalogueId(TXT_PRODUCT_TITLE), CatalogueId(TXT_RESTART_NOTICE),
                            MB_ICONINFORMATION);
    } else if (outcome != OutcomeCancelled) {
        CatalogueMessageBox(instance, nullptr, CatalogueId(TXT_PRODUCT_TITLE), CatalogueId(TXT_INSTALL_FAILED),
                            MB_ICONEXCLAMATION);
    }
    return outcome;
}
