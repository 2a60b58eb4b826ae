// How a dialog, and the whole run, ends; and the run mode chosen by the caller.
#ifndef SETUPB_FLOW_OUTCOME_H
#define SETUPB_FLOW_OUTCOME_H

#include <stdint.h>

// A dialog's result and the process exit code. After a confirmed Setup it may
// also be a raw Win32 registry status from the registration.
typedef int32_t Outcome;
enum : Outcome {
    OutcomeDone = 0,
    OutcomeFailed = 1,
    OutcomeCancelled = 2,
};

// Taken from the first character of the command tail.
typedef unsigned char RunMode;
enum : RunMode {
    ModeInteractive = 0,  // by hand: may ask, and shows a closing message
    ModeInstall = 1,      // "1": install from the diskette for a calling installer
    ModeReconfigure = 2,  // "2": reconfigure in the system directory for a calling installer
};

#endif
