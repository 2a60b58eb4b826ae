// remove: an installation taken off, step by step, stopping at the first step
// that fails; what can only go at the next restart is left to it.
#include <string.h>

#include "admin/commands.h"
#include "admin/console_output.h"
#include "admin/pending_deletion.h"
#include "admin/service_state.h"
#include "admin/stored_number.h"
#include "config/driver_parameters.h"
#include "config/install_file.h"
#include "config/registration.h"

namespace {

constexpr int KeyNameCapacity = 256;  // the longest registry key name, terminator included
constexpr int DeepestKeyTree = 8;     // a service key holds Parameters, Enum or Security, no deeper

const char startStep[] = "setting Start=4 (disabled) in the service key";

// The service's Start set to 4, so that a driver that can only be marked for
// deletion now is not loaded once more at the next start. 0 also without a key.
LONG DisableDriverStart()
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, driverServiceKeyPath, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (status == ERROR_SUCCESS) {
        const DWORD disabled = ServiceDisabled;
        status = RegSetValueExA(key, "Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&disabled), sizeof disabled);
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS) {
        OutputLine("Set Start=4 (disabled) in the service key: the driver is not loaded at the next start")
            .ToOutput();
    }
    return status;
}

// The service deleted through the service manager; one already marked for
// deletion, or none, is no failure. *found: the service manager had it.
LONG DeleteDriverService(int* found)
{
    *found = 0;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        return static_cast<LONG>(GetLastError());
    }
    LONG status = ERROR_SUCCESS;
    SC_HANDLE service = OpenServiceA(manager, driverServiceName, DELETE);
    if (service == nullptr) {
        status = static_cast<LONG>(GetLastError());
        *found = status == ERROR_SERVICE_MARKED_FOR_DELETE;
    } else {
        *found = 1;
        if (!DeleteService(service)) {
            status = static_cast<LONG>(GetLastError());
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    OutputLine line("Service ");
    line.Add(driverServiceName);
    if (status == ERROR_SUCCESS) {
        line.Add(": deleted").ToOutput();
    } else if (status == ERROR_SERVICE_MARKED_FOR_DELETE) {
        line.Add(": already marked for deletion: it goes at the next restart").ToOutput();
        status = ERROR_SUCCESS;
    } else if (status == ERROR_SERVICE_DOES_NOT_EXIST) {
        line.Add(": not installed").ToOutput();
        status = ERROR_SUCCESS;
    }
    return status;
}

// A key and every key below it, as Windows NT 4.0 can delete them: its
// RegDeleteKey deletes only a key without subkeys. 0 also when it is gone.
LONG DeleteKeyTree(HKEY parent, const char* name, int depth)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | DELETE, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    char subkey[KeyNameCapacity];
    while (status == ERROR_SUCCESS) {
        DWORD length = KeyNameCapacity;
        status = RegEnumKeyExA(key, 0, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            status = depth < DeepestKeyTree ? DeleteKeyTree(key, subkey, depth + 1) : ERROR_ACCESS_DENIED;
        }
    }
    RegCloseKey(key);
    if (status != ERROR_NO_MORE_ITEMS) {
        return status;
    }
    status = RegDeleteKeyA(parent, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// The service key with Parameters, where the service manager left it.
LONG DeleteServiceKey()
{
    if (!KeyPresent(driverServiceKeyPath)) {
        return ERROR_SUCCESS;  // removed with the service, or never there
    }
    const LONG status = DeleteKeyTree(HKEY_LOCAL_MACHINE, driverServiceKeyPath, 0);
    if (status == ERROR_SUCCESS) {
        OutputLine("Deleted the service key HKEY_LOCAL_MACHINE\\").Add(driverServiceKeyPath).ToOutput();
    }
    return status;
}

// A product file deleted, or where it is in use, left to the next restart
// (*atRestart set). 0 also when it is not there.
LONG DeleteProductFile(const char* path, int* atRestart)
{
    if (DeleteFileA(path)) {
        OutputLine("Deleted ").Add(path).ToOutput();
        return ERROR_SUCCESS;
    }
    LONG status = static_cast<LONG>(GetLastError());
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (status != ERROR_SHARING_VIOLATION && status != ERROR_ACCESS_DENIED) {
        return status;
    }
    status = DeleteAtRestart(path);
    if (status == ERROR_SUCCESS) {
        OutputLine(path).Add(": in use; to be deleted at the next restart").ToOutput();
        *atRestart = 1;
    }
    return status;
}

// The siblings that the registration disabled stay so: their earlier start
// types are not known.
void ShowDisabledSiblings()
{
    for (int sibling = 0; sibling < SiblingServiceCount; ++sibling) {
        DWORD start = 0;
        if (ReadStoredNumber(siblingServiceKeys[sibling], "Start", &start) == NumberRead && start == ServiceDisabled) {
            const char* name = strrchr(siblingServiceKeys[sibling], '\\') + 1;
            OutputLine("Left disabled: ").Add(name).Add(" (Start=4); start it again with sc config ").Add(name)
                .Add(" start= <its start type>").ToOutput();
        }
    }
}

}  // namespace

int RemoveCommand()
{
    const InstallFile setupProgram(setupProgramFileName, nullptr);
    const InstallFile driver(driverFileName, driverSubdirectory);
    if (!setupProgram.TargetExists() && !driver.TargetExists() && !KeyPresent(driverServiceKeyPath) &&
        !QueryDriverService().known) {
        OutputLine("Nothing to remove: no product file, no service key, no service ").Add(driverServiceName)
            .ToOutput();
        return ExitDone;
    }

    LONG status = DisableDriverStart();
    if (status != ERROR_SUCCESS) {
        ReportFailure(startStep, static_cast<DWORD>(status));
        return status;
    }
    int serviceFound = 0;
    status = DeleteDriverService(&serviceFound);
    if (status != ERROR_SUCCESS) {
        ReportFailure("deleting the service through the service manager", static_cast<DWORD>(status));
        return status;
    }
    // The service manager removes a deleted service with its key as soon as
    // no program holds it open: a key still there means the service waits for
    // that handle to close, at the latest for the next restart.
    int atRestart = 0;
    if (serviceFound && KeyPresent(driverServiceKeyPath)) {
        atRestart = 1;
        OutputLine("Service ").Add(driverServiceName).Add(": marked for deletion; it goes at the next restart")
            .ToOutput();
    }
    status = DeleteServiceKey();
    if (status != ERROR_SUCCESS) {
        ReportFailure("deleting the service key with Parameters", static_cast<DWORD>(status));
        return status;
    }
    const char* const paths[] = {driver.TargetPath(), setupProgram.TargetPath()};
    for (const char* path : paths) {
        status = DeleteProductFile(path, &atRestart);
        if (status != ERROR_SUCCESS) {
            ReportFailure(path, static_cast<DWORD>(status));
            return status;
        }
    }
    ShowDisabledSiblings();
    if (atRestart) {
        OutputLine("Removed; restart Windows to finish: what is in use goes then").ToOutput();
        return ExitRestartRequired;
    }
    OutputLine("Removed").ToOutput();
    return ExitDone;
}
