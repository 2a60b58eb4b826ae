#include "harness.h"

#include <string.h>

#include <vector>

namespace e2e {

const char* const kServiceKey = "System\\CurrentControlSet\\Services\\VlnCD";
const char* const kParametersKey = "System\\CurrentControlSet\\Services\\VlnCD\\Parameters";

namespace {

const char* const kSiblingKeys[] = {
    "System\\CurrentControlSet\\Services\\vlnpx11", "System\\CurrentControlSet\\Services\\vlnpx12",
    "System\\CurrentControlSet\\Services\\vlnpx13", "System\\CurrentControlSet\\Services\\vlnpx14",
    "System\\CurrentControlSet\\Services\\vlnpx15",
};

std::string ClassName(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct DialogSearch {
    DWORD processId;
    int controlId;
    bool messageBox;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || ClassName(window) != "#32770") {
        return TRUE;
    }
    const bool matches = search->messageBox
                             ? (GetDlgItem(window, IDOK) != nullptr && GetDlgItem(window, 0xFFFF) != nullptr)
                             : GetDlgItem(window, search->controlId) != nullptr;
    if (matches) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(DWORD processId, int controlId, bool messageBox)
{
    DialogSearch search = {processId, controlId, messageBox, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct AnyWindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK MatchAnyVisible(HWND window, LPARAM param)
{
    AnyWindowSearch* search = reinterpret_cast<AnyWindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

void DeleteDriverService()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        return;
    }
    SC_HANDLE service = OpenServiceA(manager, "VlnCD", DELETE);
    if (service != nullptr) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

LPARAM KeyParam(UINT virtualKey, bool up, bool alt)
{
    LPARAM param = 1 | (static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16);
    if (alt) {
        param |= 1L << 29;
    }
    if (up) {
        param |= (1L << 30) | (1L << 31);
    }
    return param;
}

}  // namespace

std::string BuiltSetupPath()
{
    std::string path = "Z:" SETUPB_EXE_UNIX_PATH;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string SystemDir()
{
    char buffer[MAX_PATH] = "";
    GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

std::string DriversDir()
{
    return SystemDir() + "\\drivers";
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes->clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes->append(chunk, got);
    }
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteKeyTree(const char* keyPath)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
}

bool KeyExists(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool ReadDword(const char* keyPath, const char* valueName, DWORD* value, DWORD* type)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD foundType = 0;
    DWORD length = sizeof(DWORD);
    const LONG status =
        RegQueryValueExA(key, valueName, nullptr, &foundType, reinterpret_cast<BYTE*>(value), &length);
    RegCloseKey(key);
    if (type != nullptr) {
        *type = foundType;
    }
    return status == ERROR_SUCCESS && length == sizeof(DWORD);
}

void ResetInstalledState()
{
    DeleteDriverService();
    DeleteKeyTree(kServiceKey);
    for (const char* sibling : kSiblingKeys) {
        DeleteKeyTree(sibling);
    }
    DeleteFileA((SystemDir() + "\\setupb.exe").c_str());
    DeleteFileA((DriversDir() + "\\vlncdrvr.sys").c_str());
}

void PrepareDiskette(const char* driverBytes)
{
    DeleteFileA("A:\\setupb.exe");
    DeleteFileA("A:\\vlncdrvr.sys");
    CopyFileA(BuiltSetupPath().c_str(), "A:\\setupb.exe", FALSE);
    if (driverBytes != nullptr) {
        WriteFileBytes("A:\\vlncdrvr.sys", driverBytes);
    }
}

SetupProcess::~SetupProcess()
{
    if (info.hProcess != nullptr) {
        if (Running()) {
            TerminateProcess(info.hProcess, 0xDEAD);
            WaitForSingleObject(info.hProcess, DefaultWaitMs);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

bool SetupProcess::Start(const std::string& exePath, const std::string& tail, const std::string& workingDir)
{
    std::string commandLine = "\"" + exePath + "\"";
    if (!tail.empty()) {
        commandLine += " " + tail;
    }
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(exePath.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info) != FALSE;
}

bool SetupProcess::WaitForExit(DWORD* exitCode, DWORD timeoutMs)
{
    if (info.hProcess == nullptr || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(info.hProcess, exitCode) != FALSE;
}

bool SetupProcess::Running() const
{
    return info.hProcess != nullptr && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND WaitForDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, controlId, false)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, 0, true)) != nullptr; }, timeoutMs);
    return found;
}

bool NoWindowAppears(DWORD processId, DWORD waitMs)
{
    return !WaitUntil(
        [&] {
            AnyWindowSearch search = {processId, false};
            EnumWindows(MatchAnyVisible, reinterpret_cast<LPARAM>(&search));
            return search.found;
        },
        waitMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ControlText(HWND dialog, int controlId)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, controlId, text, sizeof text);
    return text;
}

IconKind ReadIconKind(HWND iconControl)
{
    if (iconControl == nullptr) {
        return IconKind::None;
    }
    RECT rect;
    GetWindowRect(iconControl, &rect);
    HDC screen = GetDC(nullptr);
    int yellow = 0;
    int blue = 0;
    int painted = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const COLORREF colour = GetPixel(screen, x, y);
            const int r = GetRValue(colour);
            const int g = GetGValue(colour);
            const int b = GetBValue(colour);
            if (r > 180 && g > 150 && b < 100) {
                ++yellow;
            } else if (b > 150 && r < 120 && b > g) {
                ++blue;
            }
            if (colour != GetSysColor(COLOR_3DFACE)) {
                ++painted;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    if (painted == 0) {
        return IconKind::None;
    }
    if (yellow > 40 && yellow > blue) {
        return IconKind::Exclamation;
    }
    if (blue > 40) {
        return IconKind::Information;
    }
    return IconKind::Other;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content;
    content.title = WindowText(box);
    content.text = ControlText(box, 0xFFFF);
    content.icon = ReadIconKind(GetDlgItem(box, 1088));
    return content;
}

HWND FocusedControl(HWND dialog)
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread)) {
        return nullptr;
    }
    return thread.hwndFocus;
}

void ClickButton(HWND dialog, int controlId)
{
    // Posted: a click that opens a message box must not block the tester.
    PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, UINT virtualKey)
{
    HWND target = FocusedControl(dialog);
    if (target == nullptr) {
        target = dialog;
    }
    PostMessageA(target, WM_KEYDOWN, virtualKey, KeyParam(virtualKey, false, false));
    PostMessageA(target, WM_KEYUP, virtualKey, KeyParam(virtualKey, true, false));
}

void PressAltF4(HWND dialog)
{
    HWND target = FocusedControl(dialog);
    if (target == nullptr) {
        target = dialog;
    }
    PostMessageA(target, WM_SYSKEYDOWN, VK_F4, KeyParam(VK_F4, false, true));
    PostMessageA(target, WM_SYSKEYUP, VK_F4, KeyParam(VK_F4, true, true));
}

void TypeChars(HWND dialog, int controlId, const char* characters)
{
    HWND field = GetDlgItem(dialog, controlId);
    // A click into the field first, as a person would, to give it the focus.
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    for (const char* c = characters; *c != '\0'; ++c) {
        PostMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 1);
    }
}

void PasteText(HWND dialog, int controlId, const char* text)
{
    const size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return;
    }
    memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    HWND field = GetDlgItem(dialog, controlId);
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PostMessageA(field, EM_SETSEL, 0, -1);
    PostMessageA(field, WM_PASTE, 0, 0);
}

}  // namespace e2e
