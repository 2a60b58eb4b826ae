// Drives setupb.exe from a second Win32 process as a person would, and lays out and reads back what the program owns:
// files, registry keys, the VlnCD service. Shared by every test and tool; asserts only that a program starts.
#ifndef SETUPB_TESTS_HARNESS_H
#define SETUPB_TESTS_HARNESS_H

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace harness {

constexpr DWORD WaitMs = 20000;            // the limit of every wait
constexpr DWORD StillRunning = 0xFFFFFFFF;  // an exit code no run of the program returns

template <typename Condition>
bool WaitUntil(Condition done, DWORD limitMs = WaitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
    return true;
}

inline std::string WindowsPath(std::string unixPath)  // files by Windows path: Wine shows the Linux root as Z:
{
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return unixPath.rfind('\\', 0) == 0 ? "Z:" + unixPath : unixPath;
}
// The program under test: SETUPB_PROGRAM when set, else the built one.
inline const std::string kBuiltSetup = WindowsPath(getenv("SETUPB_PROGRAM") ? getenv("SETUPB_PROGRAM") : SETUPB_EXE);
inline const std::string kSystemDir = "C:\\windows\\system32";  // as GetSystemDirectoryA gives it under Wine
inline const std::string kInstalledSetup = kSystemDir + "\\setupb.exe";
inline const std::string kInstalledDriver = kSystemDir + "\\drivers\\vlncdrvr.sys";
inline std::string ReadBytes(const std::string& path)  // "<missing>" when it cannot be read
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}
inline bool WriteBytes(const std::string& path, const std::string& bytes)
{
    return bool(std::ofstream(path, std::ios::binary) << bytes);
}
inline bool PrepareDiskette(const char* driver)  // A: holds the built setupb.exe and, unless null, this driver
{
    DeleteFileA("A:\\vlncdrvr.sys");
    DeleteFileA("A:\\install.exe");
    if (!CopyFileA(kBuiltSetup.c_str(), "A:\\setupb.exe", FALSE)) return false;
    return driver == nullptr || WriteBytes("A:\\vlncdrvr.sys", driver);
}

// Registry values under HKEY_LOCAL_MACHINE, of any type and length, as an ANSI program sees them.
using Value = std::pair<DWORD, std::string>;  // type, data
using Values = std::map<std::string, Value>;
using Key = std::optional<Values>;  // nothing: the key does not exist
inline constexpr char kServiceKey[] = "System\\CurrentControlSet\\Services\\VlnCD";
inline constexpr char kParametersKey[] = "System\\CurrentControlSet\\Services\\VlnCD\\Parameters";
// 0 to 4: vlnpx11 to vlnpx15
inline std::string SiblingKey(int i) { return "System\\CurrentControlSet\\Services\\vlnpx1" + std::to_string(i + 1); }
inline Value Dword(DWORD value) { return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)}; }
inline Value Text(DWORD type, const char* text) { return {type, std::string(text) + '\0'}; }
inline Values ParameterValues(DWORD dma, DWORD irq, DWORD port, DWORD buffer, DWORD audio, DWORD lock)
{
    return {{"DMAChannel", Dword(dma)},    {"IRQChannel", Dword(irq)},  {"IOPortAddress", Dword(port)},
            {"BufferSize", Dword(buffer)}, {"AudioMode", Dword(audio)}, {"DoorLock", Dword(lock)}};
}
inline Values ServiceValues()  // the values setupb.exe writes into the VlnCD key
{
    return {{"Type", Dword(1)}, {"Start", Dword(0)}, {"ErrorControl", Dword(1)},
            {"Group", Text(REG_SZ, "SCSI CDROM Class")},
            {"ImagePath", Text(REG_EXPAND_SZ, "System32\\Drivers\\VLNCDRVR.SYS")}};
}
Key ReadKey(const std::string& path);
bool StoreValues(const std::string& path, const Values& values);  // creates the key when needed
// Nobody may change the key (reading still works), or all may again; kept by the running wineserver only.
bool DenyChanges(const std::string& path, bool denied = true);

struct Service {  // the service manager and the VlnCD service, closed together
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceA(manager, "VlnCD", SERVICE_ALL_ACCESS) : nullptr;
    ~Service() { CloseServiceHandle(service); CloseServiceHandle(manager); }  // a null one is refused, harmlessly
};
struct ServiceConfig {
    DWORD type; DWORD start; DWORD errorControl; std::string image; std::string group;
    auto Tie() const { return std::tie(type, start, errorControl, image, group); }
    bool operator==(const ServiceConfig& o) const { return Tie() == o.Tie(); }
};
inline void PrintTo(const ServiceConfig& c, std::ostream* out)
{
    *out << "{type " << c.type << ", start " << c.start << ", errorControl " << c.errorControl << ", image \""
         << c.image << "\", group \"" << c.group << "\"}";
}
std::optional<ServiceConfig> QueryService();  // the VlnCD service as the service manager has it
inline bool CreateDriverService()  // the VlnCD service as setupb.exe creates it
{
    return CloseServiceHandle(CreateServiceA(Service().manager, "VlnCD", "VlnCD", SERVICE_ALL_ACCESS,
        SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, SERVICE_ERROR_NORMAL, "System32\\Drivers\\VLNCDRVR.SYS",
        "SCSI CDROM Class", nullptr, nullptr, nullptr, nullptr));
}
// Nothing of an installation left: no service, no service or sibling keys, no installed files.
bool ResetMachine();

class Process {  // one run of a program, started in its own folder
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process()  // ends a run that a failed test left behind
    {
        if (Running() && TerminateProcess(info.hProcess, StillRunning)) WaitForSingleObject(info.hProcess, WaitMs);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    bool Start(const std::string& exe, const char* tail = "") { return StartLine(exe, '"' + exe + "\" " + tail); }
    bool StartLine(const std::string& program, std::string commandLine);  // the whole command line as given
    DWORD Id() const { return info.dwProcessId; }
    bool Running() const { return ExitCode(0) == StillRunning; }
    DWORD ExitCode(DWORD limitMs = WaitMs) const  // the full 32-bit code, or StillRunning
    {
        DWORD code = StillRunning;
        if (info.hProcess == nullptr || WaitForSingleObject(info.hProcess, limitMs) != WAIT_OBJECT_0) return code;
        return GetExitCodeProcess(info.hProcess, &code) ? code : StillRunning;
    }
    // Holds the program's thread still: what is posted meanwhile is handled before its next timer tick.
    bool Hold()
    {
        CONTEXT context = {};  // a thread stops some time after SuspendThread returns: reading its context waits for it
        context.ContextFlags = CONTEXT_CONTROL;
        return SuspendThread(info.hThread) != DWORD(-1) && GetThreadContext(info.hThread, &context);
    }
    void Release() { ResumeThread(info.hThread); }
    // From held: lets the program run in steps of a few milliseconds until at() holds, and holds it there.
    template <typename Condition>
    bool RunUntil(Condition at)
    {
        const ULONGLONG end = GetTickCount64() + WaitMs;
        while (!at()) {
            if (GetTickCount64() >= end) return false;
            Release();
            Sleep(2);
            if (!Hold()) return false;
        }
        return true;
    }

private:
    PROCESS_INFORMATION info = {};
};

// A visible dialog of the process holding control `with` and not `without`, waited for.
HWND FindDialog(DWORD processId, int with, int without = 0, DWORD limitMs = 0);
inline HWND WaitDialog(DWORD process, int with, int without = 0) { return FindDialog(process, with, without, WaitMs); }
// A caption's, a label's or a button's text, also while the program is held; or what the dialog's field shows.
inline std::string TextOf(HWND window, int field = 0)
{
    char text[1024] = "";
    if (field == 0) GetWindowTextA(window, text, sizeof text);
    else SendDlgItemMessageA(window, field, WM_GETTEXT, sizeof text, LPARAM(text));  // it keeps its text in its process
    return text;
}
inline bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
inline HWND Focus(HWND dialog)  // the focused control of the dialog's thread
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) ? thread.hwndFocus : nullptr;
}
enum class Icon { None, Information, Exclamation, Question };
Icon ReadIcon(HWND iconControl);  // the system icon shown; waits a while for it to be painted
// What paint draws into a fresh 32-bit bitmap of the given size, row by row.
template <typename Paint>
std::vector<DWORD> Drawn(int width, int height, Paint paint)
{
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(memory, bitmap);
    paint(memory);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + (bits ? width * height : 0));
    DeleteDC(memory);  // the bitmap is no longer selected into anything, and goes next
    DeleteObject(bitmap);
    return pixels;
}
inline std::vector<DWORD> ScreenPixels(const RECT& rect)  // 0x00RRGGBB, row by row
{
    return Drawn(rect.right - rect.left, rect.bottom - rect.top, [&](HDC memory) {
        HDC screen = GetDC(nullptr);
        BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

inline void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline void PressKey(HWND dialog, UINT virtualKey, bool alt = false)  // posted to the focused control
{
    HWND target = Focus(dialog) ? Focus(dialog) : dialog;
    LPARAM data = 1 | LPARAM(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;  // one press, its scan code
    if (alt) data |= 1L << 29;  // the Alt key is down
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, data);
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, data | 3L << 30);
}
inline void QueueKey(UINT virtualKey, bool alt = false)  // queued: the window focused when the program reads it gets it
{
    if (alt) keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(static_cast<BYTE>(virtualKey), 0, 0, 0);
    keybd_event(static_cast<BYTE>(virtualKey), 0, KEYEVENTF_KEYUP, 0);
    if (alt) keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
}
inline void Type(HWND dialog, int id, const char* characters)  // a click into the field, the caret at its end
{
    HWND field = GetDlgItem(dialog, id);
    PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PostMessageA(field, EM_SETSEL, 0x7FFF, 0x7FFF);  // as the End key puts it
    for (const char* c = characters; *c != '\0'; ++c) PostMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 1);
}
bool Paste(HWND dialog, int id, const char* text);  // of the settings dialog: replaces the text, passing no key filter
// Returns once the settings dialog's thread has handled all posted to it before; a box opened meanwhile is shown.
bool Barrier(HWND settings);

struct RunEnd {  // the message boxes a run showed (each read, then closed with Enter), its exit code
    std::string title, text;  // of each box, joined by " | "
    Icon icon = Icon::None;
    DWORD exitCode = StillRunning;
    auto Tie() const { return std::tie(title, text, icon, exitCode); }
    bool operator==(const RunEnd& o) const { return Tie() == o.Tie(); }
};
inline RunEnd Silent(DWORD exitCode) { return {"", "", Icon::None, exitCode}; }  // no message on the way
inline void PrintTo(const RunEnd& end, std::ostream* out)
{
    const char* const icons[] = {"no", "information", "exclamation", "question"};  // by Icon
    *out << "{\"" << end.title << "\", \"" << end.text << "\", " << icons[int(end.icon)] << " icon, exit code "
         << end.exitCode << "}";
}
// The boxes shown until the run ends; or, given the settings dialog, those open once it has handled what was posted.
RunEnd MessagesShown(Process& setup, HWND settings = nullptr);
inline RunEnd FollowToEnd(Process& setup) { return MessagesShown(setup); }

// A console program run to its end as a script runs it: its output's and errors' lines and its full exit code.
struct ConsoleRun { DWORD exitCode; std::vector<std::string> output, errors; };  // errors empty: all in output
ConsoleRun RunConsole(const std::string& program, const std::string& arguments, bool oneFile = false);

}  // namespace harness

#endif
