// The tool's commands and the exit codes they end with.
#ifndef VLNCDCTL_ADMIN_COMMANDS_H
#define VLNCDCTL_ADMIN_COMMANDS_H

#include <windows.h>

// Besides these, a registration that fails ends with its raw status, as
// setupb.exe's does.
constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitBadArguments = ERROR_INVALID_PARAMETER;          // 87
constexpr int ExitNotInstalled = ERROR_SERVICE_DOES_NOT_EXIST;     // 1060
constexpr int ExitRestartRequired = ERROR_SUCCESS_REBOOT_REQUIRED;  // 3010

// install [SETTING=VALUE ...] [/from:DIR]: the product files copied from DIR
// (else the tool's own folder), then the driver registered.
int InstallCommand(int count, char** words);

// set SETTING=VALUE ...: the installed driver registered again.
int SetCommand(int count, char** words);

// status: what is installed, one line each; 0 installed, 1060 nothing, 1 partly.
int StatusCommand();

// remove: the driver's service, key and files taken off; 0, or 3010 when
// something waits for the next restart.
int RemoveCommand();

#endif
