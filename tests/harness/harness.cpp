#include "harness.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "resource.h"

namespace harness {

namespace {

bool DeleteKey(const std::string& path)  // the whole tree, a denial on it or on its Parameters lifted first
{
    DenyChanges(path + "\\Parameters", false);
    DenyChanges(path, false);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());  // the key too, as it is named
    return !ReadKey(path);
}

// The system icon the control shows: each drawn as a static control draws it, over the same background, must match
// almost pixel for pixel.
Icon ShownIcon(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    const std::vector<DWORD> shown = ScreenPixels(rect);
    const DWORD face = shown.empty() ? 0 : shown[0];  // the corners of an icon show the background
    const RECT area = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
    for (const auto& [resource, icon] : {std::pair(IDI_INFORMATION, Icon::Information),
                                         std::pair(IDI_EXCLAMATION, Icon::Exclamation),
                                         std::pair(IDI_QUESTION, Icon::Question)}) {
        const std::vector<DWORD> drawn = Drawn(area.right, area.bottom, [&](HDC memory) {
            HBRUSH brush = CreateSolidBrush(RGB(face >> 16 & 0xFF, face >> 8 & 0xFF, face & 0xFF));
            FillRect(memory, &area, brush);
            DeleteObject(brush);
            DrawIconEx(memory, 0, 0, LoadIconA(nullptr, resource), area.right, area.bottom, 0, nullptr, DI_NORMAL);
        });
        if (shown.empty() || drawn.size() != shown.size()) continue;
        size_t same = 0;
        for (size_t index = 0; index < shown.size(); ++index) same += ((drawn[index] ^ shown[index]) & 0xFFFFFF) == 0;
        if (same >= shown.size() - shown.size() / 50) return icon;
    }
    return Icon::None;
}

bool CloseMessage(HWND box, RunEnd* shown)  // adds what a message box shows to the run's, then closes it with Enter
{
    const char* joint = shown->text.empty() ? "" : " | ";
    shown->icon = ReadIcon(GetDlgItem(box, 1088));  // a message box's icon control, and its text
    shown->title += joint + TextOf(box);
    shown->text += joint + TextOf(GetDlgItem(box, 0xFFFF));
    PressKey(box, VK_RETURN);
    return WaitUntil([&] { return !IsWindowVisible(box); });
}

}  // namespace

Key ReadKey(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    Values values;
    for (DWORD index = 0;; ++index) {
        char name[256];  // the program's value names are short
        BYTE data[1024];
        DWORD nameLength = sizeof name, type = 0, dataLength = sizeof data;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
        values[name] = {type, std::string(reinterpret_cast<const char*>(data), dataLength)};
    }
    RegCloseKey(key);
    return values;
}

bool StoreValues(const std::string& path, const Values& values)
{
    HKEY key = nullptr;
    bool stored = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr) == ERROR_SUCCESS;
    for (const auto& [name, value] : values) {
        const auto* data = reinterpret_cast<const BYTE*>(value.second.data());
        stored = stored && RegSetValueExA(key, name.c_str(), 0, value.first, data, DWORD(value.second.size())) == 0;
    }
    RegCloseKey(key);
    return stored;
}

bool DenyChanges(const std::string& path, bool denied)  // read-only for everybody when denied, else full access
{
    const char* sddl = denied ? "D:P(A;;KR;;;WD)(A;;KR;;;BA)(A;;KR;;;SY)" : "D:P(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    return status == ERROR_SUCCESS;
}

std::optional<ServiceConfig> QueryService()
{
    Service vlncd;
    union { QUERY_SERVICE_CONFIGA config; BYTE space[8192]; } buffer;  // the most QueryServiceConfigA needs
    DWORD needed = 0;
    if (vlncd.service == nullptr || !QueryServiceConfigA(vlncd.service, &buffer.config, sizeof buffer, &needed)) {
        return std::nullopt;
    }
    const QUERY_SERVICE_CONFIGA& c = buffer.config;
    return ServiceConfig{c.dwServiceType, c.dwStartType, c.dwErrorControl, c.lpBinaryPathName ? c.lpBinaryPathName : "",
                         c.lpLoadOrderGroup ? c.lpLoadOrderGroup : ""};
}

bool ResetMachine()
{
    // The manager removes the service once the last handle to it is closed: this one's, at the end of the if.
    if (Service vlncd; vlncd.service != nullptr) DeleteService(vlncd.service);
    bool reset = WaitUntil([] { return !QueryService(); });
    reset = DeleteKey(kServiceKey) && reset;
    for (int sibling = 0; sibling < 5; ++sibling) reset = DeleteKey(SiblingKey(sibling)) && reset;
    for (const std::string& path : {kInstalledSetup, kInstalledDriver}) {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(path.c_str());  // a folder where a file belongs
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) reset = false;
    }
    return reset;
}

bool Process::StartLine(const std::string& program, std::string commandLine)
{
    std::string folder = program.substr(0, program.rfind('\\'));
    if (folder.back() == ':') folder += '\\';  // a drive's root
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        std::string writable = commandLine;
        if (CreateProcessA(program.c_str(), &writable[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                           &startup, &info)) {
            return true;
        }
        if (GetLastError() != ERROR_INTERNAL_ERROR) return false;
        // Under Wine a new process rarely (once in a few hundred starts) dies in its start-up, before any code of the
        // program ran, with ERROR_INTERNAL_ERROR: it is started again, said in the test's output; twice fails.
        printf("harness: %s died while starting (Wine): started again\n", commandLine.c_str());
        fflush(stdout);
        EXPECT_EQ(attempt, 1) << commandLine << " died while starting more than once";
    }
    return false;
}

HWND FindDialog(DWORD processId, int with, int without, DWORD limitMs)
{
    HWND found = nullptr;
    const auto seen = [&] {
        found = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
        while (found != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            const bool holds = GetDlgItem(found, with) && (without == 0 || !GetDlgItem(found, without));
            if (owner == processId && IsWindowVisible(found) && holds) return true;
            found = FindWindowExA(nullptr, found, "#32770", nullptr);
        }
        return false;
    };
    WaitUntil(seen, limitMs);
    return found;
}

Icon ReadIcon(HWND iconControl)
{
    Icon icon = Icon::None;
    WaitUntil([&] { icon = ShownIcon(iconControl); return icon != Icon::None; }, 5000);  // it may not be painted yet
    return icon;
}

bool Paste(HWND dialog, int id, const char* text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    if (memory == nullptr || !WaitUntil([] { return OpenClipboard(nullptr) != FALSE; })) {  // a paste may hold it
        GlobalFree(memory);
        return false;
    }
    strcpy(static_cast<char*>(GlobalLock(memory)), text);
    GlobalUnlock(memory);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    PostMessageA(GetDlgItem(dialog, id), EM_SETSEL, 0, -1);
    PostMessageA(GetDlgItem(dialog, id), *text != '\0' ? WM_PASTE : WM_CLEAR, 0, 0);  // an empty text pastes nothing
    return Barrier(dialog) && TextOf(dialog, id) == text;  // it has read the clipboard: a next paste may change it
}

bool Barrier(HWND settings)
{
    // A posted change of the DMA list's item data, which the program never uses, is read once the thread got to it.
    // A sent message is handled before the posted ones: reading the data back shows when the post came through.
    HWND list = GetDlgItem(settings, IDC_SET_DMA_LIST);
    const LRESULT token = SendMessageA(list, CB_GETITEMDATA, 0, 0) + 1;
    PostMessageA(list, CB_SETITEMDATA, 0, token);
    return WaitUntil([&] { return IsWindow(list) && SendMessageA(list, CB_GETITEMDATA, 0, 0) == token; });
}

RunEnd MessagesShown(Process& setup, HWND settings)
{
    RunEnd shown;
    if (settings != nullptr) {  // once the dialog has handled what was posted, each box open then
        HWND box = Barrier(settings) ? FindDialog(setup.Id(), IDOK) : nullptr;
        while (box != nullptr && CloseMessage(box, &shown) && Barrier(settings)) box = FindDialog(setup.Id(), IDOK);
        return shown;
    }
    HWND box = nullptr;
    const auto boxOrEnd = [&] { box = FindDialog(setup.Id(), IDOK); return box != nullptr || !setup.Running(); };
    while (WaitUntil(boxOrEnd) && box != nullptr && CloseMessage(box, &shown)) {}
    shown.exitCode = setup.ExitCode(0);
    return shown;
}

}  // namespace harness
