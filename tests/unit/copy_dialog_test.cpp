// The copy progress dialog, run modally. Its modal loop shows every message to a filter of the test first: at a
// chosen timer tick (the first copies the setup program, the second the driver, the third ends the dialog) the
// filter reads what the dialog shows, acts as the user or another program would and drops the tick, so the action
// comes first.
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

enum class Action {
    None,
    ClickCancel,
    Escape,
    Enter,             // presses the focused Cancel
    AltF4,
    LowBitsClose,      // WM_SYSCOMMAND SC_CLOSE with the window system's low bits set (0xF063), lParam 0
    WrongStepRequest,  // a request for the driver's step while the setup program's is due
};

// What the dialog shows, each read from the screen as a strip between margins of 30 pixels: the name's line and
// the target directory's from the client area's top, the bar (with a pixel around it) and the percent under it from
// the client area's middle. The bar is 28 pixels high.
struct Strip {
    int top;
    int height;
    bool fromMiddle;
    int widen;  // pixels beyond the margins on either side
};
constexpr Strip kNameLine = {10, 20, false, 0};
constexpr Strip kTargetLine = {30, 20, false, 0};
constexpr Strip kBar = {-1, 30, true, 1};
constexpr Strip kPercent = {30, 20, true, 0};
struct Shown {
    int width = 0;  // between the margins
    std::vector<DWORD> nameLine, targetLine, bar, percent;
};

// The filter's state: the hook has no other place to keep it.
struct Acting {
    int tick = 0;
    int at = 0;
    Action action = Action::None;
    Shown shown;
} acting;

std::vector<DWORD> Read(const RECT& client, const Strip& strip)
{
    const int middle = strip.fromMiddle ? (client.bottom - client.top) / 2 : 0;
    const int top = client.top + middle + strip.top;
    return ScreenPixels({client.left + 30 - strip.widen, top, client.right - 30 + strip.widen, top + strip.height});
}

void Act(HWND dialog, Action action)
{
    switch (action) {
    case Action::ClickCancel:
        Click(dialog, IDB_CANCEL);
        break;
    case Action::Escape:
        PressKey(dialog, VK_ESCAPE);
        break;
    case Action::Enter:
        PressKey(dialog, VK_RETURN);
        break;
    case Action::AltF4:
        PressKey(dialog, VK_F4, true);
        break;
    case Action::LowBitsClose:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE | 3, 0);
        break;
    case Action::WrongStepRequest:
        PostMessageA(dialog, kStepRequest, 1, 0);
        break;
    case Action::None:
        break;
    }
}

const char* Name(Action action)
{
    switch (action) {
    case Action::ClickCancel:
        return "a click on Cancel";
    case Action::Escape:
        return "Escape";
    case Action::Enter:
        return "Enter";
    case Action::AltF4:
        return "Alt+F4";
    case Action::LowBitsClose:
        return "a close with the low bits set";
    case Action::WrongStepRequest:
        return "a request for the wrong step";
    case Action::None:
        break;
    }
    return "nothing";
}

LRESULT CALLBACK ActAtTick(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code != MSGF_DIALOGBOX || msg->message != WM_TIMER) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    acting.tick += 1;
    if (acting.tick != acting.at) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HWND dialog = msg->hwnd;
    EXPECT_EQ(Focus(dialog), GetDlgItem(dialog, IDB_CANCEL));
    EXPECT_EQ(GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1)) << "Close in its menu";
    RECT client;
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    acting.shown.width = client.right - client.left - 60;
    acting.shown.nameLine = Read(client, kNameLine);
    acting.shown.targetLine = Read(client, kTargetLine);
    acting.shown.bar = Read(client, kBar);
    acting.shown.percent = Read(client, kPercent);
    Act(dialog, acting.action);
    return 1;
}

// "" when the pixels are the same, else where they first differ.
std::string Difference(const std::vector<DWORD>& shown, const std::vector<DWORD>& expected, int width)
{
    if (shown.size() != expected.size()) {
        return std::to_string(shown.size()) + " pixels read, " + std::to_string(expected.size()) + " drawn";
    }
    for (size_t index = 0; index < shown.size(); ++index) {
        if ((shown[index] & 0xFFFFFF) != (expected[index] & 0xFFFFFF)) {
            char where[96];
            snprintf(where, sizeof where, "row %d, column %d: 0x%06lX, drawn 0x%06lX", int(index / width),
                     int(index % width), shown[index] & 0xFFFFFF, expected[index] & 0xFFFFFF);
            return where;
        }
    }
    return "";
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

// One file per tick until the user ends the copy. At the tick acted at, the dialog shows the step before it: the
// copy prefix and the file's name, the target prefix and its directory, the bar filled by halves, the percent. A name
// or a directory that does not fit the scratch text of 220 characters leaves its line's prefix alone. A step request
// that does not match the dialog's step ends the copy as failed; a close ends it as cancelled.
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
        int at = 0;
        Action action = Action::None;
        Outcome outcome;
        int filesCopied;
        const InstallFile* setup = nullptr;
        const InstallFile* driver = nullptr;
        const char* nameLine = nullptr;
        const char* targetLine = nullptr;
        const char* percent = nullptr;
    } rows[] = {
        {.outcome = OutcomeDone, .filesCopied = 2},
        {.at = 1, .action = Action::Escape, .outcome = OutcomeDone, .filesCopied = 2, .nameLine = copyingSetup,
         .targetLine = toSystem, .percent = ""},
        {.at = 2, .action = Action::ClickCancel, .outcome = OutcomeCancelled, .filesCopied = 1,
         .nameLine = copyingDriver, .targetLine = toDrivers, .percent = "50 %"},
        {.at = 2, .action = Action::Enter, .outcome = OutcomeCancelled, .filesCopied = 1},
        {.at = 3, .action = Action::Enter, .outcome = OutcomeCancelled, .filesCopied = 2, .nameLine = copyingDriver,
         .targetLine = toDrivers, .percent = "100 %"},
        {.at = 3, .action = Action::AltF4, .outcome = OutcomeCancelled, .filesCopied = 2},
        {.at = 1, .action = Action::LowBitsClose, .outcome = OutcomeCancelled, .filesCopied = 0},
        {.at = 1, .action = Action::WrongStepRequest, .outcome = OutcomeFailed, .filesCopied = 0},
        {.at = 1, .action = Action::ClickCancel, .outcome = OutcomeCancelled, .filesCopied = 0, .setup = &longName,
         .nameLine = "Copying: ", .percent = ""},
        {.at = 2, .action = Action::ClickCancel, .outcome = OutcomeCancelled, .filesCopied = 1,
         .driver = &longDirectory, .nameLine = "Copying: x", .targetLine = "To: ", .percent = "50 %"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << Name(row.action) << " at tick " << row.at << (row.setup ? ", a long name" : "")
                                        << (row.driver ? ", a long directory" : ""));
        ASSERT_TRUE(ResetMachine());
        ASSERT_TRUE(WriteBytes(setupProgram.SourcePath(), "setup program"));
        ASSERT_TRUE(WriteBytes(driver.SourcePath(), "driver"));
        setupProgramRecord = row.setup ? *row.setup : setupProgram;
        driverRecord = row.driver ? *row.driver : driver;
        acting = Acting{0, row.at, row.action, Shown{}};  // no earlier run's pixels
        const HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, ActAtTick, nullptr, GetCurrentThreadId());
        const Outcome outcome = RunModalDialog(GetModuleHandleA(nullptr), DLG_COPY_PROGRESS_NAME, nullptr,
                                               CopyProgressDialog);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(outcome, row.outcome) << "outcome";
        EXPECT_GE(acting.tick, row.at) << "ticks";
        EXPECT_EQ(ReadBytes(setupProgram.TargetPath()) == "setup program", row.filesCopied >= 1) << "setup copied";
        EXPECT_EQ(ReadBytes(driver.TargetPath()) == "driver", row.filesCopied == 2) << "driver copied";

        const Shown& shown = acting.shown;
        const bool firstPaint = row.at == 1;
        if (row.nameLine) {
            EXPECT_EQ(Difference(shown.nameLine, DrawnText(shown.width, row.nameLine, firstPaint, false), shown.width),
                      "") << "the name's line does not show \"" << row.nameLine << '"';
        }
        if (row.targetLine) {
            const std::vector<DWORD> drawn = DrawnText(shown.width, row.targetLine, firstPaint, false);
            EXPECT_EQ(Difference(shown.targetLine, drawn, shown.width), "")
                << "the target's line does not show \"" << row.targetLine << '"';
        }
        if (row.percent) {
            const std::vector<DWORD> drawn = DrawnText(shown.width, row.percent, firstPaint, true);
            EXPECT_EQ(Difference(shown.percent, drawn, shown.width), "") << "the percent is not \"" << row.percent << '"';
            const int filled = shown.width * (row.at - 1) / 2;  // the bar shows the copies before the tick
            EXPECT_EQ(Difference(shown.bar, DrawnBar(shown.width, filled), shown.width + 2), "")
                << "the bar filled " << filled << " of " << shown.width << " pixels, in its frame";
        }
    }
    setupProgramRecord = setupProgram;
    driverRecord = driver;
}

}  // namespace
