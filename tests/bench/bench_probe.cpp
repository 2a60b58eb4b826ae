// Measures start-up, an unattended install and memory of a dialog program,
// run after run, and prints one line of figures per measurement:
//   bench_probe ready   EXE SETUP_BUTTON_ID RUNS   start -> dialog accepting input
//   bench_probe install EXE SETUP_BUTTON_ID RUNS   start -> exit, button pressed when ready
// The line: "<kind> median_ms=<m> min_ms=<a> max_ms=<b> peak_ws_kb=<k> runs=<n>".
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD processId;
    int buttonId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner == search->processId && IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0 &&
        GetDlgItem(window, search->buttonId) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog accepts input once it is visible and its thread waits idle.
HWND WaitUntilReady(const PROCESS_INFORMATION& process, int buttonId)
{
    const double deadline = NowMs() + 30000;
    while (NowMs() < deadline) {
        Search search = {process.dwProcessId, buttonId, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && WaitForInputIdle(process.hProcess, 0) == 0) {
            return search.found;
        }
        Sleep(1);
    }
    return nullptr;
}

bool Start(const std::string& exe, const char* tail, PROCESS_INFORMATION* process)
{
    std::string line = "\"" + exe + "\" " + tail;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          process) != FALSE;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: bench_probe ready|install EXE BUTTON_ID RUNS\n");
        return 2;
    }
    const std::string kind = argv[1];
    const std::string exe = argv[2];
    const int buttonId = atoi(argv[3]);
    const int runs = atoi(argv[4]);
    const bool install = kind == "install";

    std::vector<double> times;
    SIZE_T peak = 0;
    for (int run = 0; run < runs; ++run) {
        PROCESS_INFORMATION process = {};
        const double start = NowMs();
        if (!Start(exe, install ? "1" : "", &process)) {
            fprintf(stderr, "cannot start %s: %lu\n", exe.c_str(), GetLastError());
            return 1;
        }
        HWND dialog = WaitUntilReady(process, buttonId);
        if (dialog == nullptr) {
            fprintf(stderr, "no dialog from %s\n", exe.c_str());
            TerminateProcess(process.hProcess, 1);
            return 1;
        }
        const double ready = NowMs();
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
            peak = std::max(peak, memory.PeakWorkingSetSize);
        }
        // Press the button that ends the run: Setup for an install, else the
        // dialog's own way out (Cancel for setupb.exe, OK for the yardstick).
        const int endButton = install ? buttonId : (buttonId == IDOK ? IDOK : 117);
        PostMessageA(GetDlgItem(dialog, endButton), BM_CLICK, 0, 0);
        WaitForSingleObject(process.hProcess, 60000);
        const double end = NowMs();
        DWORD exitCode = 0;
        if (GetExitCodeProcess(process.hProcess, &exitCode) && install && exitCode != 0) {
            fprintf(stderr, "run %d of %s ended with %lu\n", run, exe.c_str(), exitCode);
        }
        times.push_back(install ? end - start : ready - start);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    printf("%s median_ms=%.1f min_ms=%.1f max_ms=%.1f peak_ws_kb=%lu runs=%d\n", kind.c_str(), Median(times),
           *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()),
           static_cast<unsigned long>(peak / 1024), runs);
    return 0;
}
