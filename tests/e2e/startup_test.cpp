// Start-up of setupb.exe from the diskette and from the system directory, with
// and without an installed driver, in each run mode; and the question that an
// interactive run from the diskette asks when a driver is already installed.
#include <gtest/gtest.h>

#include "harness.h"
#include "resource.h"

namespace {

using namespace e2e;

const char kDisketteDriver[] = "driver image on the diskette";
const char kInstalledDriver[] = "driver image installed earlier";
const char kInstalledSetup[] = "setup program installed earlier";
const char kTitle[] = "VELNARI Device Driver Setup";
const char kFailedText[] = "Failed to install the VELNARI adapter.";
const char kRestartText[] = "The changes you have made will not take effedt until the computer is restarted.";
const char kQuestion[] =
    "The driver for this VELNARI Adapter are already on the system. Do you want to use the currently installed "
    "driver or install new one.";

// Where the program is started from.
enum class From {
    Diskette,         // A:\setupb.exe, the driver file beside it unless told otherwise
    SystemDir,        // the installed setupb.exe, another driver image beside it
    RenamedDiskette,  // A:\install.exe with the driver file, no setupb.exe beside it
};

// A last-write time that no copy made during the test can carry.
const FILETIME kOldTime = {0x2A3B0000, 0x01C08D8F};

FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetLastWriteTime(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    SetFileTime(file, nullptr, nullptr, &kOldTime);
    CloseHandle(file);
}

std::string Bytes(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
    return bytes;
}

std::string BuiltSetupBytes()
{
    return Bytes(BuiltSetupPath());
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { RemoveTestFiles(); }
    void TearDown() override
    {
        setup.End();  // a failed test may leave it running
        RemoveTestFiles();
    }

    static void RemoveTestFiles()
    {
        ResetInstalledState();
        DeleteFileA((SystemDir() + "\\vlncdrvr.sys").c_str());
        DeleteFileA("A:\\install.exe");
    }

    // Lays out the machine and starts the program; driverInstalled puts an
    // old driver (and, for a diskette run, an old setup program) in place.
    void Launch(From from, bool driverOnDiskette, bool driverInstalled, const char* tail)
    {
        if (driverInstalled) {
            ASSERT_TRUE(WriteFileBytes(InstalledDriverPath(), kInstalledDriver));
            SetLastWriteTime(InstalledDriverPath());
        }
        std::string program = "A:\\setupb.exe";
        std::string folder = "A:\\";
        if (from == From::SystemDir) {
            ASSERT_TRUE(CopyFileA(BuiltSetupPath().c_str(), InstalledSetupPath().c_str(), FALSE));
            // A driver image beside the program: a copy that must not happen would show.
            ASSERT_TRUE(WriteFileBytes(SystemDir() + "\\vlncdrvr.sys", kDisketteDriver));
            program = InstalledSetupPath();
            folder = SystemDir();
        } else {
            PrepareDiskette(driverOnDiskette ? kDisketteDriver : nullptr);
            if (driverInstalled) {
                ASSERT_TRUE(WriteFileBytes(InstalledSetupPath(), kInstalledSetup));
            }
            if (from == From::RenamedDiskette) {
                ASSERT_TRUE(MoveFileA("A:\\setupb.exe", "A:\\install.exe"));
                program = "A:\\install.exe";
            }
        }
        installedSetupBefore = FileExists(InstalledSetupPath()) ? Bytes(InstalledSetupPath()) : "";
        ASSERT_TRUE(setup.Start(program, tail, folder));
    }

    // The files in the system directory are still the ones from before the run.
    void ExpectInstalledFilesKept()
    {
        EXPECT_EQ(Bytes(InstalledDriverPath()), kInstalledDriver);
        const FILETIME written = LastWriteTime(InstalledDriverPath());
        EXPECT_EQ(CompareFileTime(&written, &kOldTime), 0) << "the installed driver was rewritten";
        EXPECT_EQ(Bytes(InstalledSetupPath()), installedSetupBefore);
    }

    static void ExpectFilesCopiedFromDiskette()
    {
        EXPECT_EQ(Bytes(InstalledDriverPath()), kDisketteDriver);
        EXPECT_EQ(Bytes(InstalledSetupPath()), BuiltSetupBytes());
    }

    // The settings dialog was confirmed with its defaults (nothing was stored).
    static void ExpectDefaultsRegistered()
    {
        const struct {
            const char* name;
            DWORD value;
        } expected[] = {{"DMAChannel", 5}, {"IRQChannel", 10}, {"IOPortAddress", 0x300},
                        {"BufferSize", 20}, {"AudioMode", 0},  {"DoorLock", 0}};
        for (const auto& row : expected) {
            DWORD value = 0xFFFFFFFF;
            EXPECT_TRUE(ReadDword(kParametersKey, row.name, &value)) << row.name;
            EXPECT_EQ(value, row.value) << row.name;
        }
        DWORD type = 0;
        EXPECT_TRUE(ReadDword(kServiceKey, "Type", &type));
        EXPECT_EQ(type, 1u);
    }

    // The closing message box: its title, text and icon; then OK.
    static void ExpectClosingMessage(HWND box, const char* text, IconKind icon)
    {
        ASSERT_NE(box, nullptr) << "no closing message";
        const MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ(content.title, kTitle);
        EXPECT_EQ(content.text, text);
        EXPECT_EQ(content.icon, icon);
        PressKey(box, VK_RETURN);
    }

    // The run ends by itself with the exit code and shows no further window.
    void ExpectExitShowingNothing(DWORD expectedCode, HWND stillShown = nullptr)
    {
        DWORD exitCode = 0xDEADBEEF;
        ASSERT_TRUE(ExitsShowingNothing(setup, Shown::AnyWindow, &exitCode, stillShown))
            << "a window showed, or the program did not end";
        EXPECT_EQ(exitCode, expectedCode);
    }

    SetupProcess setup;
    std::string installedSetupBefore;
};

// Runs that end in the pre-flight: the exit code, and the install-failed
// message only where an interactive run fails.
struct RefusedRun {
    const char* name;
    From from;
    bool driverOnDiskette;
    bool driverInstalled;
    const char* tail;
    bool failedMessage;
    DWORD exitCode;
};

const RefusedRun kRefusedRuns[] = {
    {"DisketteWithoutDriverFile", From::Diskette, false, false, "", true, 1},
    {"SystemDirWithoutInstalledDriver", From::SystemDir, false, false, "", true, 1},
    {"RenamedWithoutSetupBeside", From::RenamedDiskette, true, false, "", true, 1},
    {"RenamedWithoutSetupBesideInInstallMode", From::RenamedDiskette, true, false, "1", false, 1},
    {"InstallModeFromSystemDir", From::SystemDir, false, true, "1", false, 2},
    {"InstallModeWithoutDriverFile", From::Diskette, false, false, "1", false, 2},
    {"TwelveIsInstallModeFromSystemDir", From::SystemDir, false, true, "12", false, 2},
    {"ReconfigureModeFromDiskette", From::Diskette, true, true, "2", false, 2},
    {"ReconfigureModeWithoutInstalledDriver", From::SystemDir, false, false, "2", false, 2},
};

void PrintTo(const RefusedRun& run, std::ostream* out)
{
    *out << run.name;
}

class Refused : public Startup, public ::testing::WithParamInterface<RefusedRun> {};

TEST_P(Refused, EndsBeforeAnyDialogAndWritesNothing)
{
    const RefusedRun& run = GetParam();
    ASSERT_NO_FATAL_FAILURE(Launch(run.from, run.driverOnDiskette, run.driverInstalled, run.tail));
    HWND box = nullptr;
    if (run.failedMessage) {
        box = WaitForMessageBox(setup.Id());
        ASSERT_NO_FATAL_FAILURE(ExpectClosingMessage(box, kFailedText, IconKind::Exclamation));
    }
    ASSERT_NO_FATAL_FAILURE(ExpectExitShowingNothing(run.exitCode, box));
    EXPECT_FALSE(KeyExists(kServiceKey));
    if (run.driverInstalled) {
        ExpectInstalledFilesKept();
    } else {
        EXPECT_FALSE(FileExists(InstalledDriverPath()));
    }
}

INSTANTIATE_TEST_SUITE_P(Preflight, Refused, ::testing::ValuesIn(kRefusedRuns),
                         [](const ::testing::TestParamInfo<RefusedRun>& info) { return info.param.name; });

// Runs that reach the settings dialog and are confirmed with Setup.
enum class Answer { NotAsked, Current, EnterKey, New };

struct ConfirmedRun {
    const char* name;
    From from;
    const char* tail;
    Answer answer;
    bool copies;
    bool restartNotice;
};

const ConfirmedRun kConfirmedRuns[] = {
    {"SystemDirWithDriverOnlyReconfigures", From::SystemDir, "", Answer::NotAsked, false, true},
    {"ReconfigureModeFromSystemDir", From::SystemDir, "2", Answer::NotAsked, false, false},
    {"InstallModeOverwritesUnasked", From::Diskette, "1", Answer::NotAsked, true, false},
    {"CurrentKeepsInstalledFiles", From::Diskette, "", Answer::Current, false, true},
    {"EnterChoosesCurrent", From::Diskette, "", Answer::EnterKey, false, true},
    {"NewReplacesInstalledFiles", From::Diskette, "", Answer::New, true, true},
};

void PrintTo(const ConfirmedRun& run, std::ostream* out)
{
    *out << run.name;
}

class Confirmed : public Startup, public ::testing::WithParamInterface<ConfirmedRun> {};

TEST_P(Confirmed, SettingsDialogThenRegistrationWithOrWithoutCopy)
{
    const ConfirmedRun& run = GetParam();
    ASSERT_NO_FATAL_FAILURE(Launch(run.from, true, true, run.tail));
    if (run.answer != Answer::NotAsked) {
        HWND question = WaitForDialogWithControl(setup.Id(), IDB_INIT_CURRENT);
        ASSERT_NE(question, nullptr) << "no driver-present question";
        if (run.answer == Answer::EnterKey) {
            PressKey(question, VK_RETURN);
        } else {
            ClickButton(question, run.answer == Answer::New ? IDB_INIT_NEW : IDB_INIT_CURRENT);
        }
    }
    HWND settings = WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
    ASSERT_NE(settings, nullptr) << "no settings dialog";
    if (run.answer == Answer::NotAsked) {
        EXPECT_EQ(WaitForDialogWithControl(setup.Id(), IDB_INIT_CURRENT, 0), nullptr);
    }
    ClickButton(settings, IDB_SET_SETUP);

    if (run.restartNotice) {
        HWND notice = WaitForMessageBox(setup.Id());
        ASSERT_NO_FATAL_FAILURE(ExpectClosingMessage(notice, kRestartText, IconKind::Information));
        ASSERT_NO_FATAL_FAILURE(ExpectExitShowingNothing(0, notice));
    } else {
        DWORD exitCode = 0xDEADBEEF;
        ASSERT_TRUE(ExitsShowingNothing(setup, Shown::MessageBox, &exitCode)) << "a message showed";
        EXPECT_EQ(exitCode, 0u);
    }
    ExpectDefaultsRegistered();
    if (run.copies) {
        ExpectFilesCopiedFromDiskette();
    } else {
        ExpectInstalledFilesKept();
    }
}

INSTANTIATE_TEST_SUITE_P(Startup, Confirmed, ::testing::ValuesIn(kConfirmedRuns),
                         [](const ::testing::TestParamInfo<ConfirmedRun>& info) { return info.param.name; });

// The question asked in an interactive run from the diskette when a driver is
// already installed.
class DriverPresent : public Startup {
protected:
    HWND StartAndWaitForQuestion()
    {
        Launch(From::Diskette, true, true, "");
        return HasFatalFailure() ? nullptr : WaitForDialogWithControl(setup.Id(), IDB_INIT_CURRENT);
    }

    // Cancelled: no settings dialog, no message, exit 2, nothing written.
    void ExpectCancelled(HWND question)
    {
        ASSERT_NO_FATAL_FAILURE(ExpectExitShowingNothing(2, question));
        EXPECT_FALSE(KeyExists(kServiceKey));
        ExpectInstalledFilesKept();
    }
};

TEST_F(DriverPresent, AsksWithQuestionIconTextsAndFocusOnCurrentAndCancelEndsTheRun)
{
    HWND question = StartAndWaitForQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(WindowText(question), kTitle);
    EXPECT_EQ(ControlText(question, IDT_INIT_QUESTION), kQuestion);
    EXPECT_EQ(ControlText(question, IDB_INIT_CURRENT), "Current");
    EXPECT_EQ(ControlText(question, IDB_INIT_NEW), "New");
    EXPECT_EQ(ControlText(question, IDB_CANCEL), "Cancel");
    EXPECT_EQ(FocusedControl(question), GetDlgItem(question, IDB_INIT_CURRENT));
    EXPECT_EQ(ReadIconKind(GetDlgItem(question, 0xFFFF)), IconKind::Question);

    ClickButton(question, IDB_CANCEL);
    ExpectCancelled(question);
}

TEST_F(DriverPresent, EscapeDoesNothing)
{
    HWND question = StartAndWaitForQuestion();
    ASSERT_NE(question, nullptr);
    PressKey(question, VK_ESCAPE);
    // Posted keys are handled in order: once a Tab after the Escape has moved
    // the focus, the Escape has been handled; a second Tab, posted after that,
    // also lets anything the Escape posted run first.
    PressKey(question, VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(question) == GetDlgItem(question, IDB_INIT_NEW); }));
    PressKey(question, VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(question) == GetDlgItem(question, IDB_CANCEL); }));
    EXPECT_TRUE(IsWindowVisible(question));
    EXPECT_TRUE(setup.Running());
    EXPECT_EQ(WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP, 0), nullptr);

    ClickButton(question, IDB_CANCEL);
    ExpectCancelled(question);
}

TEST_F(DriverPresent, AltF4EndsAsCancel)
{
    HWND question = StartAndWaitForQuestion();
    ASSERT_NE(question, nullptr);
    PressAltF4(question);
    ExpectCancelled(question);
}

}  // namespace
