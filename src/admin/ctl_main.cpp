// vlncdctl: installs, changes, shows and removes the VELNARI CD-ROM adapter
// driver from the command line, with no window and no question: for scripts
// and deployment tools, which read the exit code.
#include <windows.h>

#include "admin/arguments.h"
#include "admin/commands.h"
#include "admin/console_output.h"
#include "config/wow64.h"

namespace {

const char* const usageLines[] = {
    "Usage: vlncdctl COMMAND [ARGUMENTS]",
    "  install [SETTING=VALUE ...] [/from:DIR]  copy setupb.exe and vlncdrvr.sys from DIR (default: the",
    "                                           folder of vlncdctl.exe) and register the driver",
    "  set SETTING=VALUE ...                    change the settings of the installed driver",
    "  status                                   show what is installed",
    "  remove                                   take the driver off",
    "Settings (a setting not given keeps its stored value, else its default):",
    "  dma=5|6|7|none  irq=3|5|9|10|11  port=0 to 3FF (hexadecimal)  buffer=2 to 64",
    "  audio=stereo|mono  door=unlock|lock",
    "Exit codes: 0 done (status: installed), 1 failed (status: partly installed), 87 a bad argument,",
    "  1060 status: not installed, 3010 remove: done once Windows restarts; else the failing step's status.",
};

void ShowUsage()
{
    for (const char* line : usageLines) {
        OutputLine(line).ToOutput();
    }
}

int IsHelpRequest(const char* word)
{
    return SameWord(word, "/?") || SameWord(word, "-h") || SameWord(word, "--help");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        ShowUsage();
        return ExitBadArguments;
    }
    const char* command = argv[1];
    if (IsHelpRequest(command)) {
        ShowUsage();
        return ExitDone;
    }
    const int isInstall = SameWord(command, "install");
    const int isSet = SameWord(command, "set");
    const int isStatus = SameWord(command, "status");
    const int isRemove = SameWord(command, "remove");
    if (!isInstall && !isSet && !isStatus && !isRemove) {
        ReportRefusal(command, "not a command; accepted: install, set, status, remove, /? (run vlncdctl /?)");
        return ExitBadArguments;
    }
    if ((isStatus || isRemove) && argc > 2) {
        ReportRefusal(argv[2], isStatus ? "status takes no argument" : "remove takes no argument");
        return ExitBadArguments;
    }
    // The 32-bit build on 64-bit Windows sees SysWOW64 as the system
    // directory: it would install where no driver is loaded from.
    if (RunningUnderWow64()) {
        ReportRefusal(command, "this is the 32-bit (i686) vlncdctl.exe on 64-bit Windows, where it sees another "
                               "system directory; run the x86_64 build of vlncdctl.exe");
        return ExitFailed;
    }
    if (isInstall) {
        return InstallCommand(argc - 2, argv + 2);
    }
    if (isSet) {
        return SetCommand(argc - 2, argv + 2);
    }
    if (isStatus) {
        return StatusCommand();
    }
    return RemoveCommand();
}
