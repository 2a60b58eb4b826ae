// What this run may do, decided from the argument and the product files found.
#ifndef SETUPB_FLOW_PREFLIGHT_H
#define SETUPB_FLOW_PREFLIGHT_H

#include <windows.h>

#include "dialogs/modal_dialog.h"

// Taken from the first character of the command tail.
typedef unsigned char RunMode;
enum : RunMode {
    ModeInteractive = 0,  // by hand: may ask, and shows a closing message
    ModeInstall = 1,      // "1": install from the diskette for a calling installer
    ModeReconfigure = 2,  // "2": reconfigure in the system directory for a calling installer
};

// This run's mode, set by PreflightDecision. Defined with the other
// program-wide state in flow/program_globals.cpp.
extern RunMode runMode;

// Only the first character counts: "1" install, "2" reconfigure, else interactive.
RunMode RunModeFromTail(const char* commandTail);

// The decision table for a run that found its setup program. Returns the
// outcome, or sets *askDriverPresent to 1 when the driver-present dialog
// decides instead.
Outcome PreflightTableOutcome(RunMode mode, int copy, int driverSource, int driverTarget, int* askDriverPresent);

// Sets runMode and copyFiles from the command tail and the two install file
// records; may run the driver-present dialog. 0 lets the settings dialog run.
// The i686 program refuses to run on 64-bit Windows (under WOW64).
Outcome PreflightDecision(HINSTANCE instance, const char* commandTail);

#endif
