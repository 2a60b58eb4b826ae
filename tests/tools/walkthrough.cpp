// Walks setupb.exe from drive A: through its dialogs as a person would, saves
// a picture of each dialog, and reports what an installation left behind.
// Runs under Wine (scripts/demo, scripts/screenshots).
//
//   walkthrough install SHOTS   settings, Setup, copy progress, restart notice, OK
//   walkthrough present SHOTS   driver-present dialog, Cancel
//   walkthrough failed SHOTS    install-failed message, OK
//   walkthrough run             starts setupb.exe and waits for a person to finish it
//   walkthrough report          service key, Parameters, siblings, service configuration
//   walkthrough reset           removes what setupb.exe installs
//
// SHOTS is a Linux folder: pictures are taken with ImageMagick's import on the
// X display of this process (DISPLAY), which Wine lets a Windows program start.
// Every scenario prints "setupb.exe exit code: N" with the full 32-bit code and
// exits with 0 when each expected window appeared, 1 otherwise.
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "harness.h"
#include "wine_path.h"
#include "resource.h"

namespace {

using namespace e2e;

const char* const kSetupOnDiskette = "A:\\setupb.exe";
const char* const kDiskette = "A:\\";

// Where pictures go, and the X display they are taken from.
struct ShotTarget {
    std::string folder;
    std::string display;
};

ShotTarget shots;

bool Fail(const char* what)
{
    fprintf(stderr, "walkthrough: %s\n", what);
    return false;
}

// The copy progress dialog: the process's dialog with Cancel and neither the
// settings dialog's Setup button nor the driver-present dialog's New button.
HWND FindProgressDialog(DWORD processId)
{
    return FindProcessWindow(processId, [](HWND window) {
        return IsDialog(window) && IsCopyDialog(window) && GetDlgItem(window, IDB_INIT_NEW) == nullptr;
    });
}

// The screen's pixels inside rect, as 32-bit values, row by row.
std::vector<DWORD> CaptureScreen(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            const DWORD* first = static_cast<const DWORD*>(bits);
            pixels.assign(first, first + static_cast<size_t>(width) * height);
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool HoldsMoreThanOneColour(const std::vector<DWORD>& pixels)
{
    for (DWORD pixel : pixels) {
        if (pixel != pixels.front()) {
            return true;
        }
    }
    return false;
}

// Waits until the process has handled its input and the window's picture on
// the screen is painted and no longer changes between two looks.
bool WaitForStillPicture(DWORD processId, HWND window)
{
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process != nullptr) {
        WaitForInputIdle(process, DefaultWaitMs);
        CloseHandle(process);
    }
    std::vector<DWORD> previous;
    return WaitUntil([&] {
        RECT rect;
        if (!GetWindowRect(window, &rect)) {
            return false;
        }
        std::vector<DWORD> current = CaptureScreen(rect);
        const bool still = !current.empty() && current == previous && HoldsMoreThanOneColour(current);
        previous.swap(current);
        return still;
    });
}

// The threads of a process, to suspend and resume them, so that a dialog that
// lives only a moment stays on the screen while it is looked at. They are
// listed once: listing them takes far longer than the dialog's steps.
class ProcessHold {
public:
    explicit ProcessHold(DWORD processId)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) {
            return;
        }
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != processId) {
                continue;
            }
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, entry.th32ThreadID);
            if (thread != nullptr) {
                threads.push_back(thread);
            }
        }
        CloseHandle(snapshot);
    }
    ProcessHold(const ProcessHold&) = delete;
    ProcessHold& operator=(const ProcessHold&) = delete;
    ~ProcessHold()
    {
        for (HANDLE thread : threads) {
            CloseHandle(thread);
        }
    }

    bool Empty() const { return threads.empty(); }

    // A thread stops some time after SuspendThread returns; reading its
    // context waits until it has.
    void Hold()
    {
        for (HANDLE thread : threads) {
            SuspendThread(thread);
            CONTEXT context = {};
            context.ContextFlags = CONTEXT_CONTROL;
            GetThreadContext(thread, &context);
        }
    }

    void Release()
    {
        for (HANDLE thread : threads) {
            ResumeThread(thread);
        }
    }

private:
    std::vector<HANDLE> threads;
};


// Saves the window's rectangle of the screen as SHOTS/name.png. Wine starts a
// Linux program like a Windows one but hands back no process to wait for, so
// the picture is written under another name and renamed when complete, and
// the finished file is what this waits for.
bool SaveShot(HWND window, const char* name)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    char crop[64];
    snprintf(crop, sizeof crop, "%ldx%ld+%ld+%ld", rect.right - rect.left, rect.bottom - rect.top, rect.left,
             rect.top);
    const std::string file = shots.folder + "/" + name + ".png";
    const std::string part = file + ".part";
    const std::string finished = WindowsPathOf(file);
    DeleteFileA(finished.c_str());
    const std::string command = "/bin/sh -c \"/usr/bin/import -window root -display " + shots.display + " -crop " +
                                crop + " +repage 'png:" + part + "' && mv '" + part + "' '" + file + "'\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    const bool started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child) != FALSE;
    if (child.hProcess != nullptr) {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    if (!started || !WaitUntil([&] { return FileExists(finished); })) {
        fprintf(stderr, "walkthrough: could not save %s with: %s\n", file.c_str(), command.c_str());
        return false;
    }
    printf("screenshot: %s\n", file.c_str());
    return true;
}

bool ShootWhenStill(DWORD processId, HWND window, const char* name)
{
    return WaitForStillPicture(processId, window) && SaveShot(window, name);
}

enum class Bar { Empty, Half, Full };

// How far the copy progress bar is filled: nothing, the first half (the
// setup program is copied, the driver not yet) or all of it.
Bar ReadBar(HWND dialog)
{
    RECT client = {};
    GetClientRect(dialog, &client);
    // The bar runs 30 pixels in from either side, from mid-height, 28 high.
    const int inset = 30;
    const int barWidth = client.right - 2 * inset;
    POINT firstQuarter = {inset + barWidth / 4, client.bottom / 2 + 14};
    POINT lastQuarter = {inset + 3 * barWidth / 4, client.bottom / 2 + 14};
    ClientToScreen(dialog, &firstQuarter);
    ClientToScreen(dialog, &lastQuarter);
    const COLORREF fill = GetSysColor(COLOR_ACTIVECAPTION);
    HDC screen = GetDC(nullptr);
    const bool first = GetPixel(screen, firstQuarter.x, firstQuarter.y) == fill;
    const bool last = GetPixel(screen, lastQuarter.x, lastQuarter.y) == fill;
    ReleaseDC(nullptr, screen);
    return !first ? Bar::Empty : (last ? Bar::Full : Bar::Half);
}

// True when the dialog's Cancel button shows its text. A new step repaints the
// whole dialog, the bar first and the button after it.
bool CancelButtonDrawn(HWND dialog)
{
    RECT rect = {};
    if (!GetWindowRect(GetDlgItem(dialog, IDB_CANCEL), &rect)) {
        return false;
    }
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    const DWORD pixelOfText = (GetRValue(text) << 16) | (GetGValue(text) << 8) | GetBValue(text);
    for (DWORD pixel : CaptureScreen(rect)) {
        if ((pixel & 0xFFFFFF) == pixelOfText) {
            return true;
        }
    }
    return false;
}

// Catches the copy progress dialog at 50 % and keeps it there for its picture.
// The bar moves one step per 100 ms timer tick: the dialog is read only while
// the process is held, and the process runs a moment between two readings, so
// what was read is still on the screen when the picture is taken.
bool ShootCopyProgress(DWORD processId)
{
    HWND progress = nullptr;
    if (!WaitUntil([&] { return (progress = FindProgressDialog(processId)) != nullptr; })) {
        return Fail("the copy progress dialog did not appear");
    }
    ProcessHold hold(processId);
    if (hold.Empty()) {
        return Fail("cannot suspend setupb.exe");
    }
    const ULONGLONG end = GetTickCount64() + DefaultWaitMs;
    for (;;) {
        hold.Hold();
        const Bar bar = IsWindow(progress) ? ReadBar(progress) : Bar::Full;
        if (bar == Bar::Half && CancelButtonDrawn(progress)) {
            const bool saved = SaveShot(progress, "2-copy-progress");
            hold.Release();
            return saved;
        }
        hold.Release();
        if (bar == Bar::Full || GetTickCount64() >= end) {
            return Fail("the copy progress dialog was not seen at 50 %");
        }
        Sleep(1);
    }
}

bool StartSetup(SetupProcess* setup)
{
    if (!setup->Start(kSetupOnDiskette, "", kDiskette)) {
        fprintf(stderr, "walkthrough: cannot start %s (error %lu)\n", kSetupOnDiskette, GetLastError());
        return false;
    }
    return true;
}

bool ReportExit(SetupProcess* setup, DWORD timeoutMs)
{
    DWORD exitCode = 0;
    if (!setup->WaitForExit(&exitCode, timeoutMs)) {
        return Fail("setupb.exe did not end");
    }
    printf("setupb.exe exit code: %lu\n", exitCode);
    return true;
}

bool Install()
{
    SetupProcess setup;
    if (!StartSetup(&setup)) {
        return false;
    }
    HWND settings = WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
    if (settings == nullptr) {
        return Fail("the settings dialog did not appear");
    }
    if (!ShootWhenStill(setup.Id(), settings, "1-settings")) {
        return Fail("no picture of the settings dialog");
    }
    ClickButton(settings, IDB_SET_SETUP);
    if (!ShootCopyProgress(setup.Id())) {
        return false;
    }
    HWND notice = WaitForMessageBox(setup.Id());
    if (notice == nullptr) {
        return Fail("the restart notice did not appear");
    }
    if (!ShootWhenStill(setup.Id(), notice, "3-restart-notice")) {
        return Fail("no picture of the restart notice");
    }
    PressKey(notice, VK_RETURN);
    return ReportExit(&setup, DefaultWaitMs);
}

bool DriverPresent()
{
    SetupProcess setup;
    if (!StartSetup(&setup)) {
        return false;
    }
    HWND question = WaitForDialogWithControl(setup.Id(), IDB_INIT_NEW);
    if (question == nullptr) {
        return Fail("the driver-present dialog did not appear");
    }
    if (!ShootWhenStill(setup.Id(), question, "4-driver-present")) {
        return Fail("no picture of the driver-present dialog");
    }
    ClickButton(question, IDB_CANCEL);
    return ReportExit(&setup, DefaultWaitMs);
}

bool InstallFailed()
{
    SetupProcess setup;
    if (!StartSetup(&setup)) {
        return false;
    }
    HWND message = WaitForMessageBox(setup.Id());
    if (message == nullptr) {
        return Fail("the install-failed message did not appear");
    }
    if (!ShootWhenStill(setup.Id(), message, "5-install-failed")) {
        return Fail("no picture of the install-failed message");
    }
    PressKey(message, VK_RETURN);
    return ReportExit(&setup, DefaultWaitMs);
}

bool RunForPerson()
{
    SetupProcess setup;
    if (!StartSetup(&setup)) {
        return false;
    }
    return ReportExit(&setup, INFINITE);
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_DWORD:
        return "REG_DWORD";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    default:
        return "other";
    }
}

// Prints every value of the key under HKEY_LOCAL_MACHINE; false when it is missing.
bool PrintKey(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        printf("HKLM\\%s: not present\n", keyPath);
        return false;
    }
    printf("HKLM\\%s\n", keyPath);
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        BYTE data[1024];
        DWORD dataLength = sizeof data - 2;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) {
            break;
        }
        data[dataLength] = 0;  // strings stored without their terminator still print
        data[dataLength + 1] = 0;
        if (type == REG_DWORD && dataLength == sizeof(DWORD)) {
            DWORD value = 0;
            memcpy(&value, data, sizeof value);
            printf("    %-18s %-14s 0x%lx (%lu)\n", name, TypeName(type), value, value);
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            printf("    %-18s %-14s %s\n", name, TypeName(type), reinterpret_cast<const char*>(data));
        } else {
            printf("    %-18s %-14s %lu bytes\n", name, TypeName(type), dataLength);
        }
    }
    RegCloseKey(key);
    return true;
}

const char* StartTypeName(DWORD start)
{
    static const char* const names[] = {"boot", "system", "automatic", "on demand", "disabled"};
    return start < sizeof names / sizeof names[0] ? names[start] : "unknown";
}

bool PrintServiceConfig()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        printf("service manager: cannot open (error %lu)\n", GetLastError());
        return false;
    }
    bool found = false;
    SC_HANDLE service = OpenServiceA(manager, "VlnCD", SERVICE_QUERY_CONFIG);
    if (service == nullptr) {
        printf("service VlnCD: not registered (error %lu)\n", GetLastError());
    } else {
        // QueryServiceConfigA needs room for the record and its strings.
        union {
            QUERY_SERVICE_CONFIGA config;
            BYTE bytes[8192];
        } buffer;
        DWORD needed = 0;
        if (QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed)) {
            const QUERY_SERVICE_CONFIGA& config = buffer.config;
            printf("service VlnCD (QueryServiceConfigA)\n");
            printf("    type           0x%lx%s\n", config.dwServiceType,
                   config.dwServiceType == SERVICE_KERNEL_DRIVER ? " (kernel driver)" : "");
            printf("    start type     %lu (%s)\n", config.dwStartType, StartTypeName(config.dwStartType));
            printf("    error control  %lu\n", config.dwErrorControl);
            printf("    binary path    %s\n", config.lpBinaryPathName ? config.lpBinaryPathName : "");
            printf("    group          %s\n", config.lpLoadOrderGroup ? config.lpLoadOrderGroup : "");
            printf("    display name   %s\n", config.lpDisplayName ? config.lpDisplayName : "");
            found = true;
        } else {
            printf("service VlnCD: QueryServiceConfigA failed (error %lu)\n", GetLastError());
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return found;
}

bool Report()
{
    bool complete = PrintKey(kServiceKey);
    complete = PrintKey(kParametersKey) && complete;
    static const char* const siblings[] = {
        "System\\CurrentControlSet\\Services\\vlnpx11", "System\\CurrentControlSet\\Services\\vlnpx12",
        "System\\CurrentControlSet\\Services\\vlnpx13", "System\\CurrentControlSet\\Services\\vlnpx14",
        "System\\CurrentControlSet\\Services\\vlnpx15",
    };
    printf("sibling services (Start set to 4 where installed):\n");
    for (const char* sibling : siblings) {
        DWORD start = 0;
        if (ReadDword(sibling, "Start", &start)) {
            printf("    %s: Start %lu\n", strrchr(sibling, '\\') + 1, start);
        } else {
            printf("    %s: not installed\n", strrchr(sibling, '\\') + 1);
        }
    }
    complete = PrintServiceConfig() && complete;
    return complete;
}

int Usage()
{
    fprintf(stderr,
            "usage: walkthrough install|present|failed SHOTS_FOLDER\n"
            "       walkthrough run|report|reset\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        return Usage();
    }
    const std::string command = argv[1];
    if (command == "run") {
        return RunForPerson() ? 0 : 1;
    }
    if (command == "report") {
        return Report() ? 0 : 1;
    }
    if (command == "reset") {
        ResetInstalledState();
        return 0;
    }
    if (argc < 3) {
        return Usage();
    }
    shots.folder = argv[2];
    char display[64] = "";
    const DWORD length = GetEnvironmentVariableA("DISPLAY", display, sizeof display);
    if (length == 0 || length >= sizeof display) {
        Fail("DISPLAY is not set: no screen to take pictures of");
        return 1;
    }
    shots.display = display;
    bool walked = false;
    if (command == "install") {
        walked = Install();
    } else if (command == "present") {
        walked = DriverPresent();
    } else if (command == "failed") {
        walked = InstallFailed();
    } else {
        return Usage();
    }
    return walked ? 0 : 1;
}
