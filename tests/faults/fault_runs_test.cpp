// Runs of the real setupb.exe on a machine that gets in its way: files it
// cannot write or read, registry keys it may not change, repeated runs, and
// every dialog closed by Alt+F4. The FaultMessages tests also run under each
// language's locale (faults.messages.*).
#include <gtest/gtest.h>

#include <stdio.h>

#include <functional>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "fault_support.h"
#include "resource.h"

namespace {

using namespace faults;
using namespace e2e;

const char kDisketteDriver[] = "driver image on the diskette";
const char kOldDriver[] = "driver image installed earlier";

std::string Contents(const std::string& path)
{
    std::string bytes = "<missing>";
    ReadFileBytes(path, &bytes);
    return bytes;
}

// A file fault laid out before a run from the diskette.
struct FileFault {
    const char* label;
    const char* tail;                  // "" interactive, "1" for a calling installer
    std::function<void()> before;      // after the diskette is ready, before the start
    std::function<void()> atSettings;  // while the settings dialog is open
    std::function<void()> after;       // once the run has ended
    DWORD exitCode;                    // 1 comes with the install-failed message when interactive
    bool setupCopied, driverCopied;
};

void RunFileFault(const FileFault& fault)
{
    SCOPED_TRACE(fault.label);
    ResetInstalledState();
    PrepareDiskette(kDisketteDriver);
    fault.before();
    SetupProcess setup;
    HWND settings = StartSettings(setup, "A:\\setupb.exe", fault.tail);
    ASSERT_NE(settings, nullptr);
    fault.atSettings();
    PressKey(settings, VK_RETURN);
    if (fault.exitCode == 1 && *fault.tail == '\0') {
        ASSERT_NO_FATAL_FAILURE(ExpectInstallFailed(setup));
    } else {
        ASSERT_NO_FATAL_FAILURE(ExpectSilentExit(setup, fault.exitCode, settings));
    }
    fault.after();
    EXPECT_EQ(Contents(InstalledSetupPath()) == Contents(BuiltSetupPath()), fault.setupCopied);
    EXPECT_EQ(Contents(InstalledDriverPath()) == kDisketteDriver, fault.driverCopied);
    EXPECT_EQ(KeyExists(kServiceKey), fault.exitCode == 0) << "registry written although the copy failed";
}

const auto nothing = [] {};

// The message tests, also run under every language's locale.
TEST(FaultMessages, CopyFailuresEndWithTheInstallFailedMessage)
{
    HANDLE held = INVALID_HANDLE_VALUE;  // open without sharing, as by another program using the file
    const auto hold = [&] {
        held = CreateFileA(InstalledSetupPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
    };
    const FileFault faults[] = {
        {"setup target held open by another process", "", hold, nothing, [&] { CloseHandle(held); }, 1, false,
         false},
        {"driver removed from the diskette after the start", "", nothing,
         [] { ASSERT_TRUE(DeleteFileA("A:\\vlncdrvr.sys")); }, nothing, 1, true, false},
    };
    for (const FileFault& fault : faults) {
        RunFileFault(fault);
    }
    ResetInstalledState();
}

// A refused Setup shows the input-error message and leaves the dialog open
// with the focus on the port field; Alt+F4 then cancels the run.
TEST(FaultMessages, RefusedSetupShowsInputErrorAndAltF4ThenCancels)
{
    ResetInstalledState();
    PrepareDiskette(kDisketteDriver);
    SetupProcess setup;
    HWND settings = StartSettings(setup, "A:\\setupb.exe", "");
    ASSERT_NE(settings, nullptr);
    ASSERT_NO_FATAL_FAILURE(ClearField(settings, IDE_SET_PORT));
    ClickButton(settings, IDB_SET_SETUP);
    const LanguageTexts& texts = ExpectedTexts();
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessageAndDismiss(WaitForMessageBox(setup.Id()), texts.inputErrorTitle, texts.inputErrorText));
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(settings) == GetDlgItem(settings, IDE_SET_PORT); }, 5000));
    PressAltF4(settings);
    ASSERT_NO_FATAL_FAILURE(ExpectSilentExit(setup, 2, settings));
    EXPECT_FALSE(KeyExists(kServiceKey));
    EXPECT_FALSE(FileExists(InstalledSetupPath()));
    EXPECT_FALSE(FileExists(InstalledDriverPath()));
}

// Whether this platform lets CopyFileA replace a read-only file (Wine run by
// root does; Windows does not).
bool PlatformReplacesReadOnlyFiles()
{
    const std::string scratch = SystemDir() + "\\faultro.tmp";
    WriteFileBytes(scratch, "old");
    SetFileAttributesA(scratch.c_str(), FILE_ATTRIBUTE_READONLY);
    const bool replaced = CopyFileA(BuiltSetupPath().c_str(), scratch.c_str(), FALSE) != FALSE;
    SetFileAttributesA(scratch.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(scratch.c_str());
    return replaced;
}

TEST(FileFaults, ReadOnlyOrFolderTargetsGiveTheirDocumentedOutcome)
{
    const bool readOnlyReplaced = PlatformReplacesReadOnlyFiles();
    printf("A read-only target is %s by this platform's CopyFileA.\n", readOnlyReplaced ? "replaced" : "kept");
    const auto makeReadOnly = [] {
        ASSERT_TRUE(WriteFileBytes(InstalledDriverPath(), kOldDriver));
        ASSERT_TRUE(SetFileAttributesA(InstalledDriverPath().c_str(), FILE_ATTRIBUTE_READONLY));
    };
    const auto driverFolder = [] { ASSERT_TRUE(CreateDirectoryA(InstalledDriverPath().c_str(), nullptr)); };
    const FileFault faults[] = {
        // Replaced as any file when the platform allows it, else a failed copy.
        {"read-only driver target", "1", makeReadOnly, nothing,
         [] { SetFileAttributesA(InstalledDriverPath().c_str(), FILE_ATTRIBUTE_NORMAL); },
         readOnlyReplaced ? 0u : 1u, true, readOnlyReplaced},
        {"folder at the driver target", "1", driverFolder, nothing,
         [] { RemoveDirectoryA(InstalledDriverPath().c_str()); }, 1, true, false},
        {"folder at the setup target", "", [] { ASSERT_TRUE(CreateDirectoryA(InstalledSetupPath().c_str(), nullptr)); },
         nothing, [] { RemoveDirectoryA(InstalledSetupPath().c_str()); }, 1, false, false},
    };
    for (const FileFault& fault : faults) {
        RunFileFault(fault);
    }
    ResetInstalledState();
}

// Wine keeps the system directory at C:\windows\system32; where a platform
// reports one so long that the driver's target path cannot be composed, the
// run must fail cleanly.
TEST(FileFaults, SystemDirectoryNearThePathLimit)
{
    const std::string systemDir = SystemDir();
    if (systemDir.size() + strlen("\\drivers\\vlncdrvr.sys") < MAX_PATH) {
        GTEST_SKIP() << "the system directory " << systemDir << " (" << systemDir.size()
                     << " characters) cannot be moved under Wine; no run can place it near the path limit";
    }
    ResetInstalledState();
    PrepareDiskette(kDisketteDriver);
    SetupProcess setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe", "", "A:\\"));
    ASSERT_NO_FATAL_FAILURE(ExpectInstallFailed(setup));
}

// Started by faults.long_program_folder, which runs setupb.exe from a folder
// of 250 characters with its Unix path: watches for its message, which must be
// the install-failed one, and for its exit code.
TEST(FileFaults, LongProgramFolderEndsWithInstallFailed)
{
    const char* folder = getenv("FAULT_LONG_FOLDER");  // the folder's Windows path
    if (folder == nullptr) {
        GTEST_SKIP() << "run by faults.long_program_folder, which starts setupb.exe from the shell";
    }
    ResetInstalledState();
    ASSERT_TRUE(WriteFileBytes(std::string(folder) + "\\ready", "reset"));  // the script starts setupb.exe now

    const LanguageTexts& texts = ExpectedTexts();
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindWindowA("#32770", texts.title)) != nullptr; }))
        << "no message from the program in the long folder";
    DWORD processId = 0;
    GetWindowThreadProcessId(box, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    ASSERT_NE(process, nullptr);
    wchar_t image[1024] = L"";
    DWORD imageLength = 1024;
    QueryFullProcessImageNameW(process, 0, image, &imageLength);
    EXPECT_NE(wcsstr(image, L"faultlong"), nullptr) << "the message is not from the program in the long folder";
    ASSERT_NO_FATAL_FAILURE(ExpectMessageAndDismiss(box, texts.title, texts.installFailed));
    DWORD exitCode = 0xDEADBEEF;
    EXPECT_EQ(WaitForSingleObject(process, DefaultWaitMs), WAIT_OBJECT_0);
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    EXPECT_EQ(exitCode, 1u);
    EXPECT_FALSE(FileExists(InstalledSetupPath()));
    EXPECT_FALSE(FileExists(InstalledDriverPath()));
    EXPECT_FALSE(KeyExists(kServiceKey));
}

// What an earlier installation left, with values that no run writes, so that
// a key the run rewrote shows.
void LayOutEarlierInstallation()
{
    for (int key = -1; key < 3; ++key) {
        DeleteKey(key < 0 ? kServiceKey : SiblingKey(key));  // also a key a failed case left denied
    }
    ResetInstalledState();
    ASSERT_NO_FATAL_FAILURE(InstallIntoSystemDir());
    ASSERT_EQ(RegisterDriver(), ERROR_SUCCESS);  // creates the VlnCD service: later creations fail
    StoreValues(kServiceKey, {{"Type", Dword(7)},
                              {"Start", Dword(3)},
                              {"ErrorControl", Dword(0)},
                              {"Group", Text(REG_SZ, "old group")},
                              {"ImagePath", Text(REG_SZ, "old.sys")}});
    DeleteKey(kParametersKey);
    StoreValues(kParametersKey, ParameterValues({6, 9, 0x2A0, 33, 1, 1}));
    StoreValues(kParametersKey, {{"BufferSize", {REG_BINARY, {33}}}});  // rewritten as a REG_DWORD
    for (int sibling = 0; sibling < 3; ++sibling) {
        StoreValues(SiblingKey(sibling), {{"Start", Dword(1)}});
    }
}

// A key that gives nobody full access: the run from the system directory ends
// with status 5 and no message, having written what comes before that key.
TEST(RegistryRights, DeniedKeyEndsWithStatusFiveAfterWhatComesBefore)
{
    const ValueMap serviceValues = {{"Type", Dword(1)},
                                    {"Start", Dword(0)},
                                    {"ErrorControl", Dword(1)},
                                    {"Group", Text(REG_SZ, "SCSI CDROM Class")},
                                    {"ImagePath", Text(REG_EXPAND_SZ, "System32\\Drivers\\VLNCDRVR.SYS")}};
    const struct {
        const char* label;
        std::string denied;
        bool serviceWritten, parametersWritten, firstSiblingDisabled;
    } cases[] = {
        {"service key", kServiceKey, false, false, false},
        {"Parameters", kParametersKey, true, false, false},
        {"second sibling", SiblingKey(1), true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_NO_FATAL_FAILURE(LayOutEarlierInstallation());
        std::vector<std::string> keys = {kServiceKey, kParametersKey, SiblingKey(0), SiblingKey(1), SiblingKey(2)};
        std::vector<KeyState> expected;
        for (const std::string& key : keys) {
            expected.push_back(ReadValues(key));
        }
        if (c.serviceWritten) {
            for (const auto& [name, value] : serviceValues) {
                (*expected[0])[name] = value;
            }
        }
        if (c.parametersWritten) {
            expected[1] = ParameterValues({6, 9, 0x2A0, 33, 1, 1});
        }
        if (c.firstSiblingDisabled) {
            expected[2] = ValueMap{{"Start", Dword(4)}};
        }
        ASSERT_NO_FATAL_FAILURE(SetKeyDacl(c.denied, kReadOnlyDacl));

        SetupProcess setup;
        HWND settings = StartSettings(setup, InstalledSetupPath(), "");
        ASSERT_NE(settings, nullptr);
        PressKey(settings, VK_RETURN);
        ASSERT_NO_FATAL_FAILURE(ExpectSilentExit(setup, ERROR_ACCESS_DENIED, settings));
        for (size_t key = 0; key < keys.size(); ++key) {
            EXPECT_EQ(ReadValues(keys[key]), expected[key]) << keys[key];
        }
        DeleteKey(c.denied);
    }
    ResetInstalledState();
}

// Everything a run leaves: the registry keys it owns and the two installed files.
struct MachineState {
    std::vector<KeyState> keys;
    std::string setupFile, driverFile;
    bool operator==(const MachineState& other) const
    {
        return keys == other.keys && setupFile == other.setupFile && driverFile == other.driverFile;
    }
};

MachineState ReadMachineState()
{
    MachineState state;
    for (const std::string& key : {std::string(kServiceKey), std::string(kParametersKey), SiblingKey(0), SiblingKey(2)}) {
        state.keys.push_back(ReadValues(key));
    }
    // Wine's service manager stores ImagePath as REG_SZ when it creates the
    // service; the later runs write it back as REG_EXPAND_SZ.
    if (state.keys[0] && state.keys[0]->count("ImagePath")) {
        (*state.keys[0])["ImagePath"].first = REG_EXPAND_SZ;
    }
    state.setupFile = Contents(InstalledSetupPath());
    state.driverFile = Contents(InstalledDriverPath());
    return state;
}

TEST(Repetition, ThreeInstallsAndAReconfigurationLeaveTheSameMachine)
{
    ResetInstalledState();
    PrepareDiskette(kDisketteDriver);
    StoreValues(kParametersKey, ParameterValues({6, 9, 0x2A0, 33, 1, 1}));
    StoreValues(SiblingKey(0), {{"Start", Dword(1)}});
    StoreValues(SiblingKey(2), {{"Start", Dword(3)}});
    std::optional<MachineState> first;
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE(run < 3 ? "install " + std::to_string(run + 1) : std::string("reconfiguration"));
        SetupProcess setup;
        HWND settings = StartSettings(setup, run < 3 ? "A:\\setupb.exe" : InstalledSetupPath(), run < 3 ? "1" : "2");
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(ShownSelections(settings), Selections(1, 2, "2a0", "33", 1, 1));
        PressKey(settings, VK_RETURN);
        ASSERT_NO_FATAL_FAILURE(ExpectSilentExit(setup, 0, settings));
        const MachineState state = ReadMachineState();
        EXPECT_EQ(state.keys[1], ParameterValues({6, 9, 0x2A0, 33, 1, 1}));
        EXPECT_EQ(state.keys[2], ValueMap({{"Start", Dword(4)}}));
        EXPECT_EQ(state.setupFile, Contents(BuiltSetupPath()));
        EXPECT_EQ(state.driverFile, kDisketteDriver);
        if (!first) {
            first = state;
        }
        EXPECT_TRUE(state == *first) << "the machine differs from the one the first install left";
    }
    ResetInstalledState();
}

enum class Stage { DriverPresent, Settings, Copying };

// Alt+F4 on one stage; false when the copy had already reached the driver
// file (the close could then race the dialog's own end) and the run must be
// repeated.
bool CloseStageWithAltF4(Stage stage)
{
    ResetInstalledState();
    PrepareDiskette(kDisketteDriver);
    if (stage == Stage::DriverPresent) {
        EXPECT_TRUE(WriteFileBytes(InstalledDriverPath(), kOldDriver));
    }
    SetupProcess setup;
    EXPECT_TRUE(setup.Start("A:\\setupb.exe", "", "A:\\"));
    HWND target = nullptr;
    HANDLE thread = nullptr;
    if (stage == Stage::DriverPresent) {
        target = WaitForDialogWithControl(setup.Id(), IDB_INIT_CURRENT);
    } else {
        target = WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
        EXPECT_NE(target, nullptr);
        if (stage == Stage::Settings) {
            // A focused drop-down list would swallow the keys.
            PostMessageA(target, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(target, IDE_SET_PORT)), TRUE);
            EXPECT_TRUE(WaitUntil([&] { return FocusedControl(target) == GetDlgItem(target, IDE_SET_PORT); }));
        } else {
            PressKey(target, VK_RETURN);
            HWND settings = target;
            WaitUntil([&] { return (target = CopyDialog(setup.Id())) || WaitForMessageBox(setup.Id(), 0); });
            if (target == nullptr) {
                return false;  // missed: the run went on to its closing message
            }
            // Held still while the keys are posted, so that they come before its next tick.
            thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(settings, nullptr));
            EXPECT_NE(thread, nullptr);
            SuspendThread(thread);
            if (!IsWindowVisible(target) || FileExists(InstalledDriverPath())) {
                ResumeThread(thread);
                CloseHandle(thread);
                return false;
            }
        }
    }
    EXPECT_NE(target, nullptr);
    PressAltF4(target);
    if (thread != nullptr) {
        ResumeThread(thread);
        CloseHandle(thread);
    }
    ExpectSilentExit(setup, 2, target);
    EXPECT_FALSE(KeyExists(kServiceKey));
    if (stage == Stage::DriverPresent) {
        EXPECT_EQ(Contents(InstalledDriverPath()), kOldDriver);
    } else if (stage == Stage::Settings) {
        EXPECT_FALSE(FileExists(InstalledSetupPath()));
        EXPECT_FALSE(FileExists(InstalledDriverPath()));
    }
    return true;
}

TEST(AltF4, EveryStageEndsAsCancelledWithNothingWrittenAfterIt)
{
    const struct {
        const char* label;
        Stage stage;
    } stages[] = {
        {"driver-present question", Stage::DriverPresent},
        {"settings dialog", Stage::Settings},
        {"copy progress dialog", Stage::Copying},
    };
    for (const auto& s : stages) {
        SCOPED_TRACE(s.label);
        int attempts = 0;
        while (!CloseStageWithAltF4(s.stage) && !HasFailure()) {
            ASSERT_LT(++attempts, 3) << "the copy always finished before the keys could be posted";
        }
    }
    ResetInstalledState();
}

}  // namespace
