// Whole runs of the real setupb.exe: a first installation from the diskette, every way of starting it and of
// leaving its dialogs, registry steps over an earlier installation, what its dialogs show in each language.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <optional>

#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

const char kTitle[] = "VELNARI Device Driver Setup", kDriver[] = "driver on the diskette";
const RunEnd kRestart = {kTitle, "The changes you have made will not take effedt until the computer is restarted.",
                         Icon::Information, 0};
const RunEnd kFailed = {kTitle, "Failed to install the VELNARI adapter.", Icon::Exclamation, 1};

// Renamed: A:\install.exe, no setupb.exe beside it; Glued: the tail right after the quoted name (the runtime's rule
// would lose it); Wow64: the i686 build on the diskette of a 64-bit Windows.
enum class From { Disk, System, Renamed, Glued, Wow64 };
const char kI686Setup[] = SETUPB_I686_EXE;
// Closed, MenuClosed: the settings dialog closed from outside during Setup (lParam 0, or the mouse position).
enum class At { Nothing, New, Enter, Setup, Cancel, AltF4, MenuClose, Held, Gone, CopyCancel, CopyAltF4,
                Closed, MenuClosed };
// question: the answer to the driver-present question, which is asked exactly when given; settings: what is done in
// the settings dialog (Held: the setup target, Gone: the driver file), shown exactly when given.
const struct RunRow {
    const char* name;
    From from;
    const char* tail;
    bool driverOnDisk, driverInstalled;
    At question, settings;
    RunEnd end;  // the settings are stored exactly when the exit code is 0
    int setupCopied, driverCopied;
} kRuns[] = {
    {"a first installation, Enter presses Setup", From::Disk, "", 1, 0, At::Nothing, At::Enter, kRestart, 1, 1},
    {"Enter answers Current: installed files stay", From::Disk, "", 1, 1, At::Enter, At::Setup, kRestart, 0, 0},
    {"New replaces the installed files", From::Disk, "", 1, 1, At::New, At::Setup, kRestart, 1, 1},
    {"Cancel at the question", From::Disk, "", 1, 1, At::Cancel, At::Nothing, Silent(2), 0, 0},
    {"Alt+F4 at the question", From::Disk, "", 1, 1, At::AltF4, At::Nothing, Silent(2), 0, 0},
    {"system directory reconfigures", From::System, "", 0, 1, At::Nothing, At::Setup, kRestart, 0, 0},
    {"system directory, no driver", From::System, "", 0, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"diskette without the driver file", From::Disk, "", 0, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"renamed, no setupb.exe beside it", From::Renamed, "", 1, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"renamed, \"1\"", From::Renamed, "1", 1, 0, At::Nothing, At::Nothing, Silent(1), 0, 0},
    {"\"1\" replaces installed files unasked", From::Disk, "1", 1, 1, At::Nothing, At::Setup, Silent(0), 1, 1},
    {"\"2\" reconfigures", From::System, "2", 0, 1, At::Nothing, At::Setup, Silent(0), 0, 0},
    {"Cancel in the settings dialog", From::Disk, "", 1, 0, At::Nothing, At::Cancel, Silent(2), 0, 0},
    {"Alt+F4 in the settings dialog", From::Disk, "", 1, 0, At::Nothing, At::AltF4, Silent(2), 0, 0},
    {"Close in its window menu", From::Disk, "", 1, 0, At::Nothing, At::MenuClose, Silent(2), 0, 0},
    {"Cancel in the copy dialog", From::Disk, "", 1, 0, At::Nothing, At::CopyCancel, Silent(2), 0, 0},
    {"Alt+F4 in the copy dialog", From::Disk, "", 1, 0, At::Nothing, At::CopyAltF4, Silent(2), 0, 0},
    {"setup target held open", From::Disk, "", 1, 0, At::Nothing, At::Held, kFailed, 0, 0},
    {"driver file gone during the run", From::Disk, "", 1, 0, At::Nothing, At::Gone, kFailed, 1, 0},
    {"\"2\" right after the quoted name", From::Glued, "2", 1, 1, At::Nothing, At::Nothing, Silent(2), 0, 0},
    {"closed from outside while copying", From::Disk, "", 1, 0, At::Nothing, At::Closed, kRestart, 1, 1},
    {"closed from the taskbar while copying, \"1\"", From::Disk, "1", 1, 0, At::Nothing, At::MenuClosed, Silent(0), 1,
     1},
    {"closed from the taskbar while registering, \"2\"", From::System, "2", 0, 1, At::Nothing, At::MenuClosed,
     Silent(0), 0, 0},
    {"the i686 build on 64-bit Windows", From::Wow64, "", 1, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"the i686 build on 64-bit Windows, \"1\"", From::Wow64, "1", 1, 0, At::Nothing, At::Nothing, Silent(2), 0, 0},
};
void PrintTo(const RunRow& row, std::ostream* out) { *out << row.name; }

// What a person does in a dialog. What is done during Setup (to the copy dialog, a key that waits in the input queue;
// to the settings dialog, a close posted) is done while the program is held at Setup: it is read as soon as the copy
// dialog is open, before its first timer tick, or right after the registration.
void Act(Process& setup, HWND dialog, At at)
{
    const std::map<At, int> id = {{At::New, IDB_INIT_NEW}, {At::Cancel, IDB_CANCEL}};
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    const LPARAM mouse = at == At::MenuClose || at == At::MenuClosed ? MAKELPARAM(rect.left + 12, rect.top + 8) : 0;
    if (at >= At::CopyCancel) {
        ASSERT_TRUE(setup.Hold());
        Click(dialog, IDB_SET_SETUP);
    }
    if (at == At::Enter || at == At::AltF4) {
        PressKey(dialog, at == At::Enter ? VK_RETURN : VK_F4, at == At::AltF4);
    } else if (at == At::MenuClose || at == At::Closed || at == At::MenuClosed) {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, mouse);
    } else if (at == At::CopyCancel || at == At::CopyAltF4) {
        QueueKey(at == At::CopyAltF4 ? VK_F4 : VK_SPACE, at == At::CopyAltF4);  // Space presses the focused Cancel
    } else {
        Click(dialog, id.count(at) ? id.at(at) : IDB_SET_SETUP);  // Setup, also for a copy to fail
    }
    at >= At::CopyCancel ? setup.Release() : void();
}

class EachWayOfStartingAndLeaving : public testing::TestWithParam<RunRow> {};

TEST_P(EachWayOfStartingAndLeaving, EndsAsItShould)
{
    const RunRow& row = GetParam();  // from a machine with nothing installed but a sibling that would start
    ASSERT_TRUE(ResetMachine() && PrepareDiskette(row.driverOnDisk ? kDriver : nullptr) &&
                WriteBytes(kInstalledSetup, "setup before") && StoreValues(SiblingKey(0), {{"Start", Dword(1)}}) &&
                (row.from != From::Renamed || MoveFileA("A:\\setupb.exe", "A:\\install.exe")));
    if (row.from == From::Wow64 && (!*kI686Setup || !CopyFileA(WindowsPath(kI686Setup).c_str(), "A:\\setupb.exe", 0))) {
        GTEST_SKIP() << "runs in the win64 build's tests, where 32-bit Wine runs and the win32 build is there";
    }
    std::string program = row.from == From::Renamed ? "A:\\install.exe" : "A:\\setupb.exe";
    if (row.from == From::System) {  // a driver file beside the program: a copy that must not happen would show
        ASSERT_TRUE(CopyFileA(kBuiltSetup.c_str(), kInstalledSetup.c_str(), FALSE) &&
                    WriteBytes(kSystemDir + "\\vlncdrvr.sys", kDriver));
        program = kInstalledSetup;
        CharUpperA(&program[0]);  // the system directory is recognised in any ASCII case
    }
    ASSERT_TRUE(!row.driverInstalled || WriteBytes(kInstalledDriver, "driver before"));
    const std::string setupBefore = ReadBytes(kInstalledSetup), driverBefore = ReadBytes(kInstalledDriver);

    Process setup;
    ASSERT_TRUE(setup.StartLine(program, '"' + program + (row.from == From::Glued ? "\"" : "\" ") + row.tail));
    if (row.question != At::Nothing) {
        HWND question = WaitDialog(setup.Id(), IDB_INIT_CURRENT);
        ASSERT_NE(question, nullptr) << "no driver-present question";
        EXPECT_EQ(ReadIcon(GetDlgItem(question, 0xFFFF)), Icon::Question);
        EXPECT_EQ(Focus(question), GetDlgItem(question, IDB_INIT_CURRENT));
        Act(setup, question, row.question);
    }
    HANDLE held = INVALID_HANDLE_VALUE;  // by another program, without sharing
    if (row.settings != At::Nothing) {
        HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP);
        ASSERT_NE(settings, nullptr) << "no settings dialog";
        EXPECT_EQ(Focus(settings), GetDlgItem(settings, IDC_SET_DMA_LIST));
        Type(settings, IDE_SET_PORT, "");  // the focus on a field: a focused list would swallow Alt+F4
        if (row.settings == At::Held) {
            held = CreateFileA(kInstalledSetup.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        }
        ASSERT_TRUE(Barrier(settings) && (row.settings != At::Gone || DeleteFileA("A:\\vlncdrvr.sys")));
        ASSERT_NO_FATAL_FAILURE(Act(setup, settings, row.settings));
    }
    const RunEnd end = FollowToEnd(setup);
    CloseHandle(held);
    EXPECT_EQ(end, row.end);
    const bool done = row.end.exitCode == 0;  // then the defaults shown are stored, a boot-start kernel driver created
    EXPECT_EQ(ReadKey(kServiceKey).has_value(), done);
    EXPECT_EQ(ReadKey(kParametersKey), done ? Key(ParameterValues(5, 10, 0x300, 20, 0, 0)) : std::nullopt);
    const ServiceConfig s = QueryService().value_or(ServiceConfig{});
    EXPECT_EQ(std::to_string(s.type) + s.image + std::to_string(s.start) + std::to_string(s.errorControl) + s.group,
              done ? "1System32\\Drivers\\VLNCDRVR.SYS01SCSI CDROM Class" : "000");
    EXPECT_EQ(ReadKey(SiblingKey(0)), Key(Values{{"Start", Dword(done ? 4 : 1)}}));
    EXPECT_EQ(ReadBytes("C:\\windows\\syswow64\\setupb.exe"), "<missing>");
    EXPECT_TRUE(ReadBytes(kInstalledSetup) == (row.setupCopied ? ReadBytes(kBuiltSetup) : setupBefore));
    EXPECT_EQ(ReadBytes(kInstalledDriver), row.driverCopied ? kDriver : driverBefore);
}

INSTANTIATE_TEST_SUITE_P(Runs, EachWayOfStartingAndLeaving, testing::ValuesIn(kRuns));  // named by PrintTo

RunEnd SetUpInstalled(const char* tail)  // "1" from the diskette, else from the system directory; presses Setup
{
    Process setup;
    const bool started = setup.Start(tail[0] == '1' ? "A:\\setupb.exe" : kInstalledSetup, tail);
    PressKey(started ? WaitDialog(setup.Id(), IDB_SET_SETUP) : nullptr, VK_RETURN);
    return FollowToEnd(setup);
}

// Setup over an earlier installation writes the service key, Parameters and each sibling in turn, in every
// run mode; a step that fails ends the run with its status after the steps before it, told by hand only.
TEST(Runs, RegistryStepsOverAnInstallationEndAtTheFirstThatFailsWithItsStatus)
{
    const std::string keys[] = {kServiceKey, kParametersKey, SiblingKey(0), SiblingKey(1), SiblingKey(2)};
    enum How { Denied, EightBytes, Marked };  // the key denied, its Start 8 bytes long, the service marked for deletion
    // failing: in keys[], 5 for none; the keys before it are written. By hand or for an installer: the same status.
    const struct { const char* what; int failing; How how; const char* tail; DWORD exitCode; } faults[] = {
        {"nothing in the way, installed again", 5, Denied, "1", ERROR_SUCCESS},
        {"service key denied", 0, Denied, "", ERROR_ACCESS_DENIED},
        {"Parameters denied", 1, Denied, "1", ERROR_ACCESS_DENIED},
        {"second sibling denied", 3, Denied, "2", ERROR_ACCESS_DENIED},
        {"second sibling's Start of 8 bytes", 3, EightBytes, "", ERROR_MORE_DATA},
        {"service marked for deletion", 2, Marked, "1", ERROR_SERVICE_MARKED_FOR_DELETE},
        {"service marked for deletion", 2, Marked, "", ERROR_SERVICE_MARKED_FOR_DELETE}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(std::string(fault.what) + ", tail \"" + fault.tail + "\"");
        // An earlier installation as the program leaves one (files, keys, the service), with values no run writes: a
        // service type of 7, a 1-byte buffer size, siblings that would start.
        Values service = ServiceValues(), parameters = ParameterValues(6, 9, 0x2A0, 33, 1, 1);
        service["Type"] = Dword(7), parameters["BufferSize"] = {REG_BINARY, "\x21"};
        const Values start = {{"Start", Dword(1)}}, off = {{"Start", Dword(4)}};
        const Values eightBytes = {{"Start", {REG_BINARY, "12345678"}}};
        Key before[5], written[5] = {ServiceValues(), ParameterValues(6, 9, 0x2A0, 33, 1, 1), off, off, off};
        ASSERT_TRUE(ResetMachine() && PrepareDiskette(kDriver) && WriteBytes(kInstalledDriver, kDriver) &&
                    CopyFileA(kBuiltSetup.c_str(), kInstalledSetup.c_str(), FALSE) && StoreValues(kServiceKey, service)
                    && StoreValues(kParametersKey, parameters) && StoreValues(keys[2], start) &&
                    StoreValues(keys[3], start) && StoreValues(keys[4], start));
        ASSERT_TRUE(CloseServiceHandle(CreateServiceA(Service().manager, "VlnCD", "VlnCD", SERVICE_ALL_ACCESS,
            SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, SERVICE_ERROR_NORMAL, "System32\\Drivers\\VLNCDRVR.SYS",
            "SCSI CDROM Class", nullptr, nullptr, nullptr, nullptr)));
        std::optional<Service> marked;  // its handle open across the run: the service, key and all, goes with it
        ASSERT_TRUE(fault.failing == 5 || (fault.how == Denied       ? DenyChanges(keys[fault.failing])
                                           : fault.how == EightBytes ? StoreValues(keys[fault.failing], eightBytes)
                                                                     : DeleteService(marked.emplace().service)));
        for (int key = 0; key < 5; ++key) before[key] = ReadKey(keys[key]);
        written[0]->insert(before[0]->begin(), before[0]->end());  // what the program does not write stays
        const RunEnd failed = {kTitle, kFailed.text, Icon::Exclamation, fault.exitCode};
        EXPECT_EQ(SetUpInstalled(fault.tail), *fault.tail ? Silent(fault.exitCode) : failed);
        for (int key = 0; key < 5; ++key) {
            EXPECT_EQ(ReadKey(keys[key]), key < fault.failing ? written[key] : before[key]) << keys[key];
        }
    }
}

using Shown = std::vector<std::pair<int, int>>;  // which control shows which text of the block (0: the caption)
const Shown kQuestionShows = {{0, TXT_PRODUCT_TITLE}, {IDT_INIT_QUESTION, TXT_DRIVER_QUESTION},
                              {IDB_INIT_CURRENT, TXT_CURRENT_BUTTON}, {IDB_INIT_NEW, TXT_NEW_BUTTON},
                              {IDB_CANCEL, TXT_CANCEL_BUTTON}};
const Shown kSettingsShows = {{0, TXT_PRODUCT_TITLE}, {IDT_SET_DESCRIPTION, TXT_INSTRUCTIONS},
    {IDT_SET_DMA_LABEL, TXT_DMA_LABEL}, {IDT_SET_IRQ_LABEL, TXT_IRQ_LABEL}, {IDT_SET_AUDIO_LABEL, TXT_AUDIO_LABEL},
    {IDB_SET_STEREO, TXT_STEREO}, {IDB_SET_MONO, TXT_MONO}, {IDT_SET_LOCK_LABEL, TXT_LOCK_LABEL},
    {IDB_SET_UNLOCK, TXT_UNLOCKED}, {IDB_SET_LOCK, TXT_LOCKED}, {IDT_SET_PORT_LABEL, TXT_PORT_LABEL},
    {IDT_SET_BUFFER_LABEL, TXT_BUFFER_LABEL}, {IDB_SET_SETUP, TXT_SETUP_BUTTON}, {IDB_CANCEL, TXT_CANCEL_BUTTON}};
const Shown kCopyShows = {{0, TXT_PRODUCT_TITLE}, {IDB_CANCEL, TXT_CANCEL_BUTTON}};

// Run by the e2e.language.* tests, each under its locale, SETUPB_EXPECTED naming the language and locale ids due.
// Every text of the dialogs and the restart notice comes from the system locale's block; the question and the settings
// dialog appear centred on the screen, the copy dialog (wider, lower) across it, down over the moved settings dialog.
TEST(Language, EveryDialogAndMessageShowsItsTextsInTheSystemLocalesLanguageWhereItBelongs)
{
    const std::map<std::string, int> bases = {{"English", BASE_ENGLISH}, {"French", BASE_FRENCH},
        {"German", BASE_GERMAN}, {"Italian", BASE_ITALIAN}, {"Spanish", BASE_SPANISH}};
    char language[16] = "";
    unsigned long system = 0, user = 0;
    const char* due = getenv("SETUPB_EXPECTED");
    ASSERT_TRUE(due && sscanf(due, "%15s %lx %lx", language, &system, &user) == 3 && bases.count(language));
    EXPECT_EQ(GetSystemDefaultLCID(), system);
    EXPECT_EQ(GetUserDefaultLCID(), user);
    const HMODULE program = LoadLibraryExA(kBuiltSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const auto text = [&, base = CATALOGUE_ORIGIN + bases.at(language)](int offset) {  // the built program's catalogue
        char loaded[1024] = "";
        EXPECT_GT(LoadStringA(program, base + offset, loaded, sizeof loaded), 0) << "no text at offset " << offset;
        return std::string(loaded);
    };
    const auto centre = [](LONG from, LONG to, LONG size) { return from + (to - from - size) / 2; };
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // The dialog shows its texts, centred across the screen and down between top and bottom.
    const auto expectShown = [&](HWND dialog, const char* name, const Shown& shown, LONG top, LONG bottom) {
        for (const auto& [control, offset] : shown) {
            EXPECT_EQ(TextOf(control ? GetDlgItem(dialog, control) : dialog), text(offset)) << name << ", " << control;
        }
        RECT at = {};
        GetWindowRect(dialog, &at);
        EXPECT_EQ(at.left, centre(0, width, at.right - at.left)) << name;
        EXPECT_EQ(at.top, centre(top, bottom, at.bottom - at.top)) << name;
    };
    ASSERT_TRUE(ResetMachine() && PrepareDiskette(kDriver) && WriteBytes(kInstalledDriver, "driver before"));
    Process setup;
    HWND question = setup.Start("A:\\setupb.exe") ? WaitDialog(setup.Id(), IDB_INIT_CURRENT) : nullptr;
    ASSERT_NE(question, nullptr);
    expectShown(question, "driver-present dialog", kQuestionShows, 0, height);
    Click(question, IDB_INIT_NEW);
    HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP), copying = nullptr;
    ASSERT_NE(settings, nullptr);
    expectShown(settings, "settings dialog", kSettingsShows, 0, height);
    RECT moved = {};
    SetWindowPos(settings, nullptr, 16, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(GetWindowRect(settings, &moved) && moved.top == 8 && setup.Hold());
    Click(settings, IDB_SET_SETUP);
    ASSERT_TRUE(setup.RunUntil([&] { return (copying = FindDialog(setup.Id(), IDB_CANCEL, IDB_SET_SETUP)); }));
    expectShown(copying, "copy dialog", kCopyShows, moved.top, moved.bottom);
    setup.Release();
    EXPECT_EQ(FollowToEnd(setup), (RunEnd{text(TXT_PRODUCT_TITLE), text(TXT_RESTART_NOTICE), Icon::Information, 0}));
}

}  // namespace
