#include "flow/program_globals.h"

// One translation unit, so that static initialisation builds the three records
// in this order: the two install files, then the language.
InstallFile setupProgramRecord("setupb.exe", nullptr);
InstallFile driverRecord("vlncdrvr.sys", "drivers");
UiLanguage uiLanguage;

RunMode runMode = ModeInteractive;
int copyFiles = 0;
