// The copy progress dialog, run modally. Its modal loop shows every message to a filter of the test first: at a
// chosen timer tick (the first copies the setup program, the second the driver, the third ends the dialog) the
// filter acts as the user would and drops the tick, so the action comes first.
#include <gtest/gtest.h>

#include "config/install_file.h"
#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

int tick = 0, actAt = 0;
UINT actKey = 0;                 // VK_F4 comes with Alt; 0: a click on Cancel
std::vector<DWORD> readLine[2];  // read instead of acting: the name's line, the target directory's

LRESULT CALLBACK ActAtTick(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code != MSGF_DIALOGBOX || msg->message != WM_TIMER || ++tick != actAt) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    EXPECT_EQ(Focus(msg->hwnd), GetDlgItem(msg->hwnd, IDB_CANCEL));
    EXPECT_EQ(GetMenuState(GetSystemMenu(msg->hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1));
    RECT line;  // the two lines stand in the top quarter of the client area
    GetClientRect(msg->hwnd, &line);
    MapWindowPoints(msg->hwnd, nullptr, reinterpret_cast<POINT*>(&line), 2);
    line.top += (tick - 1) * (line.bottom - line.top) / 8;
    line.bottom = line.top + (line.bottom - line.top) / 8;
    readLine[(tick - 1) & 1] = ScreenPixels(line);
    actKey ? PressKey(msg->hwnd, actKey, actKey == VK_F4) : Click(msg->hwnd, IDB_CANCEL);
    return 1;
}

Outcome RunCopyDialog()
{
    tick = 0;
    const HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, ActAtTick, nullptr, GetCurrentThreadId());
    const Outcome outcome =
        RunModalDialog(GetModuleHandleA(nullptr), DLG_COPY_PROGRESS_NAME, nullptr, CopyProgressDialog);
    UnhookWindowsHookEx(hook);
    return outcome;
}

class CopyDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ResetMachine() && WriteBytes(setupProgramRecord.SourcePath(), "setup program") &&
                    WriteBytes(driverRecord.SourcePath(), "driver"));
    }
};

// One file per tick, until the user ends the copy.
TEST_F(CopyDialog, CopiesOneFilePerTickUntilTheUserEndsIt)
{
    const struct {
        const char* what;
        int at;
        UINT key;
        Outcome outcome;
        bool setupCopied, driverCopied;
    } rows[] = {
        {"three ticks", 0, 0, OutcomeDone, true, true},
        {"Escape does nothing", 1, VK_ESCAPE, OutcomeDone, true, true},
        {"Cancel between the copies", 2, 0, OutcomeCancelled, true, false},
        {"Enter between the copies", 2, VK_RETURN, OutcomeCancelled, true, false},
        {"Enter after both copies", 3, VK_RETURN, OutcomeCancelled, true, true},
        {"Alt+F4 after both copies", 3, VK_F4, OutcomeCancelled, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        actAt = row.at;
        actKey = row.key;
        EXPECT_EQ(RunCopyDialog(), row.outcome);
        EXPECT_GE(tick, row.at);
        EXPECT_EQ(ReadBytes(setupProgramRecord.TargetPath()) == "setup program", row.setupCopied);
        EXPECT_EQ(ReadBytes(driverRecord.TargetPath()) == "driver", row.driverCopied);
    }
}

// The lines are completed from a scratch text of 220 characters: a name or a
// target directory that does not fit it leaves the line's prefix alone, as a
// record without a name or without a target directory does. The name's line
// is read before the first tick, the directory's after the setup program's copy.
TEST_F(CopyDialog, TextsThatDoNotFitTheScratchLeaveThePrefixAlone)
{
    const InstallFile setupProgram = setupProgramRecord, driver = driverRecord;
    const InstallFile unfit(std::string(PathCapacity, 'n').c_str(), nullptr);
    const struct {
        InstallFile setup, driver;
    } rows[] = {{InstallFile("", nullptr), driver},
                {InstallFile(std::string(220, 'n').c_str(), nullptr), driver},
                {setupProgram, unfit},
                {setupProgram, InstallFile("x", std::string(215, 'd').c_str())}};
    std::vector<DWORD> shown[4];
    for (int row = 0; row < 4; ++row) {
        setupProgramRecord = rows[row].setup;
        driverRecord = rows[row].driver;
        actAt = 1 + row / 2;
        actKey = 0;
        EXPECT_EQ(RunCopyDialog(), OutcomeCancelled);
        shown[row] = readLine[row / 2];
    }
    setupProgramRecord = setupProgram;
    driverRecord = driver;
    EXPECT_TRUE(!shown[0].empty() && shown[0] == shown[1]) << "a name of 220 characters";
    EXPECT_TRUE(!shown[2].empty() && shown[2] == shown[3]) << "a target directory of 235 characters";
}

}  // namespace
