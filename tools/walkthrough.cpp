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
// SHOTS is a Linux folder; the pictures are taken with ImageMagick's import
// from this process's X display. Each walk prints "setupb.exe exit code: N"
// and exits with 0 when every window it waits for appeared.
#include <stdio.h>

#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

std::string shotFolder;

bool Fail(const char* what)
{
    fprintf(stderr, "walkthrough: %s\n", what);
    return false;
}

// Saves the window's part of the screen as SHOTS/name.png. Wine starts a Linux
// program but gives no process to wait for: the picture is written under
// another name and renamed once complete, and that name is waited for.
bool Shoot(HWND window, const char* name)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    char display[64] = "";
    GetEnvironmentVariableA("DISPLAY", display, sizeof display);
    const std::string file = shotFolder + "/" + name + ".png";
    std::string command = "/bin/sh -c \"/usr/bin/import -window root -display " + std::string(display) + " -crop " +
                          std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) + "+" +
                          std::to_string(rect.left) + "+" + std::to_string(rect.top) + " +repage 'png:" + file +
                          ".part' && mv '" + file + ".part' '" + file + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    DeleteFileA(WindowsPath(file).c_str());
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        return Fail("cannot start ImageMagick's import");
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (!WaitUntil([&] { return GetFileAttributesA(WindowsPath(file).c_str()) != INVALID_FILE_ATTRIBUTES; })) {
        return Fail(("no picture " + file).c_str());
    }
    printf("screenshot: %s\n", file.c_str());
    return true;
}

// Shoots the window once it is painted and its picture holds still.
bool ShootWhenStill(HWND window, const char* name)
{
    std::vector<DWORD> previous;
    const bool still = WaitUntil([&] {
        RECT rect = {};
        GetWindowRect(window, &rect);
        std::vector<DWORD> now = ScreenPixels(rect);
        const bool same = !now.empty() && now == previous && now.front() != now.back();
        previous.swap(now);
        return same;
    });
    return (still || Fail("the window never held still")) && Shoot(window, name);
}

// The copy dialog at 50 %: its thread is held while the bar is read, and a
// bar found half full is shot before the program goes on.
bool ShootCopyAtHalf(Process& setup)
{
    HWND copy = WaitDialog(setup.Id(), IDB_CANCEL, IDB_SET_SETUP);
    if (copy == nullptr) {
        return Fail("no copy progress dialog");
    }
    const COLORREF fill = GetSysColor(COLOR_ACTIVECAPTION);
    for (const ULONGLONG end = GetTickCount64() + WaitMs; GetTickCount64() < end && setup.Hold(); Sleep(2)) {
        RECT client = {};
        GetClientRect(copy, &client);
        POINT quarter = {client.right / 4 + 15, client.bottom / 2 + 14};
        POINT threeQuarters = {client.right * 3 / 4 - 15, quarter.y};
        ClientToScreen(copy, &quarter);
        ClientToScreen(copy, &threeQuarters);
        // The bar at half, and Cancel painted too: its frame's outer corner is darker than the dialog's face.
        RECT cancel = {};
        GetWindowRect(GetDlgItem(copy, IDB_CANCEL), &cancel);
        HDC screen = GetDC(nullptr);
        const bool half = GetPixel(screen, quarter.x, quarter.y) == fill &&
                          GetPixel(screen, threeQuarters.x, threeQuarters.y) != fill &&
                          GetPixel(screen, cancel.right - 1, cancel.bottom - 1) != GetSysColor(COLOR_3DFACE);
        ReleaseDC(nullptr, screen);
        const bool shot = half && Shoot(copy, "2-copy-progress");
        setup.Release();
        if (shot || !IsWindowVisible(copy)) {
            return shot || Fail("the copy progress dialog was not seen at 50 %");
        }
    }
    return Fail("the copy progress dialog was not seen at 50 %");
}

bool Walk(const std::string& walk)
{
    Process setup;
    if (!setup.Start("A:\\setupb.exe")) {
        return Fail("cannot start A:\\setupb.exe");
    }
    if (walk == "install") {
        HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP);
        if (settings == nullptr || !ShootWhenStill(settings, "1-settings")) {
            return Fail("no settings dialog");
        }
        Click(settings, IDB_SET_SETUP);
        if (!ShootCopyAtHalf(setup)) {
            return false;
        }
    } else if (walk == "present") {
        HWND question = WaitDialog(setup.Id(), IDB_INIT_NEW);
        if (question == nullptr || !ShootWhenStill(question, "4-driver-present")) {
            return Fail("no driver-present dialog");
        }
        Click(question, IDB_CANCEL);
    }
    if (walk != "present" && walk != "run") {
        HWND message = WaitDialog(setup.Id(), IDOK);
        const char* shot = walk == "install" ? "3-restart-notice" : "5-install-failed";
        if (message == nullptr || !ShootWhenStill(message, shot)) {
            return Fail("no closing message");
        }
        PressKey(message, VK_RETURN);
    }
    const DWORD exitCode = setup.ExitCode(walk == "run" ? INFINITE : WaitMs);
    printf("setupb.exe exit code: %lu\n", exitCode);
    return exitCode != StillRunning;
}

void PrintKey(const std::string& path)
{
    const Key key = ReadKey(path);
    printf("HKLM\\%s%s\n", path.c_str(), key ? "" : ": not present");
    for (const auto& [name, value] : key.value_or(Values{})) {
        const char* type = value.first == REG_DWORD ? "REG_DWORD" : value.first == REG_SZ ? "REG_SZ"
                         : value.first == REG_EXPAND_SZ ? "REG_EXPAND_SZ" : "other";
        if (value.first == REG_DWORD && value.second.size() == 4) {
            const DWORD number = *reinterpret_cast<const DWORD*>(value.second.data());
            printf("    %-18s %-14s 0x%lx (%lu)\n", name.c_str(), type, number, number);
        } else if (value.first == REG_SZ || value.first == REG_EXPAND_SZ) {
            printf("    %-18s %-14s %s\n", name.c_str(), type, value.second.c_str());
        } else {
            printf("    %-18s %-14s %zu bytes\n", name.c_str(), type, value.second.size());
        }
    }
}

bool Report()
{
    PrintKey(kServiceKey);
    PrintKey(kParametersKey);
    for (int sibling = 0; sibling < 5; ++sibling) {
        PrintKey(SiblingKey(sibling));
    }
    const std::optional<ServiceConfig> service = QueryService();
    if (!service) {
        return Fail("service VlnCD: not registered");
    }
    const char* const starts[] = {"boot", "system", "automatic", "on demand", "disabled"};
    printf("service VlnCD: type 0x%lx%s, start %lu (%s), error control %lu, image %s, group %s\n", service->type,
           service->type == SERVICE_KERNEL_DRIVER ? " (kernel driver)" : "", service->start,
           service->start < 5 ? starts[service->start] : "?", service->errorControl, service->image.c_str(),
           service->group.c_str());
    return ReadKey(kServiceKey) && ReadKey(kParametersKey);
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "report" || command == "reset" || command == "run") {
        return (command == "report" ? Report() : command == "reset" ? ResetMachine() : Walk(command)) ? 0 : 1;
    }
    if (argc != 3 || (command != "install" && command != "present" && command != "failed")) {
        fprintf(stderr, "usage: walkthrough install|present|failed SHOTS_FOLDER\n"
                        "       walkthrough run|report|reset\n");
        return 2;
    }
    shotFolder = argv[2];
    return Walk(command) ? 0 : 1;
}
