// Usage: file_lock_helper PATH READY_EVENT RELEASE_EVENT
// Creates PATH holding "held", keeps it open with no sharing, signals
// READY_EVENT and lets the file go when RELEASE_EVENT is signalled (or after
// a minute, so that a failed test leaves nothing behind).
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        return 2;
    }
    const HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    WriteFile(file, "held", 4, &written, nullptr);
    const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    const HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (ready == nullptr || release == nullptr) {
        CloseHandle(file);
        return 4;
    }
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return 0;
}
