// The program-wide state: built before the entry point, alive until exit.
#ifndef SETUPB_FLOW_PROGRAM_GLOBALS_H
#define SETUPB_FLOW_PROGRAM_GLOBALS_H

#include "flow/install_file.h"
#include "flow/outcome.h"
#include "text/ui_language.h"

extern InstallFile setupProgramRecord;  // setupb.exe into the system directory
extern InstallFile driverRecord;        // vlncdrvr.sys into its drivers subdirectory
extern UiLanguage uiLanguage;           // the catalogue block, fixed at start

extern RunMode runMode;
extern int copyFiles;  // 1 when this run copies the product files

#endif
