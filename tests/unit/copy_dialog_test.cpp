// The copy progress dialog, run modally. Its modal loop shows every message to a filter of the test first: at a
// chosen timer tick (the first copies the setup program, the second the driver, the third ends the dialog) the
// filter reads what the dialog shows, acts as the user would and drops the tick, so the action comes first.
#include <gtest/gtest.h>

#include "config/install_file.h"
#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

int tick = 0, actAt = 0, actKey = 0;
std::vector<DWORD> shown[4];  // read before acting: the name's line, the target directory's, the bar, the percent

// Between margins of 30 pixels: top, height, 1 if from the client area's middle (the bar is 28 high from there).
constexpr int parts[4][3] = {{10, 20, 0}, {30, 20, 0}, {14, 1, 1}, {30, 20, 1}};

LRESULT CALLBACK ActAtTick(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code != MSGF_DIALOGBOX || msg->message != WM_TIMER || ++tick != actAt) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    EXPECT_EQ(Focus(msg->hwnd), GetDlgItem(msg->hwnd, IDB_CANCEL));
    EXPECT_EQ(GetMenuState(GetSystemMenu(msg->hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1));
    RECT client;
    GetClientRect(msg->hwnd, &client);
    MapWindowPoints(msg->hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (int part = 0; part < 4; ++part) {
        const int top = client.top + parts[part][2] * (client.bottom - client.top) / 2 + parts[part][0];
        shown[part] = ScreenPixels({client.left + 30, top, client.right - 30, top + parts[part][1]});
    }
    actKey ? PressKey(msg->hwnd, actKey, actKey == VK_F4) : Click(msg->hwnd, IDB_CANCEL);
    return 1;
}

// One file per tick until the user ends the copy. At the tick acted at, the dialog shows the step before it: the
// copy prefix and the file's name, the target prefix and its directory (on white at the first paint, then on the
// dialog's face), the bar filled by halves in the caption colour, the percent centred under it. A name or a directory
// that does not fit the scratch text of 220 characters leaves its line's prefix alone.
TEST(CopyDialog, CopiesOneFilePerTickAndShowsTheFileItsTargetDirectoryAndTheProgressUntilTheUserEndsIt)
{
    const InstallFile setupProgram("setupb.exe", nullptr), driver("vlncdrvr.sys", "drivers");
    const char *name[] = {"Copying: setupb.exe", "Copying: vlncdrvr.sys"}, *to[] = {"To: C:\\windows\\system32",
                                                                                "To: C:\\windows\\system32\\drivers"};
    // at: the tick acted at (0: none); key: the key pressed (VK_F4 with Alt; 0: a click on Cancel); copied: files
    // copied by the end; lines, percent: shown at that tick (a null text is not looked at).
    const struct { int at, key; Outcome outcome; int copied; InstallFile setup, driver; const char *lines[2], *percent;
    } rows[] = {{0, 0, OutcomeDone, 2, setupProgram, driver, {}, nullptr},
                {1, VK_ESCAPE, OutcomeDone, 2, setupProgram, driver, {name[0], to[0]}, ""},
                {2, 0, OutcomeCancelled, 1, setupProgram, driver, {name[1], to[1]}, "50 %"},
                {2, VK_RETURN, OutcomeCancelled, 1, setupProgram, driver, {}, nullptr},
                {3, VK_RETURN, OutcomeCancelled, 2, setupProgram, driver, {name[1], to[1]}, "100 %"},
                {3, VK_F4, OutcomeCancelled, 2, setupProgram, driver, {}, nullptr},
                {1, 0, OutcomeCancelled, 0, InstallFile(std::string(220, 'n').c_str(), nullptr), driver,
                 {"Copying: ", nullptr}, ""},
                {2, 0, OutcomeCancelled, 1, setupProgram, InstallFile("x", std::string(215, 'd').c_str()),
                 {"Copying: x", "To: "}, "50 %"}};
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "tick " << row.at << ", key " << row.key << ", " << row.setup.SourcePath());
        ASSERT_TRUE(ResetMachine() && WriteBytes(setupProgram.SourcePath(), "setup program") &&
                    WriteBytes(driver.SourcePath(), "driver"));
        setupProgramRecord = row.setup, driverRecord = row.driver, actAt = row.at, actKey = row.key;
        tick = 0;
        std::fill(std::begin(shown), std::end(shown), std::vector<DWORD>());  // no earlier run's pixels
        const HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, ActAtTick, nullptr, GetCurrentThreadId());
        EXPECT_EQ(RunModalDialog(GetModuleHandleA(nullptr), DLG_COPY_PROGRESS_NAME, nullptr, CopyProgressDialog),
                  row.outcome);
        UnhookWindowsHookEx(hook);
        EXPECT_GE(tick, row.at);
        EXPECT_EQ(ReadBytes(setupProgram.TargetPath()) == "setup program", row.copied >= 1);
        EXPECT_EQ(ReadBytes(driver.TargetPath()) == "driver", row.copied == 2);
        const int width = static_cast<int>(shown[2].size());
        for (int part : {0, 1, 3}) {
            const char* text = part == 3 ? row.percent : row.lines[part];
            const std::vector<DWORD> expected = Drawn(width, 20, [&](HDC memory) {
                RECT area = {0, 0, width, 20};
                FillRect(memory, &area, GetSysColorBrush(COLOR_3DFACE));
                SetTextColor(memory, part == 3 ? caption : 0);
                SetBkColor(memory, row.at == 1 ? RGB(255, 255, 255) : GetSysColor(COLOR_3DFACE));
                DrawTextA(memory, text ? text : "", -1, &area, part == 3 ? DT_CENTER : DT_LEFT);
            });
            EXPECT_TRUE(!text || shown[part] == expected) << "part " << part << " does not show \"" << text << '"';
        }
        std::string filled;  // '#' for each column of the bar in the caption colour
        for (DWORD pixel : shown[2]) {
            filled += (pixel & 0xFFFFFF) == RGB(GetBValue(caption), GetGValue(caption), GetRValue(caption)) ? '#' : '.';
        }
        const int half = row.percent ? width * (row.at - 1) / 2 : 0;  // the bar shows the copies before the tick
        EXPECT_TRUE(!row.percent || filled == std::string(half, '#') + std::string(width - half, '.')) << filled;
    }
    setupProgramRecord = setupProgram;
    driverRecord = driver;
}

}  // namespace
