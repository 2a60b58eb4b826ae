// The copy progress dialog, run modally. Its modal loop shows every message to
// a filter of the test first: at a timer tick in a chosen step the filter acts
// as the user would and drops the tick, so the action comes before the next copy.
#include <gtest/gtest.h>

#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "flow/program_globals.h"
#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

constexpr int NoStep = 100;  // no step has this value
int actAt = NoStep;
UINT actKey = 0;  // VK_F4 comes with Alt; 0: a click on Cancel

Outcome RunCopyDialog(HOOKPROC filter)
{
    const HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, filter, nullptr, GetCurrentThreadId());
    const Outcome outcome =
        RunModalDialog(GetModuleHandleA(nullptr), DLG_COPY_PROGRESS_NAME, nullptr, CopyProgressDialog);
    UnhookWindowsHookEx(hook);
    return outcome;
}

LRESULT CALLBACK ActOnce(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code != MSGF_DIALOGBOX || msg->message != WM_TIMER || copyStep.GetStep() != actAt) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    EXPECT_EQ(Focus(msg->hwnd), GetDlgItem(msg->hwnd, IDB_CANCEL));
    EXPECT_EQ(GetMenuState(GetSystemMenu(msg->hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1));
    if (actKey == 0) {
        Click(msg->hwnd, IDB_CANCEL);
    } else {
        PressKey(msg->hwnd, actKey, actKey == VK_F4);
    }
    actAt = NoStep;
    return 1;
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
        {"three ticks", NoStep, 0, OutcomeDone, true, true},
        {"Escape does nothing", StepCopySetup, VK_ESCAPE, OutcomeDone, true, true},
        {"Cancel between the copies", StepCopyDriver, 0, OutcomeCancelled, true, false},
        {"Enter between the copies", StepCopyDriver, VK_RETURN, OutcomeCancelled, true, false},
        {"Enter after both copies", StepDone, VK_RETURN, OutcomeCancelled, true, true},
        {"Alt+F4 after both copies", StepDone, VK_F4, OutcomeCancelled, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        actAt = row.at;
        actKey = row.key;
        EXPECT_EQ(RunCopyDialog(ActOnce), row.outcome);
        EXPECT_EQ(actAt, NoStep) << "never in the step to act in";
        EXPECT_EQ(ReadBytes(setupProgramRecord.TargetPath()) == "setup program", row.setupCopied);
        EXPECT_EQ(ReadBytes(driverRecord.TargetPath()) == "driver", row.driverCopied);
    }
}

std::vector<DWORD> lines[2];  // the painted line of the name in the first step, of the directory in the second

// Reads the line of each step (the two lines stand in the top quarter) and
// moves on without copying; Cancel after the second.
LRESULT CALLBACK ReadLines(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    const int step = copyStep.GetStep();
    if (code != MSGF_DIALOGBOX || msg->message != WM_TIMER || (step != StepCopySetup && step != StepCopyDriver)) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    RECT line;
    GetClientRect(msg->hwnd, &line);
    MapWindowPoints(msg->hwnd, nullptr, reinterpret_cast<POINT*>(&line), 2);
    line.top += step * (line.bottom - line.top) / 8;
    line.bottom = line.top + (line.bottom - line.top) / 8;
    lines[step] = ScreenPixels(line);
    copyStep.SetStep(StepCopyDriver);
    InvalidateRect(msg->hwnd, nullptr, TRUE);
    if (step == StepCopyDriver) {
        Click(msg->hwnd, IDB_CANCEL);
    }
    return 1;
}

// The lines are completed from a scratch text of 220 characters: a name or a
// target directory that does not fit it leaves the line's prefix alone, as a
// record without a name or without a target directory does.
TEST_F(CopyDialog, TextsThatDoNotFitTheScratchLeaveThePrefixAlone)
{
    const InstallFile setupProgram = setupProgramRecord, driver = driverRecord;
    std::vector<DWORD> shown[2][2];
    for (int tooLong = 0; tooLong < 2; ++tooLong) {
        setupProgramRecord = InstallFile(tooLong ? std::string(220, 'n').c_str() : "", nullptr);
        driverRecord = tooLong ? InstallFile("x", std::string(215, 'd').c_str())
                               : InstallFile(std::string(PathCapacity, 'n').c_str(), nullptr);
        EXPECT_EQ(RunCopyDialog(ReadLines), OutcomeCancelled);
        std::copy(std::begin(lines), std::end(lines), shown[tooLong]);
    }
    setupProgramRecord = setupProgram;
    driverRecord = driver;
    EXPECT_TRUE(!shown[0][0].empty() && shown[0][0] == shown[1][0]) << "a name of 220 characters";
    EXPECT_TRUE(!shown[0][1].empty() && shown[0][1] == shown[1][1]) << "a target directory of 235 characters";
}

}  // namespace
