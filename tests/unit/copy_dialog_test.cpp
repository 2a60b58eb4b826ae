// The copy progress dialog, run modally. Its modal loop shows every message to a filter of the test first: at a chosen
// timer tick (the first copies the setup program, the second the driver, the third ends the dialog) the filter reads
// what the dialog shows, acts as the user or another program would and drops the tick, so the action comes first.
#include <gtest/gtest.h>

#include "config/install_file.h"
#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

// The dialog's own request to copy the file of step wParam (0 the setup program, 1 the driver), posted at each tick.
constexpr UINT kStepRequest = WM_USER + 1;

struct Action { const char* name; void (*act)(HWND dialog); };  // what the user or another program does at the tick
const Action kNothing = {"nothing", [](HWND) {}};
const Action kClickCancel = {"a click on Cancel", [](HWND dialog) { Click(dialog, IDB_CANCEL); }};
const Action kEscape = {"Escape", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }};
const Action kEnter = {"Enter", [](HWND dialog) { PressKey(dialog, VK_RETURN); }};  // presses the focused Cancel
const Action kAltF4 = {"Alt+F4", [](HWND dialog) { PressKey(dialog, VK_F4, true); }};
const Action kLowBitsClose = {"a close with the window system's low bits set",
                              [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE | 3, 0); }};
const Action kWrongStep = {"a request for the driver's step while the setup program's is due",
                           [](HWND dialog) { PostMessageA(dialog, kStepRequest, 1, 0); }};

// What the dialog shows, read from the screen between margins of 30 pixels: the name's line and the target
// directory's, 20 pixels high at 10 and 30 from the client area's top; the bar, 28 high from its middle (read with
// the pixel around it); the percent, 20 high at 30 from the middle.
struct Shown { int width = 0; std::vector<DWORD> nameLine, targetLine, bar, percent; };  // width: between the margins

// The filter's state: the hook has no other place to keep it.
struct Acting { int tick = 0; int at = 0; Action action = kNothing; Shown shown; } acting;

LRESULT CALLBACK ActAtTick(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code != MSGF_DIALOGBOX || msg->message != WM_TIMER) return CallNextHookEx(nullptr, code, wParam, lParam);
    acting.tick += 1;
    if (acting.tick != acting.at) return CallNextHookEx(nullptr, code, wParam, lParam);
    HWND dialog = msg->hwnd;
    EXPECT_EQ(Focus(dialog), GetDlgItem(dialog, IDB_CANCEL));
    EXPECT_EQ(GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1)) << "Close in its menu";
    RECT client;
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int left = client.left + 30, right = client.right - 30;
    const int middle = client.top + (client.bottom - client.top) / 2;
    acting.shown.width = right - left;
    acting.shown.nameLine = ScreenPixels({left, client.top + 10, right, client.top + 30});
    acting.shown.targetLine = ScreenPixels({left, client.top + 30, right, client.top + 50});
    acting.shown.bar = ScreenPixels({left - 1, middle - 1, right + 1, middle + 29});
    acting.shown.percent = ScreenPixels({left, middle + 30, right, middle + 50});
    acting.action.act(dialog);
    return 1;
}

// A line of text as the dialog draws it on its face: the copy dialog's lines in black, on white at its first paint;
// the percent centred in the caption colour.
std::vector<DWORD> DrawnText(int width, const char* text, bool firstPaint, bool percent)
{
    return Drawn(width, 20, [&](HDC memory) {
        RECT area = {0, 0, width, 20};
        FillRect(memory, &area, GetSysColorBrush(COLOR_3DFACE));
        SetTextColor(memory, percent ? GetSysColor(COLOR_ACTIVECAPTION) : RGB(0, 0, 0));
        SetBkColor(memory, firstPaint ? RGB(255, 255, 255) : GetSysColor(COLOR_3DFACE));
        DrawTextA(memory, text, -1, &area, percent ? DT_CENTER : DT_LEFT);
    });
}

// The bar with the pixel around it: a black frame on white, filled from the left in the caption colour.
std::vector<DWORD> DrawnBar(int width, int filled)
{
    return Drawn(width + 2, 30, [&](HDC memory) {
        const RECT around = {0, 0, width + 2, 30};
        FillRect(memory, &around, GetSysColorBrush(COLOR_3DFACE));
        Rectangle(memory, 1, 1, width + 1, 29);
        const RECT fill = {1, 1, 1 + filled, 29};
        HBRUSH caption = CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION));
        FillRect(memory, &fill, caption);
        DeleteObject(caption);
    });
}

// One file per tick until the user ends the copy. At the tick acted at, the dialog shows the step before it: the copy
// prefix and the file's name, the target prefix and its directory, the bar filled by halves, the percent. A name or a
// directory that does not fit the scratch text of 220 characters leaves its line's prefix alone. A step request that
// does not match the dialog's step ends the copy as failed; a close ends it as cancelled.
TEST(CopyDialog, CopiesOneFilePerTickAndShowsTheFileItsTargetDirectoryAndTheProgressUntilTheUserEndsIt)
{
    const InstallFile setupProgram("setupb.exe", nullptr);
    const InstallFile driver("vlncdrvr.sys", "drivers");
    const InstallFile longName(std::string(220, 'n').c_str(), nullptr);
    const InstallFile longDirectory("x", std::string(215, 'd').c_str());
    const char* copyingSetup = "Copying: setupb.exe";
    const char* copyingDriver = "Copying: vlncdrvr.sys";
    const char* toSystem = "To: C:\\windows\\system32";
    const char* toDrivers = "To: C:\\windows\\system32\\drivers";
    // at: the tick acted at (0: none). The lines and the percent shown then; a null text is not looked at, and the
    // bar is looked at where the percent is.
    const struct Row {
        int at = 0; Action action = kNothing; Outcome outcome; int filesCopied;
        const InstallFile* setup = nullptr; const InstallFile* driver = nullptr;  // else setupProgram, driver
        const char* nameLine = nullptr; const char* targetLine = nullptr; const char* percent = nullptr;
    } rows[] = {
        {.outcome = OutcomeDone, .filesCopied = 2},
        {.at = 1, .action = kEscape, .outcome = OutcomeDone, .filesCopied = 2, .nameLine = copyingSetup,
         .targetLine = toSystem, .percent = ""},
        {.at = 2, .action = kClickCancel, .outcome = OutcomeCancelled, .filesCopied = 1,
         .nameLine = copyingDriver, .targetLine = toDrivers, .percent = "50 %"},
        {.at = 2, .action = kEnter, .outcome = OutcomeCancelled, .filesCopied = 1},
        {.at = 3, .action = kEnter, .outcome = OutcomeCancelled, .filesCopied = 2, .nameLine = copyingDriver,
         .targetLine = toDrivers, .percent = "100 %"},
        {.at = 3, .action = kAltF4, .outcome = OutcomeCancelled, .filesCopied = 2},
        {.at = 1, .action = kLowBitsClose, .outcome = OutcomeCancelled, .filesCopied = 0},
        {.at = 1, .action = kWrongStep, .outcome = OutcomeFailed, .filesCopied = 0},
        {.at = 1, .action = kClickCancel, .outcome = OutcomeCancelled, .filesCopied = 0, .setup = &longName,
         .nameLine = "Copying: ", .percent = ""},
        {.at = 2, .action = kClickCancel, .outcome = OutcomeCancelled, .filesCopied = 1,
         .driver = &longDirectory, .nameLine = "Copying: x", .targetLine = "To: ", .percent = "50 %"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.action.name << " at tick " << row.at
                     << (row.setup ? ", a long name" : "") << (row.driver ? ", a long directory" : ""));
        ASSERT_TRUE(ResetMachine());
        ASSERT_TRUE(WriteBytes(setupProgram.SourcePath(), "setup program"));
        ASSERT_TRUE(WriteBytes(driver.SourcePath(), "driver"));
        setupProgramRecord = row.setup ? *row.setup : setupProgram;
        driverRecord = row.driver ? *row.driver : driver;
        acting = Acting{.tick = 0, .at = row.at, .action = row.action, .shown = {}};  // no earlier run's pixels
        const HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, ActAtTick, nullptr, GetCurrentThreadId());
        const Outcome outcome = RunModalDialog(GetModuleHandleA(nullptr), DLG_COPY_PROGRESS_NAME, nullptr,
                                               CopyProgressDialog);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(outcome, row.outcome) << "outcome";
        EXPECT_GE(acting.tick, row.at) << "ticks";
        EXPECT_EQ(ReadBytes(setupProgram.TargetPath()) == "setup program", row.filesCopied >= 1) << "setup copied";
        EXPECT_EQ(ReadBytes(driver.TargetPath()) == "driver", row.filesCopied == 2) << "driver copied";

        const Shown& shown = acting.shown;
        const auto expectLine = [&](const char* line, const auto& pixels, const char* text, bool percent) {
            EXPECT_TRUE(text == nullptr || pixels == DrawnText(shown.width, text, row.at == 1, percent))
                << line << " does not show \"" << text << '"';
        };
        expectLine("the name's line", shown.nameLine, row.nameLine, false);
        expectLine("the target's line", shown.targetLine, row.targetLine, false);
        expectLine("the percent", shown.percent, row.percent, true);
        const int filled = shown.width * (row.at - 1) / 2;  // the bar shows the copies before the tick
        EXPECT_TRUE(row.percent == nullptr || shown.bar == DrawnBar(shown.width, filled))
            << "the bar in its frame is not filled " << filled << " of " << shown.width << " pixels";
    }
    setupProgramRecord = setupProgram;
    driverRecord = driver;
}

}  // namespace
