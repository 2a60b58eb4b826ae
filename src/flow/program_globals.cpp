// The program-wide state, each piece declared in the header of the layer
// that uses it. Defined here, in one translation unit, so that static
// initialisation builds the records in this order: the two product files,
// then the language (which reads the system locale only after them).
#include "config/install_file.h"
#include "dialogs/copy_progress_dialog.h"
#include "flow/preflight.h"
#include "text/ui_language.h"

InstallFile setupProgramRecord(setupProgramFileName, nullptr);
InstallFile driverRecord(driverFileName, driverSubdirectory);
UiLanguage catalogueLanguage;

RunMode runMode = ModeInteractive;
int copyFiles = 0;
