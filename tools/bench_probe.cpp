// Times a program that opens the settings dialog template, run after run
// under Wine, each started with "1" (as by a calling installer: no question
// about an installed driver), and prints one line per run:
// "<milliseconds> <peak working set KiB at the dialog>".
//   bench_probe ready EXE RUNS     start -> the dialog accepts input (then Cancel)
//   bench_probe install EXE RUNS   start -> Setup pressed once ready -> exit
#include "harness.h"

#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "resource.h"

using namespace harness;

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int main(int argc, char** argv)
{
    const bool install = argc == 4 && strcmp(argv[1], "install") == 0;
    if (argc != 4 || (!install && strcmp(argv[1], "ready") != 0)) {
        fprintf(stderr, "usage: bench_probe ready|install EXE RUNS\n");
        return 2;
    }
    for (int run = 0; run < atoi(argv[3]); ++run) {
        const double start = NowMs();
        Process setup;
        HANDLE process = nullptr;
        HWND dialog = nullptr;
        if (setup.Start(WindowsPath(argv[2]), "1")) {
            process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, setup.Id());
        }
        // The dialog accepts input once it shows and its thread waits for input.
        while (process != nullptr && NowMs() - start < WaitMs &&
               ((dialog = FindDialog(setup.Id(), IDB_SET_SETUP)) == nullptr || WaitForInputIdle(process, 0) != 0)) {
            Sleep(1);
        }
        if (dialog == nullptr) {
            fprintf(stderr, "no settings dialog from %s\n", argv[2]);
            return 1;
        }
        const double ready = NowMs();
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(process, &memory, sizeof memory);
        CloseHandle(process);
        Click(dialog, install ? IDB_SET_SETUP : IDB_CANCEL);
        const DWORD exitCode = setup.ExitCode();
        // setupb.exe ends with 0 after Setup and 2 after Cancel; the yardstick with 0 after either.
        if (exitCode != 0 && (install || exitCode != 2)) {
            fprintf(stderr, "run %d ended with %lu\n", run, exitCode);
        }
        const unsigned long peakKiB = static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024);
        printf("%.1f %lu\n", (install ? NowMs() : ready) - start, peakKiB);
    }
    return 0;
}
