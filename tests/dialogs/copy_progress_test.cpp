// The copy progress dialog, run as the settings dialog runs it: modal, over an
// owner of the settings dialog's size, on a thread of its own, and driven from
// the test's thread with the messages that a person's clicks and keys produce.
//
// A message filter on the dialog's thread can hold the timer ticks back while
// the dialog is in a chosen step, so that the step stays on the screen while
// the test looks at it; the ticks it lets through reach the dialog unchanged.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "flow/program_globals.h"
#include "resource.h"

namespace {

constexpr DWORD WaitLimitMs = 20000;
constexpr int NoHold = 100;   // no step has this value: every tick goes through
constexpr int HoldAll = 101;  // every tick is held back
constexpr int NotSettled = 102;
constexpr UINT WM_TESTMARKER = WM_APP + 7;  // wParam: sequence number; lParam: step to show, or NoHold

std::atomic<HWND> copyDialog{nullptr};
std::atomic<int> holdStep{NoHold};
std::atomic<int> markerSeen{0};
std::atomic<int> settledMarker{0};         // the last marker handled before a held tick,
std::atomic<int> settledStep{NotSettled};  // and the step at that tick
std::atomic<int> ticksDelivered{0};

// The dialog's modal loop shows every message to this filter before it
// dispatches it; a nonzero return drops the message.
LRESULT CALLBACK FilterDialogMessages(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code != MSGF_DIALOGBOX) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    const HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    if (GetWindow(root, GW_OWNER) != nullptr) {
        copyDialog = root;
    }
    if (msg->message == WM_TESTMARKER) {
        if (msg->lParam != NoHold) {
            copyStep.SetStep(static_cast<int>(msg->lParam));
            InvalidateRect(msg->hwnd, nullptr, TRUE);
        }
        settledStep = NotSettled;
        markerSeen = static_cast<int>(msg->wParam);
        return 1;
    }
    if (msg->message == WM_TIMER) {
        const int step = copyStep.GetStep();
        if (holdStep == HoldAll || holdStep == step) {
            // Paint requests come before timer messages: this step is on the screen.
            settledStep = step;
            settledMarker = markerSeen.load();
            return 1;
        }
        ++ticksDelivered;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// An owner of the settings dialog's size, style and font, from a template in memory.
#pragma pack(push, 2)
struct OwnerTemplate {
    DWORD style, extendedStyle;
    WORD itemCount;
    short x, y, cx, cy;
    WORD menu, windowClass, title, pointSize;
    WCHAR face[14];
};
#pragma pack(pop)
alignas(4) const OwnerTemplate ownerTemplate = {
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 100, 40, 190, 230,
    0, 0, 0, 8, L"MS Sans Serif"};

INT_PTR CALLBACK OwnerProcedure(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

template <typename Condition>
bool WaitFor(Condition condition)
{
    for (DWORD waited = 0; waited < WaitLimitMs && !condition(); waited += 5) {
        Sleep(5);
    }
    return condition();
}

class CopyDialogRun {
public:
    explicit CopyDialogRun(int hold)
    {
        copyDialog = nullptr;
        holdStep = hold;
        settledStep = NotSettled;
        ticksDelivered = 0;
        thread = CreateThread(nullptr, 0, RunDialog, this, 0, &threadId);
        // A run that fails at once may end before the test sees its window.
        WaitFor([this] { return copyDialog != nullptr || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; });
    }
    ~CopyDialogRun()
    {
        holdStep = NoHold;
        if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
            PostMessageA(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        WaitForSingleObject(thread, WaitLimitMs);
        CloseHandle(thread);
    }

    HWND Dialog() const { return copyDialog; }
    HWND Owner() const { return owner; }
    HWND Focus() const
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
    }
    void Hold(int step) { holdStep = step; }

    // Waits until the dialog has handled everything posted to it so far and
    // rests in step with its painting done; show first puts it into a step.
    bool Settle(int step, int show = NoHold)
    {
        static int markerCount = 0;
        const int marker = ++markerCount;
        PostMessageA(Dialog(), WM_TESTMARKER, static_cast<WPARAM>(marker), show);
        return WaitFor([&] { return settledMarker == marker && settledStep == step; });
    }

    // Lets every tick through; the outcome, or -1 when the dialog is still open at the limit.
    Outcome Result()
    {
        holdStep = NoHold;
        return WaitForSingleObject(thread, WaitLimitMs) == WAIT_OBJECT_0 ? outcome.load() : -1;
    }

private:
    static DWORD WINAPI RunDialog(void* parameter)
    {
        CopyDialogRun* run = static_cast<CopyDialogRun*>(parameter);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        const HHOOK filter = SetWindowsHookExA(WH_MSGFILTER, FilterDialogMessages, nullptr, GetCurrentThreadId());
        const HWND window = CreateDialogIndirectParamA(
            instance, reinterpret_cast<LPCDLGTEMPLATEA>(&ownerTemplate), nullptr, OwnerProcedure, 0);
        run->owner = window;
        run->outcome = RunModalDialog(instance, DLG_COPY_PROGRESS_NAME, window, CopyProgressDialog);
        DestroyWindow(window);
        UnhookWindowsHookEx(filter);
        return 0;
    }

    HANDLE thread = nullptr;
    DWORD threadId = 0;
    std::atomic<HWND> owner{nullptr};
    std::atomic<Outcome> outcome{-1};
};

// The product files: sources beside the test program, targets in the system directory.
std::string ProgramDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path);
    return program.substr(0, program.rfind('\\'));
}

std::string SystemDirectory()
{
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

const std::string setupSource = ProgramDirectory() + "\\setupb.exe";
const std::string driverSource = ProgramDirectory() + "\\vlncdrvr.sys";
const std::string setupTarget = SystemDirectory() + "\\setupb.exe";
const std::string driverTarget = SystemDirectory() + "\\drivers\\vlncdrvr.sys";

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(missing)");
}

void WriteWhole(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

class CopyProgress : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveAll();
        WriteWhole(setupSource, "setup program " + std::string(40000, '\x90'));
        WriteWhole(driverSource, "driver " + std::string(30000, '\xCC'));
    }
    void TearDown() override { RemoveAll(); }

    static void RemoveAll()
    {
        for (const std::string* path : {&setupSource, &driverSource, &setupTarget, &driverTarget}) {
            DeleteFileA(path->c_str());
        }
    }
    static bool SetupCopied() { return ReadWhole(setupTarget) == ReadWhole(setupSource); }
    static bool DriverCopied() { return ReadWhole(driverTarget) == ReadWhole(driverSource); }
};

TEST_F(CopyProgress, CopiesBothFilesOverExistingTargetsInThreeTicks)
{
    WriteWhole(setupTarget, "an older setup program");
    WriteWhole(driverTarget, "an older driver");
    CopyDialogRun run(NoHold);
    EXPECT_EQ(run.Result(), OutcomeDone);
    EXPECT_TRUE(SetupCopied());
    EXPECT_TRUE(DriverCopied());
    EXPECT_EQ(ticksDelivered, 3);
}

TEST_F(CopyProgress, MissingSetupSourceFailsWithoutTryingTheDriver)
{
    DeleteFileA(setupSource.c_str());
    CopyDialogRun run(NoHold);
    EXPECT_EQ(run.Result(), OutcomeFailed);
    EXPECT_EQ(GetFileAttributesA(setupTarget.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(driverTarget.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CopyProgress, DriverTargetInUseFailsAndKeepsTheCopiedSetupProgram)
{
    const std::string ready = "setupb-test-ready-" + std::to_string(GetCurrentProcessId());
    const std::string release = "setupb-test-release-" + std::to_string(GetCurrentProcessId());
    const HANDLE events[] = {CreateEventA(nullptr, TRUE, FALSE, ready.c_str()),
                             CreateEventA(nullptr, TRUE, FALSE, release.c_str())};
    std::string command = "\"" + ProgramDirectory() + "\\file_lock_helper.exe\" \"" + driverTarget + "\" " +
                          ready + " " + release;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION helper = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &helper));
    const bool locked = WaitForSingleObject(events[0], WaitLimitMs) == WAIT_OBJECT_0;
    Outcome outcome = -1;
    if (locked) {
        CopyDialogRun run(NoHold);
        outcome = run.Result();
    }
    SetEvent(events[1]);
    WaitForSingleObject(helper.hProcess, WaitLimitMs);
    for (HANDLE handle : {helper.hProcess, helper.hThread, events[0], events[1]}) {
        CloseHandle(handle);
    }
    ASSERT_TRUE(locked);
    EXPECT_EQ(outcome, OutcomeFailed);
    EXPECT_TRUE(SetupCopied());
    EXPECT_EQ(ReadWhole(driverTarget), "held");
}

TEST_F(CopyProgress, OpensCentredOverItsOwnerWithoutCloseInTheWindowMenu)
{
    CopyDialogRun run(StepCopySetup);
    ASSERT_TRUE(run.Settle(StepCopySetup));
    RECT dialog = {};
    RECT owner = {};
    GetWindowRect(run.Dialog(), &dialog);
    GetWindowRect(run.Owner(), &owner);
    const LONG width = dialog.right - dialog.left;
    const LONG height = dialog.bottom - dialog.top;
    // Narrower than the dialog, the owner gives way to the screen across; it is high enough to frame it.
    ASSERT_LT(owner.right - owner.left, width);
    ASSERT_GE(owner.bottom - owner.top, height);
    EXPECT_EQ(dialog.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(dialog.top, owner.top + (owner.bottom - owner.top - height) / 2);

    EXPECT_EQ(GetMenuState(GetSystemMenu(run.Dialog(), FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1));
    // The same question finds Close in the owner's menu.
    EXPECT_NE(GetMenuState(GetSystemMenu(run.Owner(), FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1));
}

enum class Action { Click, Enter, AltF4 };

TEST_F(CopyProgress, UserCloseEndsAsCancelledAndKeepsWhatWasCopied)
{
    const struct {
        const char* what;
        int atStep;
        Action action;
    } cases[] = {
        {"Cancel before the first tick", StepCopySetup, Action::Click},
        {"Cancel between the copies", StepCopyDriver, Action::Click},
        {"Enter between the copies", StepCopyDriver, Action::Enter},
        {"Enter after both copies", StepDone, Action::Enter},
        {"Alt+F4 before the first tick", StepCopySetup, Action::AltF4},
        {"Alt+F4 after both copies", StepDone, Action::AltF4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        CopyDialogRun run(c.atStep);
        ASSERT_TRUE(run.Settle(c.atStep));
        const HWND focus = run.Focus();
        ASSERT_EQ(focus, GetDlgItem(run.Dialog(), IDB_CANCEL));
        if (c.action == Action::Click) {
            PostMessageA(focus, BM_CLICK, 0, 0);
        } else if (c.action == Action::Enter) {
            PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        } else {
            PostMessageA(focus, WM_SYSKEYDOWN, VK_F4, 0x203E0001);  // bit 29: Alt is down
        }
        EXPECT_EQ(run.Result(), OutcomeCancelled);
        EXPECT_EQ(SetupCopied(), c.atStep >= StepCopyDriver);
        EXPECT_EQ(DriverCopied(), c.atStep == StepDone);
    }
}

TEST_F(CopyProgress, EscapeDoesNothing)
{
    CopyDialogRun run(StepCopySetup);
    ASSERT_TRUE(run.Settle(StepCopySetup));
    PostMessageA(run.Focus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ASSERT_TRUE(run.Settle(StepCopySetup));  // the key is handled and the dialog is still there
    EXPECT_EQ(run.Result(), OutcomeDone);
    EXPECT_TRUE(DriverCopied());
}

// Painting, read back from the dialog's pixels.
struct Image {
    int width;
    int height;
    std::vector<DWORD> pixels;  // 0x00RRGGBB in the low bytes, top row first
    COLORREF At(int x, int y) const
    {
        const DWORD pixel = pixels[y * width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
};

// Draws into a fresh memory context of the given size and reads the pixels back.
Image Draw(int width, int height, const std::function<void(HDC)>& draw)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    draw(memory);
    GdiFlush();
    const DWORD* first = static_cast<const DWORD*>(bits);
    Image image{width, height, std::vector<DWORD>(first, first + width * height)};
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return image;
}

// The window (whole = true) or its client area, as the window painted it.
Image Capture(HWND window, bool whole)
{
    RECT area = {};
    whole ? GetWindowRect(window, &area) : GetClientRect(window, &area);
    HDC dc = whole ? GetWindowDC(window) : GetDC(window);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    Image image = Draw(width, height, [&](HDC memory) { BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY); });
    ReleaseDC(window, dc);
    return image;
}

// Pixels of the shot at (left, top) that differ from the expected image.
int Differences(const Image& shot, int left, int top, const Image& expected)
{
    int count = 0;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            count += shot.At(left + x, top + y) != expected.At(x, y);
        }
    }
    return count;
}

std::string Catalogue(int offset)
{
    char text[260] = "";
    LoadStringA(GetModuleHandleA(nullptr), CATALOGUE_ORIGIN + uiLanguage.GetStringBase() + offset, text, 260);
    return text;
}

// Compares the two lines, the bar and the percentage with what a step must show.
void ExpectPainted(HWND dialog, const std::string& first, const std::string& second, int fillRight,
                   const char* percent)
{
    const Image shot = Capture(dialog, false);
    const int w = shot.width;
    const int barTop = shot.height / 2;
    const COLORREF background = shot.At(1, 1);
    // Text cells take the context's background colour, which the dialog's
    // erasing may have set; the top row of a cell holds no ink.
    const COLORREF cell = shot.At(30, 10);
    const auto backdrop = [&](HDC dc) {
        HBRUSH brush = CreateSolidBrush(background);
        const RECT all = {0, 0, w, 20};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        SetBkColor(dc, cell);
    };
    // The lines, in the context's default font and colours, at (30, 10) and (30, 30).
    for (const auto& [top, text] : {std::make_pair(10, first), std::make_pair(30, second)}) {
        const Image expected = Draw(w - 30, 20, [&](HDC dc) {
            backdrop(dc);
            TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
        });
        EXPECT_EQ(Differences(shot, 30, top, expected), 0) << "line \"" << text << "\"";
    }
    // The bar: black outline, white inside, the caption-coloured brush over both up to fillRight.
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    int wrong = 0;
    for (int y = barTop; y < barTop + 28; ++y) {
        for (int x = 30; x < w - 30; ++x) {
            const bool edge = x == 30 || x == w - 31 || y == barTop || y == barTop + 27;
            wrong += shot.At(x, y) != (x < fillRight ? caption : edge ? RGB(0, 0, 0) : RGB(255, 255, 255));
        }
    }
    EXPECT_EQ(wrong, 0) << "bar filled up to " << fillRight;
    // The percentage, centred below the bar in the caption colour; nothing at all when none.
    const Image expected = Draw(w - 60, 20, [&](HDC dc) {
        backdrop(dc);
        RECT box = {0, 0, w - 60, 20};
        SetTextColor(dc, caption);
        DrawTextA(dc, percent, -1, &box, DT_CENTER);
    });
    EXPECT_EQ(Differences(shot, 30, barTop + 30, expected), 0) << "percentage \"" << percent << "\"";
}

// With SETUPB_SCREENSHOT_DIR set, a painted step is also saved there as a BMP
// of the whole dialog window (scripts/screenshots-copy makes PNGs of them).
void SaveScreenshot(HWND dialog, const char* name)
{
    char directory[MAX_PATH] = "";
    if (GetEnvironmentVariableA("SETUPB_SCREENSHOT_DIR", directory, MAX_PATH) == 0) {
        return;
    }
    Image shot = Capture(dialog, true);
    for (DWORD& pixel : shot.pixels) {
        pixel |= 0xFF000000;  // opaque: readers may take the fourth byte as alpha
    }
    const DWORD bytes = static_cast<DWORD>(shot.pixels.size() * 4);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file = {0x4D42, offset + bytes, 0, 0, offset};
    const BITMAPINFOHEADER header = {sizeof header, shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::ofstream out(std::string(directory) + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(shot.pixels.data()), bytes);
}

TEST_F(CopyProgress, PaintsEachStep)
{
    const std::string copying = Catalogue(TXT_COPY_PREFIX);
    const std::string to = Catalogue(TXT_TARGET_PREFIX);
    const std::string drivers = SystemDirectory() + "\\drivers";
    CopyDialogRun run(StepCopySetup);
    ASSERT_TRUE(run.Settle(StepCopySetup));
    RECT client = {};
    GetClientRect(run.Dialog(), &client);

    ExpectPainted(run.Dialog(), copying + "setupb.exe", to + SystemDirectory(), 30, "");
    SaveScreenshot(run.Dialog(), "step0");
    run.Hold(StepCopyDriver);
    ASSERT_TRUE(run.Settle(StepCopyDriver));
    ExpectPainted(run.Dialog(), copying + "vlncdrvr.sys", to + drivers, 30 + (client.right - 60) / 2, "50 %");
    SaveScreenshot(run.Dialog(), "step1");
    run.Hold(StepDone);
    ASSERT_TRUE(run.Settle(StepDone));
    ExpectPainted(run.Dialog(), copying + "vlncdrvr.sys", to + drivers, client.right - 30, "100 %");
    SaveScreenshot(run.Dialog(), "step2");
    run.Hold(HoldAll);
    ASSERT_TRUE(run.Settle(StepAborted, StepAborted));
    ExpectPainted(run.Dialog(), "", "", 30, "");
    SaveScreenshot(run.Dialog(), "aborted");
    EXPECT_EQ(run.Result(), OutcomeFailed);  // the next tick in the aborted step ends it
}

TEST_F(CopyProgress, TextThatDoesNotFitLeavesThePrefixAlone)
{
    struct RestoreRecords {
        InstallFile setup = setupProgramRecord;
        InstallFile driver = driverRecord;
        ~RestoreRecords()
        {
            setupProgramRecord = setup;
            driverRecord = driver;
        }
    } restore;
    // A name, or a target directory, of 220 characters or more does not fit
    // the 220-character scratch text that the lines are completed from.
    setupProgramRecord = InstallFile(std::string(220, 'n').c_str(), nullptr);
    driverRecord = InstallFile("vlncdrvr.sys", std::string(215, 'd').c_str());
    const std::string driverTargetPath = driverRecord.TargetPath();
    ASSERT_GE(driverTargetPath.rfind('\\'), 220u);
    // Empty when the long source path did not fit, and then the second line is the prefix alone too.
    const std::string setupTargetPath = setupProgramRecord.TargetPath();
    const std::string setupDirectory = setupTargetPath.substr(0, setupTargetPath.rfind('\\'));
    const std::string copying = Catalogue(TXT_COPY_PREFIX);
    const std::string to = Catalogue(TXT_TARGET_PREFIX);

    CopyDialogRun run(HoldAll);
    ASSERT_TRUE(run.Settle(StepCopySetup, StepCopySetup));
    ExpectPainted(run.Dialog(), copying, to + setupDirectory, 30, "");
    ASSERT_TRUE(run.Settle(StepCopyDriver, StepCopyDriver));
    RECT client = {};
    GetClientRect(run.Dialog(), &client);
    ExpectPainted(run.Dialog(), copying + "vlncdrvr.sys", to, 30 + (client.right - 60) / 2, "50 %");
    PostMessageA(GetDlgItem(run.Dialog(), IDB_CANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(run.Result(), OutcomeCancelled);
}

}  // namespace
