// status: each part of an installation as the system has it, one line each,
// in words a script can read ("Name=value").
#include <string.h>

#include "admin/commands.h"
#include "admin/console_output.h"
#include "admin/pending_deletion.h"
#include "admin/service_state.h"
#include "admin/stored_number.h"
#include "config/driver_parameters.h"
#include "config/install_file.h"
#include "config/registration.h"
#include "text/bounded_text.h"

namespace {

constexpr int ValueNameCapacity = 256;
constexpr int ValueDataCapacity = 1024;

// What status found; each 1 when present as an installation has it.
struct Found {
    int setupProgram;
    int driver;
    int pendingAtRestart;
    int serviceKey;
    int parametersKey;
    int service;
    int serviceMarked;
};

// "setupb.exe: <path>, <size> bytes" (and when it is to be deleted at the
// next restart), or "not present"; 1 when present.
int ShowProductFile(const char* name, const char* path, int* pending)
{
    OutputLine line(name);
    line.Add(": ").Add(path);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        line.Add(", not present").ToOutput();
        return 0;
    }
    FindClose(search);
    line.Add(", ").AddNumber(found.nFileSizeLow).Add(" bytes");
    if (DeletionPendingAtRestart(path)) {
        line.Add(", to be deleted at the next restart");
        *pending = 1;
    }
    line.ToOutput();
    return 1;
}

// "Name=value": a 4-byte number in decimal, a text as it is, another value
// by its type and length.
void ShowValue(const char* name, DWORD type, const BYTE* data, DWORD length)
{
    OutputLine line(name);
    line.Add("=");
    if (type == REG_DWORD && length == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, data, sizeof number);
        line.AddNumber(number);
    } else if ((type == REG_SZ || type == REG_EXPAND_SZ) && length > 0 && data[length - 1] == '\0') {
        line.Add(reinterpret_cast<const char*>(data));
    } else {
        line.Add("(type ").AddNumber(type).Add(", ").AddNumber(length).Add(" bytes)");
    }
    line.ToOutput();
}

// Every value of the service key, as stored; 1 when the key is there.
int ShowServiceKey()
{
    OutputLine heading("Service key HKEY_LOCAL_MACHINE\\");
    heading.Add(driverServiceKeyPath);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, driverServiceKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        heading.Add(": not present").ToOutput();
        return 0;
    }
    heading.Add(":").ToOutput();
    char name[ValueNameCapacity];
    BYTE data[ValueDataCapacity];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = ValueNameCapacity;
        DWORD type = 0;
        DWORD length = ValueDataCapacity;
        const LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &length);
        if (status == ERROR_MORE_DATA) {
            continue;  // a value longer than any the setup writes: not shown
        }
        if (status != ERROR_SUCCESS) {
            break;  // ERROR_NO_MORE_ITEMS at the end
        }
        ShowValue(name, type, data, length);
    }
    RegCloseKey(key);
    return 1;
}

// The six values of Parameters, one "Name=value" line each; the port in
// hexadecimal, as the settings dialog shows it. 1 when the key is there.
int ShowParameters()
{
    char path[PathCapacity];
    path[0] = '\0';
    AppendTextTo(path, PathCapacity, driverServiceKeyPath);
    AppendTextTo(path, PathCapacity, "\\");
    AppendTextTo(path, PathCapacity, parametersKeyName);
    const int present = KeyPresent(path);
    OutputLine(parametersKeyName).Add(present ? ":" : ": not present").ToOutput();
    for (int row = 0; present && row < ParameterValueCount; ++row) {
        const char* name = ParameterValueName(row);
        DWORD value = 0;
        const StoredNumber stored = ReadStoredNumber(path, name, &value);
        OutputLine line(name);
        line.Add("=");
        if (stored == NumberNotStored) {
            line.Add("not stored");
        } else if (stored != NumberRead) {
            line.Add("not a 4-byte number");
        } else if (strcmp(name, "IOPortAddress") == 0) {
            line.AddHex(value);
        } else {
            line.AddNumber(value);
        }
        line.ToOutput();
    }
    return present;
}

// "vlnpx11: Start=4", or what keeps it from being read.
void ShowSibling(const char* keyPath)
{
    const char* lastBackslash = strrchr(keyPath, '\\');
    OutputLine line(lastBackslash != nullptr ? lastBackslash + 1 : keyPath);
    DWORD start = 0;
    const StoredNumber stored = ReadStoredNumber(keyPath, "Start", &start);
    if (stored == NoSuchKey) {
        line.Add(": not installed");
    } else if (stored == NumberNotStored) {
        line.Add(": Start not stored");
    } else if (stored == NotANumber) {
        line.Add(": Start not a 4-byte number");
    } else {
        line.Add(": Start=").AddNumber(start);
    }
    line.ToOutput();
}

void AddMissing(OutputLine* line, int present, const char* what, int* first)
{
    if (!present) {
        line->Add(*first ? " " : ", ").Add(what);
        *first = 0;
    }
}

}  // namespace

int StatusCommand()
{
    Found found = {};
    const InstallFile setupProgram(setupProgramFileName, nullptr);
    const InstallFile driver(driverFileName, driverSubdirectory);
    found.setupProgram = ShowProductFile(setupProgramFileName, setupProgram.TargetPath(), &found.pendingAtRestart);
    found.driver = ShowProductFile(driverFileName, driver.TargetPath(), &found.pendingAtRestart);
    found.serviceKey = ShowServiceKey();
    found.parametersKey = ShowParameters();

    const ServiceState state = QueryDriverService();
    OutputLine service("Service ");
    service.Add(driverServiceName).Add(": ");
    found.service = state.known;
    found.serviceMarked = state.marked;
    if (!state.known) {
        service.Add(state.status == ERROR_SERVICE_DOES_NOT_EXIST ? "not installed" : "cannot be read");
    } else {
        service.Add(StartTypeName(state.startType)).Add(", ").Add(StateName(state.currentState));
        if (state.marked) {
            service.Add(", marked for deletion");
        }
    }
    service.ToOutput();
    for (int sibling = 0; sibling < SiblingServiceCount; ++sibling) {
        ShowSibling(siblingServiceKeys[sibling]);
    }

    if (!found.setupProgram && !found.driver && !found.serviceKey && !found.service) {
        OutputLine("Installed: no").ToOutput();
        return ExitNotInstalled;
    }
    const int whole = found.setupProgram && found.driver && !found.pendingAtRestart && found.serviceKey &&
                      found.parametersKey && found.service && !found.serviceMarked;
    if (whole) {
        OutputLine("Installed: yes").ToOutput();
        return ExitDone;
    }
    OutputLine line("Installed: partly; missing or pending:");
    int first = 1;
    AddMissing(&line, found.setupProgram, setupProgramFileName, &first);
    AddMissing(&line, found.driver, driverFileName, &first);
    AddMissing(&line, !found.pendingAtRestart, "files to be deleted at the next restart", &first);
    AddMissing(&line, found.serviceKey, "the service key", &first);
    AddMissing(&line, found.parametersKey, "Parameters", &first);
    AddMissing(&line, found.service, "the service", &first);
    AddMissing(&line, !found.serviceMarked, "the service marked for deletion", &first);
    line.ToOutput();
    return ExitFailed;
}
