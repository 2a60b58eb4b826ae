#include "config/wow64.h"

// The 32-bit program on 64-bit Windows runs under WOW64: its copies into the
// system directory land in SysWOW64, which no driver is loaded from, and a
// 64-bit Windows loads no 32-bit driver anyway. IsWow64Process is looked up
// at run time, as Windows NT 4.0 has none: there the answer is no.
int RunningUnderWow64()
{
#ifdef _WIN64
    return 0;
#else
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
    const IsWow64ProcessFunction isWow64Process =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    // The pseudo handle of this process, as GetCurrentProcess returns it.
    const HANDLE thisProcess = reinterpret_cast<HANDLE>(-1);
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(thisProcess, &wow64) && wow64;
#endif
}

