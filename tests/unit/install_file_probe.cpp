// Builds the two install file records, as the program does at start, and
// prints what they found as "key=value" lines. The tests copy this probe into
// various folders and start it from there.
//
// IFPROBE_SYSTEM_DIR, when set, stands in for the system directory that the
// platform reports: an empty value is a failure, a value that does not fit
// the buffer gives the size needed, as GetSystemDirectoryA does.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "flow/install_file.h"

namespace {

using SystemDirFunction = UINT(WINAPI*)(LPSTR, UINT);

UINT WINAPI ProbeGetSystemDirectoryA(LPSTR buffer, UINT size)
{
    char value[1024];
    SetLastError(0);
    const DWORD length = GetEnvironmentVariableA("IFPROBE_SYSTEM_DIR", value, sizeof value);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        const FARPROC real = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemDirectoryA");
        return reinterpret_cast<SystemDirFunction>(reinterpret_cast<void*>(real))(buffer, size);
    }
    if (length >= size) {
        return length + 1;
    }
    memcpy(buffer, value, length + 1);
    return length;
}

void Print(const char* prefix, const InstallFile& record)
{
    char name[PathCapacity] = "";
    record.CopyNameTo(name, PathCapacity);
    printf("%s.name=%s\n%s.runningFromSystemDir=%d\n%s.sourceAvailable=%d\n%s.targetExists=%d\n"
           "%s.sourcePath=%s\n%s.targetPath=%s\n",
           prefix, name, prefix, record.RunningFromSystemDir(), prefix, record.SourceAvailable(), prefix,
           record.TargetExists(), prefix, record.SourcePath(), prefix, record.TargetPath());
}

}  // namespace

// The records reach GetSystemDirectoryA through this import slot, which the
// linker takes from here instead of from the kernel32 import library.
extern "C" SystemDirFunction probeSystemDirSlot __asm__(
#ifdef _WIN64
    "__imp_GetSystemDirectoryA"
#else
    "__imp__GetSystemDirectoryA@8"
#endif
);
SystemDirFunction probeSystemDirSlot = ProbeGetSystemDirectoryA;

int main()
{
    Print("setup", InstallFile("setupb.exe", nullptr));
    Print("driver", InstallFile("vlncdrvr.sys", "drivers"));
    return 0;
}
