// Drives the real setupb.exe from a second Win32 process, as a person would:
// start it, wait for its windows, read what they show, press keys and buttons,
// and read the full 32-bit exit code. Also resets what the program owns.
#ifndef SETUPB_TESTS_E2E_HARNESS_H
#define SETUPB_TESTS_E2E_HARNESS_H

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>

namespace e2e {

constexpr DWORD DefaultWaitMs = 20000;

// The built setupb.exe, as a Windows path.
std::string BuiltSetupPath();

// System directory and its drivers subdirectory, without trailing backslash.
std::string SystemDir();
std::string DriversDir();

// Where setup installs its two files.
std::string InstalledSetupPath();
std::string InstalledDriverPath();

// Removes the service key tree, the five sibling keys, the VlnCD service and
// the two installed files, so that a test starts from a machine without the
// driver.
void ResetInstalledState();

// Puts the built setupb.exe and a driver file where an installation leaves
// them, so that the program started from the system directory only
// reconfigures.
void InstallIntoSystemDir();

// Lays out a diskette on drive A: with the built setupb.exe and a driver file
// holding driverBytes (no driver file when driverBytes is null).
void PrepareDiskette(const char* driverBytes);

bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);

class SetupProcess {
public:
    SetupProcess() = default;
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;
    ~SetupProcess();  // ends the process if a failed test left it running

    // Ends the process if it is still running (a failed test) and waits for it.
    void End();

    // Starts exePath with the command tail, in workingDir (may be empty).
    // The program inherits this process's locale: under Wine a child takes the
    // locale its parent was started with (LC_ALL of the test run), whatever
    // its environment block says. The program's windows are made unmanaged
    // (a Wine setting for its file name): without a window manager Wine
    // otherwise waits 2 s each time one of them is hidden.
    bool Start(const std::string& exePath, const std::string& tail, const std::string& workingDir = "");

    // Waits for the process to end; returns true and the full exit code.
    bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = DefaultWaitMs);
    bool Running() const;
    DWORD Id() const { return info.dwProcessId; }

private:
    PROCESS_INFORMATION info = {};
};

// Waits for the process to end while watching its windows. Returns true and
// the full exit code when it ended without showing a window of the kind (any
// visible window, or a message box); `except` is a window already on screen
// that may stay until the process ends. Returns false as soon as such a
// window shows, or when the process is still running at the time-out.
enum class Shown { AnyWindow, MessageBox };
bool ExitsShowingNothing(SetupProcess& process, Shown kind, DWORD* exitCode, HWND except = nullptr,
                         DWORD timeoutMs = DefaultWaitMs);

// The first visible top-level window of the process that matches; null when none does.
HWND FindProcessWindow(DWORD processId, const std::function<bool(HWND)>& matches);

// A window of the dialog class (#32770).
bool IsDialog(HWND window);

// The copy progress dialog has the Cancel button and, unlike the settings
// dialog, no Setup button. Its first copy starts 100 ms after it opens.
bool IsCopyDialog(HWND window);
HWND CopyDialog(DWORD processId);  // null while none shows

// Waits until the run ends or a message box appears, watching for the copy
// dialog meanwhile (when sawCopyDialog is given). Returns the message box, or
// null when the process ended; a time-out fails the test.
HWND WaitForEndOrMessage(SetupProcess& setup, bool* sawCopyDialog = nullptr);

// The run ends with the exit code and no message on the way.
void ExpectSilentEnd(SetupProcess& setup, DWORD expectedExitCode);

// Waits for a visible dialog (#32770) of the process holding a control with
// the given id; returns null on time-out.
HWND WaitForDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs = DefaultWaitMs);

// Waits for a message box of the process (a dialog with an OK button and the
// static text 65535).
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = DefaultWaitMs);

// True when no visible window of the process appears within waitMs.
bool NoWindowAppears(DWORD processId, DWORD waitMs);

// Waits until the window is gone.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = DefaultWaitMs);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int controlId);

enum class IconKind { None, Information, Exclamation, Question, Other };

// Prints the kind's name in test failure messages.
void PrintTo(IconKind kind, std::ostream* out);

struct MessageBoxContent {
    std::string title;
    std::string text;
    IconKind icon = IconKind::None;
};

// Reads the title, the text and the kind of icon of a message box.
MessageBoxContent ReadMessageBox(HWND box);

// Checks a message box's title and text and its exclamation icon, then
// presses Enter on it and waits until it is gone.
void ExpectMessageAndDismiss(HWND box, const char* title, const char* text);

// The kind of a system icon shown in a static control, judged by comparing its
// pixels with the system's own icons drawn the same way (Other: an icon that
// matches none of them; None: nothing painted). Reads again for up to 3 s
// while the control shows none of the system's icons, as it may not have
// painted yet.
IconKind ReadIconKind(HWND iconControl);

// The control that has the keyboard focus in the dialog's thread.
HWND FocusedControl(HWND dialog);

// A click on a button, as the button receives it.
void ClickButton(HWND dialog, int controlId);

// A key press on the focused control (down and up).
void PressKey(HWND dialog, UINT virtualKey);

// Alt+F4 on the focused control, as the keyboard delivers it.
void PressAltF4(HWND dialog);

// Characters typed into a control, one WM_CHAR each, as the keyboard sends them.
void TypeChars(HWND dialog, int controlId, const char* characters);

// Characters posted to a field where its caret stands, without clicking it.
void TypeMore(HWND dialog, int controlId, const char* characters);

// Waits up to 5 s until the field shows the text.
bool FieldShows(HWND dialog, int controlId, const std::string& text);

// Selects all of a field and deletes it with backspace, which both of the
// settings dialog's filters let through; fails the test unless it empties.
void ClearField(HWND dialog, int controlId);

// The text of a drop-down list's selected entry, "<none>" without one; the
// ANSI form of CB_GETLBTEXT does not cross processes.
std::string SelectedEntry(HWND dialog, int listId);

// Returns once the settings dialog's thread has handled everything posted to
// it before: a posted item-data change of the DMA list (unused by the
// program) is read back. A message box opened by an earlier message is on
// the screen by then.
bool Barrier(HWND settingsDialog);

// Replaces a field's text as a paste does (bypasses character filters).
void PasteText(HWND dialog, int controlId, const char* text);

// Waits until the condition holds; polls every 20 ms.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = DefaultWaitMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(20);
    }
}

// Registry helpers on HKEY_LOCAL_MACHINE.
bool ReadDword(const char* keyPath, const char* valueName, DWORD* value, DWORD* type = nullptr);
bool KeyExists(const char* keyPath);
void DeleteKeyTree(const char* keyPath);

extern const char* const kServiceKey;
extern const char* const kParametersKey;

}  // namespace e2e

#endif
