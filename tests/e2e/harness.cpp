#include "harness.h"

#include "wine_path.h"

#include <string.h>
#include <wchar.h>

#include <vector>

#include <gtest/gtest.h>

#include "resource.h"

namespace e2e {

const char* const kServiceKey = "System\\CurrentControlSet\\Services\\VlnCD";
const char* const kParametersKey = "System\\CurrentControlSet\\Services\\VlnCD\\Parameters";

namespace {

constexpr DWORD IconPaintWaitMs = 3000;

const char* const kSiblingKeys[] = {
    "System\\CurrentControlSet\\Services\\vlnpx11", "System\\CurrentControlSet\\Services\\vlnpx12",
    "System\\CurrentControlSet\\Services\\vlnpx13", "System\\CurrentControlSet\\Services\\vlnpx14",
    "System\\CurrentControlSet\\Services\\vlnpx15",
};

struct WindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && (*search->matches)(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A message box: an OK button and the static text 65535.
bool IsMessageBox(HWND window)
{
    return GetDlgItem(window, IDOK) != nullptr && GetDlgItem(window, 0xFFFF) != nullptr;
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

// Copies a rectangle of a device context into 0x00RRGGBB pixels, row by row.
std::vector<DWORD> CapturePixels(HDC source, int x, int y, int width, int height)
{
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// A system icon drawn as a static control draws it, over a background given
// as a captured pixel (0x00RRGGBB).
std::vector<DWORD> RenderSystemIcon(LPCSTR resource, int width, int height, DWORD background)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(background >> 16 & 0xFF, background >> 8 & 0xFF, background & 0xFF));
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, resource), width, height, 0, nullptr, DI_NORMAL);
    std::vector<DWORD> pixels = CapturePixels(memory, 0, 0, width, height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// Without a window manager Wine waits two seconds for every hidden managed
// window to be withdrawn, which would slow each dialog's end and each exit.
// Windows of the program under test are made unmanaged for its file name.
void KeepWindowsUnmanaged(const std::string& exePath)
{
    const std::string key = "Software\\Wine\\AppDefaults\\" + exePath.substr(exePath.find_last_of('\\') + 1) +
                            "\\X11 Driver";
    HKEY settings = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &settings, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(settings, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(settings);
}

// What a static control shows as its icon, read once.
IconKind ClassifyIcon(HWND iconControl)
{
    // A static control paints its icon stretched over its client area; child
    // controls are readable only through the screen.
    RECT rect;
    GetClientRect(iconControl, &rect);
    POINT origin = {0, 0};
    ClientToScreen(iconControl, &origin);
    const int width = rect.right;
    const int height = rect.bottom;
    if (width <= 0 || height <= 0) {
        return IconKind::None;
    }
    HDC screen = GetDC(nullptr);
    const std::vector<DWORD> shown = CapturePixels(screen, origin.x, origin.y, width, height);
    ReleaseDC(nullptr, screen);

    // Every icon leaves its corners transparent: the corner is the background.
    const DWORD face = shown[0];
    bool painted = false;
    for (DWORD colour : shown) {
        painted = painted || colour != face;
    }
    if (!painted) {
        return IconKind::None;
    }
    // Each system icon drawn the same way over the same background; the shown
    // one must match a reference almost pixel for pixel.
    static const struct {
        LPCSTR resource;
        IconKind kind;
    } references[] = {
        {IDI_INFORMATION, IconKind::Information},
        {IDI_EXCLAMATION, IconKind::Exclamation},
        {IDI_QUESTION, IconKind::Question},
    };
    const size_t tolerated = shown.size() / 50;
    for (const auto& reference : references) {
        const std::vector<DWORD> drawn = RenderSystemIcon(reference.resource, width, height, face);
        size_t differing = 0;
        for (size_t index = 0; index < shown.size(); ++index) {
            differing += drawn[index] != shown[index] ? 1 : 0;
        }
        if (differing <= tolerated) {
            return reference.kind;
        }
    }
    return IconKind::Other;
}

}  // namespace

std::string BuiltSetupPath()
{
    return WindowsPathOf(SETUPB_EXE_UNIX_PATH);
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

std::string InstalledSetupPath()
{
    return SystemDir() + "\\setupb.exe";
}

std::string InstalledDriverPath()
{
    return DriversDir() + "\\vlncdrvr.sys";
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
    DeleteFileA(InstalledSetupPath().c_str());
    DeleteFileA(InstalledDriverPath().c_str());
}

void InstallIntoSystemDir()
{
    ASSERT_TRUE(CopyFileA(BuiltSetupPath().c_str(), InstalledSetupPath().c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(InstalledDriverPath(), "installed driver"));
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
    End();
    if (info.hProcess != nullptr) {
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

void SetupProcess::End()
{
    if (Running()) {
        TerminateProcess(info.hProcess, 0xDEAD);
        WaitForSingleObject(info.hProcess, DefaultWaitMs);
    }
}

bool SetupProcess::Start(const std::string& exePath, const std::string& tail, const std::string& workingDir)
{
    std::string commandLine = "\"" + exePath + "\"";
    if (!tail.empty()) {
        commandLine += " " + tail;
    }
    KeepWindowsUnmanaged(exePath);
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

bool ExitsShowingNothing(SetupProcess& process, Shown kind, DWORD* exitCode, HWND except, DWORD timeoutMs)
{
    bool shown = false;
    const bool ended = WaitUntil(
        [&] {
            shown = FindProcessWindow(process.Id(), [&](HWND window) {
                        return window != except && (kind != Shown::MessageBox || IsMessageBox(window));
                    }) != nullptr;
            return shown || !process.Running();
        },
        timeoutMs);
    return ended && !shown && process.WaitForExit(exitCode, 0);
}

bool SetupProcess::Running() const
{
    return info.hProcess != nullptr && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND FindProcessWindow(DWORD processId, const std::function<bool(HWND)>& matches)
{
    WindowSearch search = {processId, &matches, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsDialog(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "#32770") == 0;
}

bool IsCopyDialog(HWND window)
{
    return GetDlgItem(window, IDB_CANCEL) != nullptr && GetDlgItem(window, IDB_SET_SETUP) == nullptr;
}

HWND CopyDialog(DWORD processId)
{
    return FindProcessWindow(processId, IsCopyDialog);
}

HWND WaitForEndOrMessage(SetupProcess& setup, bool* sawCopyDialog)
{
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        if (sawCopyDialog != nullptr && CopyDialog(setup.Id()) != nullptr) {
            *sawCopyDialog = true;
        }
        box = WaitForMessageBox(setup.Id(), 0);
        return box != nullptr || !setup.Running();
    }));
    return box;
}

void ExpectSilentEnd(SetupProcess& setup, DWORD expectedExitCode)
{
    HWND box = WaitForEndOrMessage(setup);
    ASSERT_EQ(box, nullptr) << "unexpected message: " << ControlText(box, 0xFFFF);
    DWORD exitCode = 0xFFFF;
    ASSERT_TRUE(setup.WaitForExit(&exitCode));
    EXPECT_EQ(exitCode, expectedExitCode);
}

HWND WaitForDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(
                processId, [&](HWND window) { return IsDialog(window) && GetDlgItem(window, controlId) != nullptr; });
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(processId, [](HWND window) { return IsDialog(window) && IsMessageBox(window); });
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool NoWindowAppears(DWORD processId, DWORD waitMs)
{
    return !WaitUntil([&] { return FindProcessWindow(processId, [](HWND) { return true; }) != nullptr; }, waitMs);
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
    // A window found visible may not have painted yet: read again until the
    // icon is one of the system's, for a while.
    IconKind kind = IconKind::None;
    WaitUntil([&] { return (kind = ClassifyIcon(iconControl)) != IconKind::None && kind != IconKind::Other; },
              IconPaintWaitMs);
    return kind;
}

void PrintTo(IconKind kind, std::ostream* out)
{
    static const char* const names[] = {"None", "Information", "Exclamation", "Question", "Other"};
    *out << names[static_cast<int>(kind)];
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content;
    content.title = WindowText(box);
    content.text = ControlText(box, 0xFFFF);
    content.icon = ReadIconKind(GetDlgItem(box, 1088));
    return content;
}

void ExpectMessageAndDismiss(HWND box, const char* title, const char* text)
{
    ASSERT_NE(box, nullptr) << "no message box; expected: " << text;
    // The icon is judged by its pixels: give the box time to paint.
    MessageBoxContent content;
    WaitUntil([&] { return (content = ReadMessageBox(box)).icon == IconKind::Exclamation; }, 5000);
    EXPECT_EQ(content.title, title);
    EXPECT_EQ(content.text, text);
    EXPECT_EQ(content.icon, IconKind::Exclamation);
    PressKey(box, VK_RETURN);
    ASSERT_TRUE(WaitForWindowGone(box));
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
    TypeMore(dialog, controlId, characters);
}

void TypeMore(HWND dialog, int controlId, const char* characters)
{
    for (const char* c = characters; *c != '\0'; ++c) {
        PostMessageA(GetDlgItem(dialog, controlId), WM_CHAR, static_cast<unsigned char>(*c), 1);
    }
}

bool FieldShows(HWND dialog, int controlId, const std::string& text)
{
    return WaitUntil([&] { return ControlText(dialog, controlId) == text; }, 5000);
}

void ClearField(HWND dialog, int controlId)
{
    PostMessageA(GetDlgItem(dialog, controlId), EM_SETSEL, 0, -1);
    TypeMore(dialog, controlId, "\b");
    ASSERT_TRUE(FieldShows(dialog, controlId, ""));
}

std::string SelectedEntry(HWND dialog, int listId)
{
    HWND list = GetDlgItem(dialog, listId);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    wchar_t text[64] = L"";
    if (index < 0 || SendMessageW(list, CB_GETLBTEXTLEN, index, 0) >= 64) {
        return "<none>";
    }
    SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return std::string(text, text + wcslen(text));
}

bool Barrier(HWND dialog)
{
    static LPARAM token = 0x5E70;
    HWND list = GetDlgItem(dialog, IDX_SET_DMA_LIST);
    const LPARAM mine = ++token;
    PostMessageA(list, CB_SETITEMDATA, 0, mine);
    return WaitUntil([&] { return IsWindow(list) && SendMessageA(list, CB_GETITEMDATA, 0, 0) == mine; }, 5000);
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
